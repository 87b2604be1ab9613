// Text layer: each routine against the plainest standard or ICU code doing
// the same work on the same bytes.

#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "http/cookies.h"
#include "text/code_pages.h"
#include "text/helpers.h"
#include "text/primitives.h"
#include "text/url_decode.h"

namespace quotidia {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// Words of ASCII letters, or (mixed) one in three words in code page 936
// double-byte characters, separated by spaces, ';' and an occasional full-width space.
std::string MakeText(std::size_t size, bool mixed) {
    std::mt19937 rng(7);
    std::string s;
    s.reserve(size + 16);
    while (s.size() < size) {
        int word = std::uniform_int_distribution<int>(2, 9)(rng);
        bool chinese = mixed && rng() % 3 == 0;
        for (int i = 0; i < word; ++i) {
            if (chinese) {
                s.push_back(static_cast<char>(0xB0 + rng() % 0x27));
                s.push_back(static_cast<char>(0xA1 + rng() % 0x5E));
            } else {
                s.push_back(static_cast<char>('a' + rng() % 26));
            }
        }
        s += (rng() % 16 == 0) ? ";" : (rng() % 64 == 0) ? "\xA1\xA1" : " ";
    }
    s.resize(size);
    if (static_cast<unsigned char>(s.back()) >= 0x80) s.back() = 'z';
    return s;
}

std::string ToUtf8(const std::string& gbk) {
    UErrorCode ec = U_ZERO_ERROR;
    std::string out(gbk.size() * 2 + 16, '\0');
    auto n = ucnv_convert("UTF-8", "windows-936-2000", out.data(), static_cast<int32_t>(out.size()), gbk.data(),
                          static_cast<int32_t>(gbk.size()), &ec);
    out.resize(U_SUCCESS(ec) ? static_cast<std::size_t>(n) : 0);
    return out;
}

// Percent-encodes every third non-ASCII byte of the UTF-8 text, as a reply with
// escapes in it would look.
std::string ToEscaped(const std::string& utf8) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    std::size_t k = 0;
    for (unsigned char c : utf8) {
        if (c >= 0x80 && ++k % 3 == 0) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

struct Input {
    std::string gbk, utf8, escaped;
};

const Input& GetInput(std::size_t size, bool mixed) {
    static std::map<std::pair<std::size_t, bool>, Input> cache;
    auto& in = cache[{size, mixed}];
    if (in.gbk.empty()) {
        in.gbk = MakeText(size, mixed);
        in.utf8 = ToUtf8(in.gbk);
        in.escaped = ToEscaped(in.utf8);
    }
    return in;
}

std::string IcuConvert(const char* to, const char* from, const std::string& bytes) {
    UErrorCode ec = U_ZERO_ERROR;
    std::string out(bytes.size() * 2 + 16, '\0');
    auto n = ucnv_convert(to, from, out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                          static_cast<int32_t>(bytes.size()), &ec);
    out.resize(U_SUCCESS(ec) ? static_cast<std::size_t>(n) : 0);
    return out;
}

std::string PlainUrlDecode(std::string_view s) {
    auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
            out += static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

using Body = std::function<void(const Input&, benchmark::State&)>;

void RegisterPair(const std::string& name, Body ours, Body baseline) {
    for (std::size_t size : {kMiB, 16 * kMiB}) {
        for (bool mixed : {false, true}) {
            std::string key = name + (mixed ? "/mixed/" : "/ascii/") + std::to_string(size / kMiB) + "MiB";
            auto wrap = [size, mixed](Body body) {
                return [size, mixed, body](benchmark::State& state) {
                    const Input& in = GetInput(size, mixed);
                    body(in, state);
                    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
                };
            };
            benchmark::RegisterBenchmark((key + ":ours").c_str(), wrap(ours))->Unit(benchmark::kMicrosecond);
            if (baseline) {
                benchmark::RegisterBenchmark((key + ":baseline").c_str(), wrap(baseline))->Unit(benchmark::kMicrosecond);
            }
        }
    }
}

// A needle that only occurs at the very end, so the whole text is scanned.
const char kNeedle[] = "#needle#";

const bool registered = [] {
    RegisterPair(
        "FindText",
        [](const Input& in, benchmark::State& state) {
            Text text(in.gbk + kNeedle);
            for (auto _ : state) benchmark::DoNotOptimize(FindText(text, kNeedle));
        },
        [](const Input& in, benchmark::State& state) {
            std::string text = in.gbk + kNeedle;
            std::string_view view(text);
            for (auto _ : state) benchmark::DoNotOptimize(view.find(kNeedle));
        });
    RegisterPair(
        "ReplaceText",
        [](const Input& in, benchmark::State& state) {
            Text text(in.gbk);
            for (auto _ : state) benchmark::DoNotOptimize(ReplaceText(text, ";", "; ", true));
        },
        [](const Input& in, benchmark::State& state) {
            for (auto _ : state) {
                std::string out;
                out.reserve(in.gbk.size());
                std::size_t from = 0, at;
                while ((at = in.gbk.find(';', from)) != std::string::npos) {
                    out.append(in.gbk, from, at - from);
                    out += "; ";
                    from = at + 1;
                }
                out.append(in.gbk, from);
                benchmark::DoNotOptimize(out);
            }
        });
    RegisterPair(
        "SplitText",
        [](const Input& in, benchmark::State& state) {
            Text text(in.gbk);
            for (auto _ : state) benchmark::DoNotOptimize(SplitText(text, Text(";")));
        },
        [](const Input& in, benchmark::State& state) {
            for (auto _ : state) {
                std::vector<std::string> pieces;
                std::size_t from = 0, at;
                while ((at = in.gbk.find(';', from)) != std::string::npos) {
                    pieces.emplace_back(in.gbk, from, at - from);
                    from = at + 1;
                }
                if (from < in.gbk.size()) pieces.emplace_back(in.gbk, from);
                benchmark::DoNotOptimize(pieces);
            }
        });
    RegisterPair(
        "TrimSpaces",
        [](const Input& in, benchmark::State& state) {
            Text text("  " + in.gbk + "  ");
            for (auto _ : state) benchmark::DoNotOptimize(TrimSpaces(text));
        },
        [](const Input& in, benchmark::State& state) {
            std::string text = "  " + in.gbk + "  ";
            for (auto _ : state) {
                auto b = text.find_first_not_of(' ');
                auto e = text.find_last_not_of(' ');
                benchmark::DoNotOptimize(text.substr(b, e - b + 1));
            }
        });
    RegisterPair(
        "RemoveSpaces",
        [](const Input& in, benchmark::State& state) {
            Text text(in.gbk);
            for (auto _ : state) benchmark::DoNotOptimize(RemoveSpaces(text));
        },
        [](const Input& in, benchmark::State& state) {
            for (auto _ : state) {
                std::string out;
                out.reserve(in.gbk.size());
                std::remove_copy(in.gbk.begin(), in.gbk.end(), std::back_inserter(out), ' ');
                benchmark::DoNotOptimize(out);
            }
        });
    RegisterPair(
        "UrlDecode",
        [](const Input& in, benchmark::State& state) {
            Text text(in.escaped);
            for (auto _ : state) benchmark::DoNotOptimize(UrlDecode(text));
        },
        [](const Input& in, benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(PlainUrlDecode(in.escaped));
        });
    RegisterPair(
        "Utf8ToAnsi",
        [](const Input& in, benchmark::State& state) {
            Text text(in.utf8);
            for (auto _ : state) benchmark::DoNotOptimize(Utf8ToAnsi(text));
        },
        [](const Input& in, benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(IcuConvert("windows-936-2000", "UTF-8", in.utf8));
        });
    RegisterPair(
        "AnsiToUtf16",
        [](const Input& in, benchmark::State& state) {
            Text text(in.gbk);
            for (auto _ : state) benchmark::DoNotOptimize(AnsiToUtf16(text));
        },
        [](const Input& in, benchmark::State& state) {
            for (auto _ : state) benchmark::DoNotOptimize(IcuConvert("UTF-16LE", "windows-936-2000", in.gbk));
        });
    benchmark::RegisterBenchmark("MergeCookies/200+200:ours", [](benchmark::State& state) {
        std::string oldCookies, newCookies;
        for (int i = 0; i < 200; ++i) {
            oldCookies.append("old").append(std::to_string(i % 150)).append("=v").append(std::to_string(i)).append("; ");
            newCookies.append("n").append(std::to_string(i)).append(i % 10 ? "=x; " : "=deleted; ");
        }
        for (auto _ : state) {
            Text o(oldCookies), n(newCookies);
            benchmark::DoNotOptimize(MergeCookies(o, n));
        }
    })->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace
}  // namespace quotidia
