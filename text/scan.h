#pragma once
// The one character-stepping search shared by FindText, ReplaceText and
// SplitText (internal to the text module).
//
// The search starts at a character boundary and only ever compares at
// boundaries reached by stepping characters from there, so a match never
// begins on the trail byte of a character that was stepped over. It stays
// linear: candidates come from std::string_view::find, and the stretch between
// two candidates is walked eight ASCII bytes at a time.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace quotidia::scan {

struct Found {
    bool match = false;
    // The match position; without a match, where the scan stopped: the first
    // boundary with fewer bytes left than the pattern has, or the lead byte of
    // an incomplete final character.
    std::size_t pos = 0;
    // The scan stopped on an incomplete final character (a lead byte with
    // nothing after it), which the character-copying callers drop.
    bool droppedIncomplete = false;
};

inline bool EightAscii(std::string_view s, std::size_t i) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + i, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

inline bool IsLead(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]) >= 0x80; }

// A character boundary in [from, target], found without walking from `from`:
// a byte below 0x80 is never a lead byte, so it always ends a character. Looks
// back from target only as far as `from`, which keeps every search linear.
inline std::size_t NearestKnownBoundary(std::string_view s, std::size_t from, std::size_t target) {
    for (std::size_t r = target; r > from; --r) {
        if (!IsLead(s, r - 1)) return r;
    }
    return from;
}

// The first character boundary at or after `target`, stepping from `from`.
inline std::size_t AdvanceTo(std::string_view s, std::size_t from, std::size_t target) {
    std::size_t q = NearestKnownBoundary(s, from, target);
    while (q < target) {
        if (q + 8 <= target && EightAscii(s, q)) {
            q += 8;
        } else {
            q += IsLead(s, q) ? 2 : 1;
        }
    }
    return q;
}

// Where a scan from `from` stops when the pattern (of length m) occurs nowhere:
// the first boundary with fewer than m bytes left, unless an incomplete final
// character comes first.
inline Found StopWithoutMatch(std::string_view s, std::size_t from, std::size_t m) {
    const std::size_t len = s.size();
    if (len - from < m) return {false, from, false};
    const std::size_t firstTooShort = len - m + 1;
    std::size_t q = AdvanceTo(s, from, firstTooShort);
    // Stepping past the end means the last byte was a lead byte on its own.
    if (q > len) return {false, len - 1, true};
    return {false, q, false};
}

inline bool EqualIgnoringAsciiCase(const char* a, const char* b, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        auto x = static_cast<unsigned char>(a[k]);
        auto y = static_cast<unsigned char>(b[k]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// pat must not be empty; from must be a character boundary.
inline Found FindAligned(std::string_view s, std::string_view pat, std::size_t from, bool ignoreCase) {
    const std::size_t len = s.size();
    const std::size_t m = pat.size();
    if (from > len) return {false, len, false};
    if (ignoreCase) {
        std::size_t q = from;
        while (q < len && len - q >= m) {
            if (EqualIgnoringAsciiCase(s.data() + q, pat.data(), m)) return {true, q, false};
            if (IsLead(s, q)) {
                if (q + 1 >= len) return {false, q, true};
                q += 2;
            } else {
                ++q;
            }
        }
        return {false, q, false};
    }
    std::size_t q = from;
    while (true) {
        std::size_t j = s.find(pat, q);
        if (j == std::string_view::npos) return StopWithoutMatch(s, q, m);
        q = AdvanceTo(s, q, j);
        if (q == j) return {true, j, false};
        // j was a trail byte; q is the boundary right after it.
    }
}

}  // namespace quotidia::scan
