// RegexObject: the web request's charset search (Create over the first
// 1024 bytes of a page, then the first group of the first match), against one
// bare PCRE2 search of the same pattern, compiled beforehand, on the same
// UTF-16 subject.
//
// Our side pays for everything a call pays for: the conversions into and out
// of UTF-16, the engine, finding every match (the search is global), and the
// compiled pattern (reused from the previous Create, as it is for every request
// but the first). The baseline stops at the first match; the "-global" case
// gives it the same global search, which leaves only our own costs in the ratio.

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "regex/regex_object.h"
#include "text/code_pages.h"

namespace quotidia {
namespace {

const Text kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// Fills up a page head with more of its usual lines to exactly 1024 bytes.
Text Page(std::string head) {
    while (head.size() < 1024) head += "<link rel=\"preload\" href=\"/static/fonts/sans.woff2\" as=\"font\">\n";
    head.resize(1024);
    return Text(head);
}

// The usual modern head: the declaration first, other meta tags after it.
const Text kModernPage = Page(
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<meta name=\"description\" content=\"Daily sentences, one line at a time.\">\n"
    "<title>Quotidia - a sentence a day</title>\n"
    "<link rel=\"stylesheet\" href=\"/static/css/site.css?v=20240101\">\n"
    "<script src=\"/static/js/site.js\" defer></script>\n");

// An older layout: scripts and styles first, the declaration at the very end.
std::string LateHead() {
    std::string head = "<html>\n<head>\n<title>Quotidia</title>\n";
    while (head.size() < 930) head += "<script type=\"text/javascript\" src=\"/js/lib.js\"></script>\n";
    head.resize(930);
    return head + "\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n";
}
const Text kLatePage = Page(LateHead());

// A page in code page 936, Chinese text right after the declaration.
const Text kGbkPage = Page(
    "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
    // 每日一句 (a sentence a day), 中文 (Chinese)
    "<title>\xC3\xBF\xC8\xD5\xD2\xBB\xBE\xE4</title>\n"
    "<meta name=\"keywords\" content=\"\xC3\xBF\xC8\xD5\xD2\xBB\xBE\xE4,\xD6\xD0\xCE\xC4\">\n"
    "<meta name=\"description\" content=\"\xD6\xD0\xCE\xC4\xC3\xBF\xC8\xD5\xD2\xBB\xBE\xE4\">\n"
    "<link href=\"/css/style.css\" rel=\"stylesheet\" type=\"text/css\">\n");

struct CodeFree {
    void operator()(pcre2_code* p) const noexcept { pcre2_code_free(p); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* p) const noexcept { pcre2_match_data_free(p); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* p) const noexcept { pcre2_compile_context_free(p); }
};

std::u16string Units(const Text& text) {
    ByteBuffer bytes = AnsiToUtf16(text, true);
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return units;
}

void Ours(benchmark::State& state, const Text& page) {
    for (auto _ : state) {
        RegexObject regex;
        Text charset;
        if (regex.Create(kCharsetPattern, page)) charset = regex.SubMatchText(1, 1);
        benchmark::DoNotOptimize(charset);
    }
}

void Baseline(benchmark::State& state, const Text& page, bool global) {
    const std::u16string pattern = Units(kCharsetPattern);
    const std::u16string subject = Units(page);
    const auto* units = reinterpret_cast<PCRE2_SPTR>(subject.data());
    // The options our engine compiles the pattern under when Create's are omitted.
    std::unique_ptr<pcre2_compile_context, CompileContextFree> context(pcre2_compile_context_create(nullptr));
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
    int error = 0;
    PCRE2_SIZE offset = 0;
    std::unique_ptr<pcre2_code, CodeFree> code(pcre2_compile(
        reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
        PCRE2_CASELESS | PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF |
            PCRE2_NEVER_UTF | PCRE2_NEVER_UCP,
        &error, &offset, context.get()));
    pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
    std::unique_ptr<pcre2_match_data, MatchDataFree> data(pcre2_match_data_create_from_pattern(code.get(), nullptr));

    // Both sides must find the same charset, or the comparison means nothing.
    RegexObject regex;
    regex.Create(kCharsetPattern, page);
    const std::u16string ours = Units(regex.SubMatchText(1, 1));
    const int rc = pcre2_match(code.get(), units, subject.size(), 0, 0, data.get(), nullptr);
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
    if (rc < 2 || ours.empty() || subject.compare(ovector[2], ovector[3] - ovector[2], ours) != 0) {
        state.SkipWithError("the baseline finds another charset");
        return;
    }

    for (auto _ : state) {
        int found = pcre2_match(code.get(), units, subject.size(), 0, 0, data.get(), nullptr);
        // Every further match, each search starting where the last match
        // ended (none of these matches is empty).
        while (global && found > 0) {
            found = pcre2_match(code.get(), units, subject.size(), ovector[1], 0, data.get(), nullptr);
        }
        benchmark::DoNotOptimize(found);
    }
}

void RegisterPair(const std::string& name, const Text& page, bool globalBaseline = false) {
    const std::string key = "Regex/" + name + "/1KiB";
    benchmark::RegisterBenchmark((key + ":ours").c_str(), [&page](benchmark::State& s) { Ours(s, page); });
    benchmark::RegisterBenchmark((key + ":baseline").c_str(),
                                 [&page, globalBaseline](benchmark::State& s) { Baseline(s, page, globalBaseline); });
}

const bool registered = [] {
    RegisterPair("charset", kModernPage);
    RegisterPair("charset-late", kLatePage);
    RegisterPair("charset-gbk", kGbkPage);
    RegisterPair("charset-global", kModernPage, true);
    return true;
}();

}  // namespace
}  // namespace quotidia
