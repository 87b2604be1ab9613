#include "app/jpeg_image.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h uses FILE without including it
#include <type_traits>

#include <jpeglib.h>

namespace quotidia {

namespace {

constexpr JDIMENSION kMaxSide = 16384;
constexpr unsigned long long kMaxPixels = 64ull * 1024 * 1024;

// libjpeg's own error_exit ends the process. Ours jumps back to the setjmp of
// the step that is running, which then returns false. The jpeg_error_mgr comes
// first so that libjpeg's pointer to it also points to the whole.
struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};
static_assert(std::is_standard_layout_v<ErrorJump>);

[[noreturn]] void JumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

// A warning (negative level) means libjpeg met damage and is about to patch
// over it; the header explains why that fails the decode. Trace messages are
// of no interest.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0) JumpBack(info);
}

void Silent(j_common_ptr) {}

// Owns the decompressor. jpeg_destroy_decompress is safe on the zeroed struct,
// on one that jpeg_create_decompress failed half-way through, and after an
// error at any later step, so the destructor calls it whatever happened.
class Decompressor {
public:
    Decompressor() {
        info_.err = jpeg_std_error(&errors_.manager);
        errors_.manager.error_exit = JumpBack;
        errors_.manager.emit_message = OnMessage;
        errors_.manager.output_message = Silent;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info_); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct* info() { return &info_; }
    ErrorJump* errors() { return &errors_; }

private:
    ErrorJump errors_{};
    jpeg_decompress_struct info_{};
};

// The two steps below are where libjpeg may jump. Each arms the jump in its
// own frame and holds only plain values there, so a jump skips no destructor;
// the QImage is made between them, outside any armed frame.

// Reads the header and starts decompression; false if the stream is refused.
bool Start(jpeg_decompress_struct* info, ErrorJump* errors, const unsigned char* data,
           unsigned long size) {
    if (setjmp(errors->jump)) return false;
    jpeg_create_decompress(info);
    jpeg_mem_src(info, data, size);
    jpeg_read_header(info, TRUE);
    if (info->image_width > kMaxSide || info->image_height > kMaxSide ||
        static_cast<unsigned long long>(info->image_width) * info->image_height > kMaxPixels)
        return false;
    const bool grey = info->num_components == 1;
    info->out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(info);
    return info->output_components == (grey ? 1 : 3);
}

// Decodes every row into the caller's pixels and reads on to the end marker.
bool ReadRows(jpeg_decompress_struct* info, ErrorJump* errors, uchar* pixels,
              qsizetype bytesPerLine) {
    if (setjmp(errors->jump)) return false;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = pixels + qsizetype(info->output_scanline) * bytesPerLine;
        if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(info);
    return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& bytes) {
    Decompressor jpeg;
    jpeg_decompress_struct* info = jpeg.info();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    if (!Start(info, jpeg.errors(), data, static_cast<unsigned long>(bytes.size()))) return {};
    const auto format = info->output_components == 1 ? QImage::Format_Grayscale8
                                                     : QImage::Format_RGB888;
    QImage image(int(info->output_width), int(info->output_height), format);
    if (image.isNull()) return {};  // out of memory
    if (!ReadRows(info, jpeg.errors(), image.bits(), image.bytesPerLine())) return {};
    return image;
}

}  // namespace quotidia
