#pragma once
// JPEG decoding and encoding over TurboJPEG.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "downsize/pixels.h"

namespace lumbra {

bool LooksLikeJpeg(std::span<const std::uint8_t> bytes);
Decoded<ImageHeader> ReadJpegHeader(std::span<const std::uint8_t> bytes);
Decoded<Pixels> DecodeJpeg(std::span<const std::uint8_t> bytes);

// One encoder per thread: it keeps its TurboJPEG handle between calls.
class JpegEncoder {
 public:
  JpegEncoder();
  ~JpegEncoder();
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;

  // Baseline JPEG at `quality` (1..100): grey pixels give a grey JPEG, RGB gives 4:2:0 YCbCr.
  Decoded<std::vector<std::uint8_t>> Encode(const Pixels& pixels, int quality);

 private:
  void* handle_;
};

}  // namespace lumbra
