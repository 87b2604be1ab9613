#pragma once
// Decoding a JPEG held in memory into a QImage, with libjpeg-turbo.
//
// One grey component gives Format_Grayscale8; three components, and any other
// count libjpeg can turn into RGB, give Format_RGB888. A stream libjpeg cannot
// turn into RGB (CMYK, for one) gives a null image.
//
// Anything short of a whole, intact stream gives a null QImage and nothing
// else: no crash, no message on the console, no exit. That covers empty input,
// bytes that are not a JPEG, a damaged header, a size above 16384 pixels a
// side or 64 megapixels in all (so that a few hostile bytes cannot ask for
// gigabytes), and also the streams libjpeg only warns about: one that ends
// early ("premature end of data", even when just the end marker is missing)
// or whose coded data is corrupt. libjpeg would patch those up with grey
// rows; we would rather show no picture than one that is not the picture in
// the file. Bytes after the end marker are ignored, as libjpeg ignores them.

#include <QByteArray>
#include <QImage>

namespace quotidia {

QImage DecodeJpeg(const QByteArray& bytes);

}  // namespace quotidia
