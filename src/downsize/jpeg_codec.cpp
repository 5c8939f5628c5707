#include "downsize/jpeg_codec.h"

#include <turbojpeg.h>

#include <cstring>
#include <new>
#include <string_view>

#include "downsize/image_status.h"
#include "downsize/pixel_limits.h"

namespace lumbra {
namespace {

struct TjHandle {
  tjhandle handle;
  explicit TjHandle(tjhandle h) : handle(h) {}
  ~TjHandle() {
    if (handle != nullptr) tjDestroy(handle);
  }
  TjHandle(const TjHandle&) = delete;
  TjHandle& operator=(const TjHandle&) = delete;
};

// TurboJPEG reports a sub-type it cannot handle (12-bit samples, lossless) as "Unsupported".
int FailureStatus(tjhandle handle, int otherwise) {
  const std::string_view message = tjGetErrorStr2(handle);
  return message.find("nsupported") != std::string_view::npos
             ? image_status::kUnsupportedSubtype
             : otherwise;
}

struct JpegShape {
  int width = 0;
  int height = 0;
  int colorspace = 0;
};

Decoded<JpegShape> ReadShape(tjhandle handle, std::span<const std::uint8_t> bytes) {
  JpegShape shape;
  int subsampling = 0;
  if (tjDecompressHeader3(handle, bytes.data(), static_cast<unsigned long>(bytes.size()),
                          &shape.width, &shape.height, &subsampling, &shape.colorspace) != 0) {
    return {FailureStatus(handle, image_status::kInvalidFormat), {}};
  }
  return {image_status::kSuccess, shape};
}

// Adobe writes CMYK inverted, which is how nearly every CMYK JPEG reaches a workstation.
Pixels RgbFromInvertedCmyk(const std::vector<std::uint8_t>& cmyk, int width, int height) {
  Pixels out{width, height, 3, {}};
  const std::size_t count = static_cast<std::size_t>(width) * height;
  out.data.resize(count * 3);
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned k = cmyk[i * 4 + 3];
    for (int c = 0; c < 3; ++c) {
      out.data[i * 3 + c] = static_cast<std::uint8_t>((cmyk[i * 4 + c] * k + 127) / 255);
    }
  }
  return out;
}

}  // namespace

bool LooksLikeJpeg(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

Decoded<ImageHeader> ReadJpegHeader(std::span<const std::uint8_t> bytes) {
  TjHandle decoder(tjInitDecompress());
  if (decoder.handle == nullptr) return {image_status::kNoMemory, {}};
  const auto shape = ReadShape(decoder.handle, bytes);
  if (!shape.Ok()) return {shape.status, {}};
  const int bits = shape.value.colorspace == TJCS_GRAY ? 8
                   : (shape.value.colorspace == TJCS_CMYK || shape.value.colorspace == TJCS_YCCK)
                       ? 32
                       : 24;
  return {image_status::kSuccess, {shape.value.width, shape.value.height, bits}};
}

Decoded<Pixels> DecodeJpeg(std::span<const std::uint8_t> bytes) {
  TjHandle decoder(tjInitDecompress());
  if (decoder.handle == nullptr) return {image_status::kNoMemory, {}};
  const auto shape = ReadShape(decoder.handle, bytes);
  if (!shape.Ok()) return {shape.status, {}};
  const auto [width, height, colorspace] = shape.value;
  if (!PixelCountAllowed(width, height)) return {image_status::kNoMemory, {}};

  const bool grey = colorspace == TJCS_GRAY;
  const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
  const int format = grey ? TJPF_GRAY : cmyk ? TJPF_CMYK : TJPF_RGB;
  const int channels = tjPixelSize[format];
  std::vector<std::uint8_t> samples;
  try {
    samples.resize(static_cast<std::size_t>(width) * height * channels);
  } catch (const std::bad_alloc&) {
    return {image_status::kNoMemory, {}};
  }
  // A warning (a truncated or slightly damaged file) still yields a picture, as viewers show it.
  if (tjDecompress2(decoder.handle, bytes.data(), static_cast<unsigned long>(bytes.size()),
                    samples.data(), width, 0, height, format, TJFLAG_ACCURATEDCT) != 0 &&
      tjGetErrorCode(decoder.handle) != TJERR_WARNING) {
    return {FailureStatus(decoder.handle, image_status::kReadError), {}};
  }
  if (cmyk) return {image_status::kSuccess, RgbFromInvertedCmyk(samples, width, height)};
  return {image_status::kSuccess, Pixels{width, height, channels, std::move(samples)}};
}

JpegEncoder::JpegEncoder() : handle_(tjInitCompress()) {}

JpegEncoder::~JpegEncoder() {
  if (handle_ != nullptr) tjDestroy(handle_);
}

Decoded<std::vector<std::uint8_t>> JpegEncoder::Encode(const Pixels& pixels, int quality) {
  if (handle_ == nullptr) return {image_status::kNoMemory, {}};
  const int subsampling = pixels.Grey() ? TJSAMP_GRAY : TJSAMP_420;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (tjCompress2(handle_, pixels.data.data(), pixels.width, 0, pixels.height,
                  pixels.Grey() ? TJPF_GRAY : TJPF_RGB, &buffer, &size, subsampling, quality,
                  TJFLAG_ACCURATEDCT) != 0) {
    tjFree(buffer);
    return {image_status::kNoMemory, {}};
  }
  std::vector<std::uint8_t> jpeg(buffer, buffer + size);
  tjFree(buffer);
  return {image_status::kSuccess, std::move(jpeg)};
}

}  // namespace lumbra
