#include "text/primitives.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "text/scan.h"

namespace quotidia {

namespace {

// Positions arrive as int and may be anything; do the arithmetic wide so that
// INT_MIN - 1 and friends are defined.
using Wide = long long;

Wide Clamp(Wide v, Wide lo, Wide hi) { return std::min(std::max(v, lo), hi); }

bool IsSpaceAt(std::string_view s, std::size_t i) {
    auto c = static_cast<unsigned char>(s[i]);
    return c == 0x20 || (c == 0xA1 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xA1);
}

unsigned char FoldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

}  // namespace

int TextLength(const Text& text) { return static_cast<int>(text.size()); }

Text TextLeft(const Text& text, int n) {
    if (n <= 0) return {};
    return Text(text.view().substr(0, static_cast<std::size_t>(n)));
}

Text TextRight(const Text& text, int n) {
    if (n <= 0) return {};
    auto len = text.size();
    auto take = std::min<std::size_t>(static_cast<std::size_t>(n), len);
    return Text(text.view().substr(len - take));
}

Text TextMid(const Text& text, int start, int n) {
    Wide len = static_cast<Wide>(text.size());
    if (start < 1 || start > len || n <= 0) return {};
    Wide offset = Wide{start} - 1;
    return Text(text.view().substr(static_cast<std::size_t>(offset),
                                   static_cast<std::size_t>(std::min<Wide>(n, len - offset))));
}

int FindText(const Text& text, const Text& sub, int start, bool ignoreCase) {
    std::size_t len = text.size();
    Wide offset = std::max<Wide>(Wide{start} - 1, 0);
    if (offset >= static_cast<Wide>(len)) return -1;
    if (sub.empty()) return 1;
    auto found = scan::FindAligned(text.view(), sub.view(), static_cast<std::size_t>(offset), ignoreCase);
    return found.match ? static_cast<int>(found.pos) + 1 : -1;
}

Text ToUpper(const Text& text) {
    std::string out(text.str());
    for (std::size_t i = 0; i < out.size();) {
        auto c = static_cast<unsigned char>(out[i]);
        if (c >= 0x80) {
            i += 2;  // the trail byte is never folded
        } else {
            out[i] = static_cast<char>(FoldAscii(c));
            ++i;
        }
    }
    return Text(std::move(out));
}

int TextToInt(const Text& text) {
    std::string_view s = text.view();
    std::size_t i = 0;
    // Reads one character with the full-width forms folded to ASCII; -1 at the
    // end (an incomplete final character counts as the end), 0x100 for a
    // double-byte character that folds to nothing.
    auto next = [&]() -> int {
        if (i >= s.size()) return -1;
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            return c;
        }
        if (i + 1 >= s.size()) {
            i = s.size();
            return -1;
        }
        auto t = static_cast<unsigned char>(s[i + 1]);
        i += 2;
        if (c == 0xA3 && t >= 0xA1 && t <= 0xFE) return t - 0x80;
        if (c == 0xA1 && t == 0xA1) return ' ';
        if (c == 0xA1 && t == 0xAB) return '~';
        if (c == 0xA1 && (t == 0xEE || t == 0xEF)) return '*';
        return 0x100;
    };
    int c = next();
    while (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r') c = next();
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = next();
    }
    std::uint32_t value = 0;
    while (c >= '0' && c <= '9') {
        value = value * 10u + static_cast<std::uint32_t>(c - '0');
        c = next();
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);  // modular since C++20
}

Text TrimSpaces(const Text& text) {
    std::string_view s = text.view();
    std::size_t i = 0;
    while (i < s.size() && IsSpaceAt(s, i)) i += static_cast<unsigned char>(s[i]) == 0x20 ? 1 : 2;
    std::size_t begin = i;
    // Only the tail decides where the text ends. Walk it from the last place
    // known to be a boundary that no run of spaces crosses: right after a byte
    // below 0x80 (never a lead byte, so it ends a character) that is no space.
    for (std::size_t r = s.size(); r > begin; --r) {
        auto b = static_cast<unsigned char>(s[r - 1]);
        if (b < 0x80 && b != 0x20) {
            i = r;
            break;
        }
    }
    std::size_t end = s.size();
    std::size_t runStart = std::string_view::npos;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80 && i + 1 >= s.size()) {  // incomplete final character: dropped
            end = i;
            runStart = std::string_view::npos;
            break;
        }
        if (IsSpaceAt(s, i)) {
            if (runStart == std::string_view::npos) runStart = i;
        } else {
            runStart = std::string_view::npos;
        }
        i += c >= 0x80 ? 2 : 1;
    }
    if (runStart != std::string_view::npos) end = runStart;
    return Text(s.substr(begin, end - begin));
}

