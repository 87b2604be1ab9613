#pragma once
// What every text-handling test needs: readable failure output for Text and
// ByteBuffer, and code page 936 literals written as UTF-8 in the source.

#include <iconv.h>

#include <cstdio>
#include <ostream>
#include <stdexcept>
#include <string>

#include "text/types.h"

namespace quotidia {

inline void PrintTo(const Text& text, std::ostream* os) {
    *os << '"';
    for (unsigned char c : text.str()) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            *os << c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            *os << hex;
        }
    }
    *os << '"';
}

inline void PrintTo(const ByteBuffer& buffer, std::ostream* os) {
    *os << "bytes[";
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", buffer[i]);
        *os << (i ? " " : "") << hex;
    }
    *os << ']';
}

// A UTF-8 literal in code page 936, converted by the C library's iconv so
// that the tests do not check our converter against itself.
inline Text Gbk(const char* utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no GBK");
    std::string in(utf8), out(in.size() * 2 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) throw std::runtime_error("not convertible to GBK");
    out.resize(out.size() - dstLeft);
    return Text(out);
}

}  // namespace quotidia
