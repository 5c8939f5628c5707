#pragma once
// The image-file library the downsizer works through: it reads a picture's size and depth,
// and writes a picture as JPEG at a given size and quality factor. JPEG is read and written
// with TurboJPEG, PNG with libpng, TIFF with libtiff, and BMP, GIF, TGA, PSD, PNM, HDR and PIC
// with stb_image; the format is told by content. Results are the library's status codes
// (downsize/image_status.h).
#include <string_view>

#include "platform/base/files.h"

namespace lumbra {

// The library's code for JPEG, the only target format it writes.
inline constexpr int kJpegFormat = 10;

struct ImageInfo {
  int status = 0;  // 1, or the failure's status code; the fields are then 0
  int width = 0;
  int height = 0;
  int bits_per_pixel = 0;  // as stored: 8 for grey or a palette, 24 for RGB, 32 for RGBA or CMYK
};

ImageInfo ReadImageInfo(const FileSystem& files, std::string_view name);

// Writes `target` as a `width` x `height` JPEG at `factor` (2 best .. 255 smallest) from the
// picture in `source`. The JPEG keeps the source's colour model whatever `bits_per_pixel`
// says, since JPEG holds only 8-bit grey and 24-bit colour: grey stays grey, and a colour
// palette keeps its colours (the argument is kept for the library's call shape). Returns 1,
// or: -16 a format other than 10; -13 a factor outside 2..255; the source's read status
// (-10, -14, -7, -9, -12, -1); -11 a size no JPEG can have;
// -1 out of memory; -14 target not writable; -5 write failure.
int ConvertToJpeg(const FileSystem& files, std::string_view source, std::string_view target,
                  int format, int width, int height, int bits_per_pixel, int factor);

}  // namespace lumbra
