#include "downsize/image_decode.h"

#include "downsize/image_status.h"
#include "downsize/jpeg_codec.h"
#include "downsize/pixel_limits.h"
#include "downsize/png_decode.h"
#include "downsize/stb_decode.h"
#include "downsize/tiff_decode.h"

namespace lumbra {
namespace {

template <typename T>
Decoded<T> CheckedSize(Decoded<T> decoded) {
  const int width = decoded.value.width;
  const int height = decoded.value.height;
  if (decoded.Ok() && (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)) {
    return {image_status::kInvalidSize, {}};
  }
  return decoded;
}

}  // namespace

Decoded<ImageHeader> ReadHeader(std::span<const std::uint8_t> bytes) {
  Decoded<ImageHeader> header = LooksLikeJpeg(bytes)  ? ReadJpegHeader(bytes)
                                : LooksLikePng(bytes) ? ReadPngHeader(bytes)
                                : LooksLikeTiff(bytes) ? ReadTiffHeader(bytes)
                                                       : ReadStbHeader(bytes);
  return CheckedSize(std::move(header));
}

Decoded<Pixels> DecodeImage(std::span<const std::uint8_t> bytes) {
  Decoded<Pixels> pixels = LooksLikeJpeg(bytes)  ? DecodeJpeg(bytes)
                           : LooksLikePng(bytes) ? DecodePng(bytes)
                           : LooksLikeTiff(bytes) ? DecodeTiff(bytes)
                                                  : DecodeWithStb(bytes);
  return CheckedSize(std::move(pixels));
}

}  // namespace lumbra
