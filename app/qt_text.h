#pragma once
// Text (code page 936) to and from the UTF-16 that Qt shows.

#include <QString>

#include "text/code_pages.h"
#include "text/types.h"

namespace quotidia {

inline QString ToQString(const Text& text) {
    ByteBuffer units = AnsiToUtf16(text, true);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(units.data()),
                              static_cast<qsizetype>(units.size() / 2));
}

inline Text FromQString(const QString& text) {
    const auto* units = reinterpret_cast<const char*>(text.utf16());
    return Utf16ToAnsi(ByteBuffer(std::string_view(units, static_cast<std::size_t>(text.size()) * 2)));
}

}  // namespace quotidia