Text RemoveSpaces(const Text& text) {
    std::string_view s = text.view();
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            if (c != 0x20) out.push_back(static_cast<char>(c));
            ++i;
        } else {
            if (i + 1 >= s.size()) break;  // incomplete final character: dropped
            if (!(c == 0xA1 && static_cast<unsigned char>(s[i + 1]) == 0xA1)) out.append(s.substr(i, 2));
            i += 2;
        }
    }
    return Text(std::move(out));
}

Text ReplaceText(const Text& text, const Text& find, const Text& replacement, int start,
                 std::optional<int> count, bool caseSensitive) {
    std::string_view s = text.view();
    std::string_view f = find.view();
    Wide offset = std::max<Wide>(Wide{start} - 1, 0);
    if (s.empty() || f.empty() || offset >= static_cast<Wide>(s.size()) || (count && *count == 0)) return text;

    std::string out;
    out.reserve(s.size());
    auto i = static_cast<std::size_t>(offset);
    out.append(s.substr(0, i));
    // A negative count never reaches zero, so it replaces every occurrence.
    Wide remaining = count ? Wide{*count} : -1;
    while (remaining != 0) {
        auto found = scan::FindAligned(s, f, i, !caseSensitive);
        if (!found.match) {
            // The scan copies the characters it stepped over; where it stopped
            // on an incomplete final character, that byte is dropped.
            out.append(s.substr(i, found.pos - i));
            i = found.pos;
            if (found.droppedIncomplete) i = s.size();
            break;
        }
        out.append(s.substr(i, found.pos - i));
        out.append(replacement.view());
        i = found.pos + f.size();
        --remaining;
    }
    out.append(s.substr(i));
    return Text(std::move(out));
}

TextArray SplitText(const Text& text, const std::optional<Text>& delimiter, std::optional<int> maxPieces) {
    TextArray pieces;
    if (text.empty() || (maxPieces && *maxPieces <= 0)) return pieces;
    std::string_view s = text.view();
    std::string_view d = delimiter ? delimiter->view() : std::string_view(",");
    if (d.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    Wide limit = maxPieces ? Wide{*maxPieces} : -1;
    std::size_t pieceStart = 0;
    std::size_t i = 0;
    while (true) {
        auto found = scan::FindAligned(s, d, i, false);
        if (!found.match) break;
        pieces.emplace_back(s.substr(pieceStart, found.pos - pieceStart));
        i = pieceStart = found.pos + d.size();
        if (static_cast<Wide>(pieces.size()) == limit) return pieces;
    }
    if (pieceStart < s.size()) pieces.emplace_back(s.substr(pieceStart));
    return pieces;
}

int CompareText(const Text& a, const Text& b, bool caseSensitive) {
    std::string_view x = a.view(), y = b.view();
    std::size_t n = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto cx = static_cast<unsigned char>(x[i]);
        auto cy = static_cast<unsigned char>(y[i]);
        if (!caseSensitive) {
            cx = FoldAscii(cx);
            cy = FoldAscii(cy);
        }
        if (cx != cy) return cx < cy ? -1 : 1;
    }
    if (x.size() == y.size()) return 0;
    return x.size() < y.size() ? -1 : 1;
}

Text SpaceText(int n) {
    if (n < 1) return {};
    return Text(std::string(static_cast<std::size_t>(n), ' '));
}

Text CharFromCode(unsigned char code) {
    if (code == 0) return {};
    return Text(std::string(1, static_cast<char>(code)));
}

ByteBuffer TextToBytes(const Text& text) { return ByteBuffer(text.str()); }

Text BytesToText(const ByteBuffer& buffer) { return Text(buffer.view()); }

int BytesLength(const ByteBuffer& buffer) { return static_cast<int>(buffer.size()); }

ByteBuffer BytesLeft(const ByteBuffer& buffer, int n) {
    Wide take = Clamp(n, 0, static_cast<Wide>(buffer.size()));
    return ByteBuffer(buffer.view().substr(0, static_cast<std::size_t>(take)));
}

ByteBuffer BytesMid(const ByteBuffer& buffer, int start, int n) {
    Wide len = static_cast<Wide>(buffer.size());
    Wide offset = Clamp(Wide{start} - 1, 0, len);
    Wide take = std::min<Wide>(std::max(n, 0), len - offset);
    return ByteBuffer(buffer.view().substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(take)));
}

ByteBuffer ZeroBytes(int n) {
    if (n <= 0) return {};
    return ByteBuffer(std::string(static_cast<std::size_t>(n), '\0'));
}

ByteBuffer BytesFromMemory(const void* address, int n) {
    if (address == nullptr || n <= 0) return {};
    return ByteBuffer(std::string_view(static_cast<const char*>(address), static_cast<std::size_t>(n)));
}

}  // namespace quotidia
