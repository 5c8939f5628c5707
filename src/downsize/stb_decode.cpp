#include "downsize/stb_decode.h"

// Private copy: other modules of the host process may carry their own stb.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb/stb_image.h>

#include <memory>
#include <string_view>

#include "downsize/compose.h"
#include "downsize/image_status.h"
#include "downsize/pixel_limits.h"

namespace lumbra {
namespace {

int StatusOfFailure() {
  const std::string_view reason = stbi_failure_reason() != nullptr ? stbi_failure_reason() : "";
  if (reason == "outofmem") return image_status::kNoMemory;
  if (reason == "unknown image type") return image_status::kInvalidFormat;
  if (reason.find("not supported") != std::string_view::npos ||
      reason.find("unsupported") != std::string_view::npos) {
    return image_status::kUnsupportedSubtype;
  }
  return image_status::kReadError;
}

// stb converts everything to 8-bit channels; the stored depth of the two formats a page
// most often hands over is read from their headers.
int StoredBitsPerPixel(std::span<const std::uint8_t> bytes, int channels) {
  if (bytes.size() >= 30 && bytes[0] == 'B' && bytes[1] == 'M') return bytes[28] | (bytes[29] << 8);
  if (bytes.size() >= 11 && bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F') {
    return (bytes[10] & 7) + 1;
  }
  return channels * 8;
}

int Length(std::span<const std::uint8_t> bytes) {
  return bytes.size() > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX
                                                             : static_cast<int>(bytes.size());
}

}  // namespace

Decoded<ImageHeader> ReadStbHeader(std::span<const std::uint8_t> bytes) {
  int width = 0, height = 0, channels = 0;
  if (stbi_info_from_memory(bytes.data(), Length(bytes), &width, &height, &channels) == 0) {
    return {StatusOfFailure(), {}};
  }
  return {image_status::kSuccess, {width, height, StoredBitsPerPixel(bytes, channels)}};
}

Decoded<Pixels> DecodeWithStb(std::span<const std::uint8_t> bytes) {
  int width = 0, height = 0, channels = 0;
  if (stbi_info_from_memory(bytes.data(), Length(bytes), &width, &height, &channels) == 0) {
    return {StatusOfFailure(), {}};
  }
  if (!PixelCountAllowed(width, height)) return {image_status::kNoMemory, {}};
  std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> samples(
      stbi_load_from_memory(bytes.data(), Length(bytes), &width, &height, &channels, 0),
      &stbi_image_free);
  if (samples == nullptr) return {StatusOfFailure(), {}};
  return {image_status::kSuccess, ComposeOntoWhite(samples.get(), width, height, channels)};
}

}  // namespace lumbra
