#include "text/url_decode.h"

#include <string>

#include "text/code_pages.h"

namespace quotidia {

namespace {

int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

Text UrlDecode(const Text& text, bool convertUtf8) {
    std::string_view s = text.view();
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        int high = -1, low = -1;
        if (c == '%' && i + 2 < s.size()) {
            high = HexValue(static_cast<unsigned char>(s[i + 1]));
            low = HexValue(static_cast<unsigned char>(s[i + 2]));
        }
        if (high < 0 || low < 0) {
            // Not an escape: a lone '%' is data (such as "不到2%，"), not a
            // prefix that may swallow the bytes after it.
            out.push_back(c);
            continue;
        }
        char decoded = static_cast<char>(high * 16 + low);
        if (decoded != '\0') out.push_back(decoded);
        i += 2;
    }
    Text result(std::move(out));
    return convertUtf8 ? Utf8ToAnsi(result) : result;
}

}  // namespace quotidia
