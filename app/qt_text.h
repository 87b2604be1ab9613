#pragma once
// Text (code page 936) to and from the UTF-16 that Qt shows.

#include <QString>

#include "text/code_pages.h"
#include "text/types.h"

namespace quotidia {

inline QString ToQString(const Text& text) { return QString::fromStdU16String(AnsiToUnits(text)); }

inline Text FromQString(const QString& text) {
    return UnitsToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                           static_cast<std::size_t>(text.size())));
}

}  // namespace quotidia
