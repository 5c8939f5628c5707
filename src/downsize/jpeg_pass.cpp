#include "downsize/jpeg_pass.h"

#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>

#include <new>

#include "downsize/image_status.h"
#include "downsize/pixel_limits.h"

namespace lumbra {
namespace {

Decoded<Pixels> Resample(const Pixels& source, int width, int height) {
  Pixels out{width, height, source.channels, {}};
  try {
    out.data.resize(out.RowBytes() * height);
  } catch (const std::bad_alloc&) {
    return {image_status::kNoMemory, {}};
  }
  if (stbir_resize_uint8_generic(source.data.data(), source.width, source.height, 0,
                                 out.data.data(), width, height, 0, source.channels,
                                 STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                                 STBIR_FILTER_MITCHELL, STBIR_COLORSPACE_LINEAR, nullptr) == 0) {
    return {image_status::kNoMemory, {}};
  }
  return {image_status::kSuccess, std::move(out)};
}

}  // namespace

int JpegQualityOfFactor(int factor) {
  return 100 - ((factor - kBestFactor) * 99 + 126) / 253;
}

Decoded<std::vector<std::uint8_t>> EncodePass(JpegEncoder& encoder, const PixelPyramid& picture,
                                              int width, int height, int factor) {
  if (factor < kBestFactor || factor > kSmallestFactor) {
    return {image_status::kInvalidParameter, {}};
  }
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    return {image_status::kInvalidSize, {}};
  }
  if (!PixelCountAllowed(width, height)) return {image_status::kNoMemory, {}};
  const int quality = JpegQualityOfFactor(factor);
  const Pixels& source = picture.Source();
  if (width == source.width && height == source.height) return encoder.Encode(source, quality);
  try {
    const auto resized = Resample(picture.LevelFor(width, height), width, height);
    if (!resized.Ok()) return {resized.status, {}};
    return encoder.Encode(resized.value, quality);
  } catch (const std::bad_alloc&) {
    return {image_status::kNoMemory, {}};
  }
}

}  // namespace lumbra
