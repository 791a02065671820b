#include "app/jpeg_image.h"

#include "base/error.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

namespace zelt::app {

namespace resources {
// Generated at build time from resources/about.jpg.
extern const unsigned char kAboutJpeg[];
extern const size_t kAboutJpegSize;
}  // namespace resources

namespace {

// libjpeg reports errors by calling error_exit, which must not return: it jumps back to decode().
// Warnings (corrupt data the library would paper over with grey) count as errors too.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level) {
    if (level < 0) errorExit(cinfo);  // level -1 is a warning; trace messages are dropped
}

void outputMessage(j_common_ptr) {}

constexpr long long kMaxPixels = 16LL * 1024 * 1024;

// Runs libjpeg on `data` into `out`. No object with a destructor lives in this frame, so the jump
// back from errorExit skips nothing; `out` belongs to the caller. False with `message` on error.
bool decodeInto(const unsigned char* data, size_t size, RgbImage& out, ErrorManager& err) {
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    err.pub.output_message = outputMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    // Older libjpeg versions take a non-const buffer; it is only read.
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3 || static_cast<long long>(cinfo.output_width) * cinfo.output_height > kMaxPixels) {
        std::snprintf(err.message, sizeof err.message, "%ux%u", cinfo.output_width, cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    const size_t stride = static_cast<size_t>(out.width) * 3;
    out.rgb.assign(stride * static_cast<size_t>(out.height), 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.rgb.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

RgbImage decodeJpeg(const unsigned char* data, size_t size) {
    if (!data || size == 0) throw EngineError("Рисунок JPEG пуст");
    RgbImage out;
    ErrorManager err;
    if (!decodeInto(data, size, out, err))
        throw EngineError(std::string("Рисунок JPEG повреждён (") + err.message + ")");
    return out;
}

const unsigned char* aboutPictureData() { return resources::kAboutJpeg; }
size_t aboutPictureSize() { return resources::kAboutJpegSize; }

const RgbImage& aboutPicture() {
    static const RgbImage picture = decodeJpeg(aboutPictureData(), aboutPictureSize());
    return picture;
}

}  // namespace zelt::app
