#include "downsize/png_decode.h"

#include <png.h>

#include <cstring>
#include <new>
#include <vector>

#include "downsize/image_status.h"
#include "downsize/pixel_limits.h"

namespace lumbra {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

int BigEndian32(const std::uint8_t* p) {
  return static_cast<int>((std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                          (std::uint32_t{p[2]} << 8) | p[3]);
}

int ChannelsOfColorType(int color_type) {
  switch (color_type) {
    case 0: return 1;  // grey
    case 2: return 3;  // RGB
    case 3: return 1;  // palette index
    case 4: return 2;  // grey + alpha
    case 6: return 4;  // RGBA
    default: return 0;
  }
}

struct PngImage {
  png_image image{};
  PngImage() { image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

}  // namespace

bool LooksLikePng(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

// The header chunk comes first and is fixed, so the stored depth is read from it directly:
// the simplified reader reports only its own output formats.
Decoded<ImageHeader> ReadPngHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 33 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) {
    return {image_status::kInvalidFormat, {}};
  }
  const int channels = ChannelsOfColorType(bytes[25]);
  if (channels == 0) return {image_status::kUnsupportedSubtype, {}};
  return {image_status::kSuccess,
          {BigEndian32(bytes.data() + 16), BigEndian32(bytes.data() + 20), bytes[24] * channels}};
}

Decoded<Pixels> DecodePng(std::span<const std::uint8_t> bytes) {
  PngImage png;
  if (png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size()) == 0) {
    return {image_status::kInvalidFormat, {}};
  }
  if (!PixelCountAllowed(png.image.width, png.image.height)) return {image_status::kNoMemory, {}};
  const bool grey = (png.image.format & PNG_FORMAT_FLAG_COLOR) == 0;
  png.image.format = grey ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
  Pixels out{static_cast<int>(png.image.width), static_cast<int>(png.image.height), grey ? 1 : 3,
             {}};
  try {
    out.data.resize(PNG_IMAGE_SIZE(png.image));
  } catch (const std::bad_alloc&) {
    return {image_status::kNoMemory, {}};
  }
  // Without an alpha channel in the output format, libpng composes transparency onto this.
  const png_color white{255, 255, 255};
  if (png_image_finish_read(&png.image, &white, out.data.data(), 0, nullptr) == 0) {
    return {image_status::kReadError, {}};
  }
  return {image_status::kSuccess, std::move(out)};
}

}  // namespace lumbra
