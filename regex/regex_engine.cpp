#include "regex/regex_engine.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace quotidia {

namespace {

// A search that takes more than this many steps of the matcher is a runaway
// (nested quantifiers over a long subject) and fails instead of hanging the
// window. Ten million steps is PCRE2's usual default, set here so that a
// library built with another default does not change what fails.
constexpr std::uint32_t kMatchLimit = 10'000'000;
// Nesting of backtracking points, and the memory they may take: deep enough
// for a long line of text under a simple repeated group, small enough that a
// runaway cannot exhaust memory.
constexpr std::uint32_t kDepthLimit = 1'000'000;
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
// JIT code keeps its backtracking on a stack of its own; the default 32 KiB
// on the machine stack is too little for a repeated group over a long line.
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 8 * 1024 * 1024;
// Most programs run one or two patterns over and over (a new engine per web
// request, always the same charset pattern); compiling, and JIT compiling
// above all, costs many times what a search of a short page does.
constexpr std::size_t kRecentPatterns = 8;

struct CodeFree {
    void operator()(pcre2_code* p) const noexcept { pcre2_code_free(p); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* p) const noexcept { pcre2_compile_context_free(p); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* p) const noexcept { pcre2_match_context_free(p); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* p) const noexcept { pcre2_match_data_free(p); }
};
struct JitStackFree {
    void operator()(pcre2_jit_stack* p) const noexcept { pcre2_jit_stack_free(p); }
};

using Code = std::unique_ptr<pcre2_code, CodeFree>;
using CompileContext = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using JitStack = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

// char16_t and PCRE2's 16-bit unit are both 16-bit unsigned code units; only
// the type names differ.
PCRE2_SPTR Units(std::u16string_view s) noexcept { return reinterpret_cast<PCRE2_SPTR>(s.data()); }

bool IsDigit(char16_t c) noexcept { return c >= u'0' && c <= u'9'; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b) noexcept {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return fold(x) == fold(y);
           });
}

// The match context with the work limits, and the JIT stack it hands to JIT
// code. One per thread: a JIT stack may serve only one search at a time, and
// creating one maps memory, which is too slow to do per search.
class ThreadMatchResources {
public:
    ThreadMatchResources() {
        context_.reset(pcre2_match_context_create(nullptr));
        if (!context_) return;
        pcre2_set_match_limit(context_.get(), kMatchLimit);
        pcre2_set_depth_limit(context_.get(), kDepthLimit);
        pcre2_set_heap_limit(context_.get(), kHeapLimitKiB);
        stack_.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
        // Without a stack of our own JIT code runs on the default one, which
        // only makes deep searches fail sooner.
        if (stack_) pcre2_jit_stack_assign(context_.get(), nullptr, stack_.get());
    }

    pcre2_match_context* Context() const noexcept { return context_.get(); }

private:
    MatchContext context_;
    JitStack stack_;
};

pcre2_match_context* ThreadMatchContext() {
    thread_local ThreadMatchResources resources;
    return resources.Context();
}

}  // namespace

// A pattern compiled under one set of options. Immutable once made, so any
// number of engines can share it.
class CompiledPattern {
public:
    static std::shared_ptr<const CompiledPattern> Compile(std::u16string_view pattern, std::uint32_t options) {
        CompileContext context(pcre2_compile_context_create(nullptr));
        if (!context) return nullptr;
        // CR, LF and CR LF end a line for ^ and $ under Multiline, and a dot
        // never matches them. The component's dot also refused U+2028 and
        // U+2029, but code page 936 has neither, so no subject can hold them.
        pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
        int error = 0;
        PCRE2_SIZE errorOffset = 0;
        Code code(pcre2_compile(Units(pattern), pattern.size(), options, &error, &errorOffset, context.get()));
        if (!code) return nullptr;
        // Where the platform has no JIT, or it refuses the pattern, the
        // interpreter gives the same results more slowly.
        pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
        std::uint32_t groups = 0;
        if (pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &groups) != 0) return nullptr;
        return std::shared_ptr<const CompiledPattern>(
            new CompiledPattern(pattern, options, std::move(code), static_cast<int>(groups)));
    }

    bool Is(std::u16string_view pattern, std::uint32_t options) const noexcept {
        return options_ == options && pattern_.size() == pattern.size() &&
               (pattern.empty() ||
                std::memcmp(pattern_.data(), pattern.data(), pattern.size() * sizeof(char16_t)) == 0);
    }
    const pcre2_code* Pcre() const noexcept { return code_.get(); }
    int Groups() const noexcept { return groups_; }

private:
    CompiledPattern(std::u16string_view pattern, std::uint32_t options, Code code, int groups)
        : pattern_(pattern), options_(options), code_(std::move(code)), groups_(groups) {}

    std::u16string pattern_;
    std::uint32_t options_;
    Code code_;
    int groups_;
};

namespace {

std::shared_ptr<const CompiledPattern> CompileRecent(std::u16string_view pattern, std::uint32_t options) {
    // Per thread, so that no lock is needed; most recently used first.
    thread_local std::vector<std::shared_ptr<const CompiledPattern>> recent;
    auto hit = std::find_if(recent.begin(), recent.end(), [&](const auto& p) { return p->Is(pattern, options); });
    if (hit != recent.end()) {
        std::rotate(recent.begin(), hit, hit + 1);
        return recent.front();
    }
    auto compiled = CompiledPattern::Compile(pattern, options);
    if (!compiled) return nullptr;
    if (recent.size() == kRecentPatterns) recent.pop_back();
    recent.insert(recent.begin(), compiled);
    return compiled;
}

// Appends the replacement for the match whose group spans start at span,
// with its $ sequences expanded.
void AppendExpanded(std::u16string& out, std::u16string_view replacement, std::u16string_view subject,
                    const int* span, int groups) {
    auto group = [&](int g) -> std::u16string_view {
        const int start = span[2 * g];
        const int end = span[2 * g + 1];
        if (start < 0 || end < start) return {};
        return subject.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    };
    const std::size_t n = replacement.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = replacement[i];
        if (c != u'$' || i + 1 == n) {
            out += c;
            continue;
        }
        const char16_t next = replacement[i + 1];
        if (next == u'$') {
            out += u'$';
            ++i;
        } else if (next == u'&') {
            out += group(0);
            ++i;
        } else if (next == u'`') {
            out += subject.substr(0, static_cast<std::size_t>(span[0]));
            ++i;
        } else if (next == u'\'') {
            out += subject.substr(static_cast<std::size_t>(std::max(span[0], span[1])));
            ++i;
        } else if (IsDigit(next)) {
            // Two digits name a group when the pattern has that many groups;
            // otherwise the first digit alone does, and the second is text.
            const int one = next - u'0';
            if (i + 2 < n && IsDigit(replacement[i + 2])) {
                const int two = one * 10 + (replacement[i + 2] - u'0');
                if (two >= 1 && two <= groups) {
                    out += group(two);
                    i += 2;
                    continue;
                }
            }
            if (one >= 1 && one <= groups) {
                out += group(one);
                ++i;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
}

}  // namespace

int RegexSubMatches::Count() const noexcept { return owner_->groups_; }

std::optional<std::u16string_view> RegexSubMatches::Item(int index) const {
    if (index < 0 || index >= owner_->groups_) return std::nullopt;
    const int start = owner_->Start(match_, index + 1);
    const int end = owner_->End(match_, index + 1);
    if (start < 0 || end < start) return std::nullopt;
    return std::u16string_view(owner_->subject_)
        .substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

std::u16string_view RegexMatch::Value() const {
    const int start = owner_->Start(match_, 0);
    return std::u16string_view(owner_->subject_)
        .substr(static_cast<std::size_t>(start), static_cast<std::size_t>(Length()));
}

int RegexMatch::FirstIndex() const noexcept { return owner_->Start(match_, 0); }

int RegexMatch::Length() const noexcept {
    return std::max(0, owner_->End(match_, 0) - owner_->Start(match_, 0));
}

int RegexMatchCollection::Count() const noexcept {
    return static_cast<int>(spans_.size() / ((static_cast<std::size_t>(groups_) + 1) * 2));
}

std::optional<RegexMatch> RegexMatchCollection::Item(int index) const {
    if (index < 0 || index >= Count()) return std::nullopt;
    return RegexMatch(*this, static_cast<std::size_t>(index));
}

RegexEngine::RegexEngine() = default;
RegexEngine::~RegexEngine() = default;

void RegexEngine::SetIgnoreCase(bool value) {
    ignoreCase_ = value;
    compiled_.reset();
}

void RegexEngine::SetMultiline(bool value) {
    multiline_ = value;
    compiled_.reset();
}

void RegexEngine::SetGlobal(bool value) { global_ = value; }

void RegexEngine::SetPattern(std::u16string value) {
    pattern_ = std::move(value);
    compiled_.reset();
}

bool RegexEngine::PutProperty(std::string_view name, bool value) {
    if (SameNameIgnoringCase(name, "IgnoreCase")) {
        SetIgnoreCase(value);
    } else if (SameNameIgnoringCase(name, "Multiline")) {
        SetMultiline(value);
    } else if (SameNameIgnoringCase(name, "Global")) {
        SetGlobal(value);
    } else {
        return false;
    }
    return true;
}

std::uint32_t RegexEngine::CompileOptions() const noexcept {
    // The subject is UTF-16 taken unit by unit, and no pattern may switch on
    // UTF or Unicode properties: \w, \s, \d, \b and letter case stay ASCII.
    std::uint32_t options = PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;
    if (ignoreCase_) options |= PCRE2_CASELESS;
    // ALT_CIRCUMFLEX: ^ also matches after a line break that ends the
    // subject, as the component's did.
    options |= multiline_ ? PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX : PCRE2_DOLLAR_ENDONLY;
    return options;
}

const CompiledPattern* RegexEngine::Compiled() {
    if (!compiled_) compiled_ = CompileRecent(pattern_, CompileOptions());
    return compiled_.get();
}

bool RegexEngine::Search(const CompiledPattern& compiled, std::u16string_view subject,
                         std::vector<int>& spans) const {
    // Offsets are ints, as FirstIndex is, and one past the last must fit.
    if (subject.size() >= static_cast<std::size_t>(INT_MAX)) return false;
    pcre2_match_context* context = ThreadMatchContext();
    if (!context) return false;
    MatchData data(pcre2_match_data_create_from_pattern(compiled.Pcre(), nullptr));
    if (!data) return false;

    const int groups = compiled.Groups();
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
    const std::uint32_t pairs = pcre2_get_ovector_count(data.get());
    const std::size_t length = subject.size();
    spans.reserve(spans.size() + (static_cast<std::size_t>(groups) + 1) * 2);
    std::size_t offset = 0;
    while (offset <= length) {
        const int rc = pcre2_match(compiled.Pcre(), Units(subject), length, offset, 0, data.get(), context);
        if (rc == PCRE2_ERROR_NOMATCH) break;
        // A work limit, the JIT stack, memory: the whole search fails rather
        // than report the matches found before it.
        if (rc < 0) return false;
        // rc is one more than the highest group that took part; 0 would mean
        // the vector was too small, which a vector made for the pattern is not.
        const auto set = static_cast<std::uint32_t>(rc == 0 ? pairs : static_cast<std::uint32_t>(rc));
        for (int g = 0; g <= groups; ++g) {
            const auto k = static_cast<std::uint32_t>(g);
            if (k < set && ovector[2 * k] != PCRE2_UNSET) {
                spans.push_back(static_cast<int>(ovector[2 * k]));
                spans.push_back(static_cast<int>(ovector[2 * k + 1]));
            } else {
                spans.push_back(-1);
                spans.push_back(-1);
            }
        }
        if (!global_) break;
        const std::size_t start = ovector[0];
        const std::size_t end = ovector[1];
        // After an empty match the next search starts one unit on; the
        // max() only guards progress.
        offset = std::max(end > start ? end : end + 1, offset + 1);
    }
    return true;
}

std::shared_ptr<const RegexMatchCollection> RegexEngine::Execute(std::u16string_view subject) {
    try {
        const CompiledPattern* compiled = Compiled();
        if (!compiled) return nullptr;
        auto found = std::make_shared<RegexMatchCollection>(RegexMatchCollection::Key(), subject, compiled->Groups());
        if (!Search(*compiled, subject, found->spans_)) return nullptr;
        return found;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::optional<std::u16string> RegexEngine::Replace(std::u16string_view subject, std::u16string_view replacement) {
    try {
        const CompiledPattern* compiled = Compiled();
        if (!compiled) return std::nullopt;
        std::vector<int> spans;
        if (!Search(*compiled, subject, spans)) return std::nullopt;
        const int groups = compiled->Groups();
        const std::size_t stride = (static_cast<std::size_t>(groups) + 1) * 2;
        std::u16string out;
        out.reserve(subject.size());
        std::size_t copied = 0;
        for (std::size_t m = 0; m < spans.size(); m += stride) {
            const auto start = static_cast<std::size_t>(spans[m]);
            const auto end = static_cast<std::size_t>(spans[m + 1]);
            if (start > copied) out += subject.substr(copied, start - copied);
            AppendExpanded(out, replacement, subject, &spans[m], groups);
            copied = std::max(copied, end);
        }
        out += subject.substr(std::min(copied, subject.size()));
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace quotidia
