#include "downsize/tiff_decode.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <new>
#include <vector>

#include "downsize/compose.h"
#include "downsize/image_status.h"
#include "downsize/pixel_limits.h"

namespace lumbra {
namespace {

// libtiff reads through these callbacks from the bytes already in memory.
struct MemorySource {
  std::span<const std::uint8_t> bytes;
  toff_t position = 0;
};

tmsize_t ReadMemory(thandle_t handle, void* buffer, tmsize_t size) {
  auto* source = static_cast<MemorySource*>(handle);
  if (source->position >= source->bytes.size()) return 0;
  const auto count = std::min<toff_t>(static_cast<toff_t>(size),
                                      source->bytes.size() - source->position);
  std::memcpy(buffer, source->bytes.data() + source->position, count);
  source->position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t WriteNothing(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekMemory(thandle_t handle, toff_t offset, int whence) {
  auto* source = static_cast<MemorySource*>(handle);
  const toff_t base = whence == SEEK_CUR ? source->position
                      : whence == SEEK_END ? source->bytes.size()
                                           : 0;
  source->position = base + offset;
  return source->position;
}

int CloseNothing(thandle_t) { return 0; }
toff_t SizeOfMemory(thandle_t handle) { return static_cast<MemorySource*>(handle)->bytes.size(); }
int MapNothing(thandle_t, void**, toff_t*) { return 0; }
void UnmapNothing(thandle_t, void*, toff_t) {}

// libtiff's messages would go to stderr; the status code says what went wrong.
int Silence(TIFF*, void*, const char*, const char*, va_list) { return 1; }

class TiffFile {
 public:
  explicit TiffFile(std::span<const std::uint8_t> bytes) : source_{bytes} {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, Silence, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Silence, nullptr);
    tiff_ = TIFFClientOpenExt("memory", "rm", &source_, ReadMemory, WriteNothing, SeekMemory,
                              CloseNothing, SizeOfMemory, MapNothing, UnmapNothing, options);
    TIFFOpenOptionsFree(options);
  }
  ~TiffFile() {
    if (tiff_ != nullptr) TIFFClose(tiff_);
  }
  TiffFile(const TiffFile&) = delete;
  TiffFile& operator=(const TiffFile&) = delete;

  TIFF* get() const { return tiff_; }

  std::uint16_t Field16(ttag_t tag) const {
    std::uint16_t value = 0;
    TIFFGetFieldDefaulted(tiff_, tag, &value);
    return value;
  }
  std::uint32_t Field32(ttag_t tag) const {
    std::uint32_t value = 0;
    TIFFGetField(tiff_, tag, &value);
    return value;
  }

 private:
  MemorySource source_;
  TIFF* tiff_ = nullptr;
};

bool IsGrey(const TiffFile& tiff) {
  const auto photometric = tiff.Field16(TIFFTAG_PHOTOMETRIC);
  return photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
}

bool HasAlpha(const TiffFile& tiff) {
  std::uint16_t count = 0;
  std::uint16_t* kinds = nullptr;
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_EXTRASAMPLES, &count, &kinds);
  return count > 0;
}

}  // namespace

bool LooksLikeTiff(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 4 && ((bytes[0] == 'I' && bytes[1] == 'I' && bytes[2] == 42 && bytes[3] == 0) ||
                               (bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && bytes[3] == 42));
}

Decoded<ImageHeader> ReadTiffHeader(std::span<const std::uint8_t> bytes) {
  TiffFile tiff(bytes);
  if (tiff.get() == nullptr) return {image_status::kInvalidFormat, {}};
  const int bits = tiff.Field16(TIFFTAG_BITSPERSAMPLE) * tiff.Field16(TIFFTAG_SAMPLESPERPIXEL);
  return {image_status::kSuccess,
          {static_cast<int>(tiff.Field32(TIFFTAG_IMAGEWIDTH)),
           static_cast<int>(tiff.Field32(TIFFTAG_IMAGELENGTH)), bits}};
}

Decoded<Pixels> DecodeTiff(std::span<const std::uint8_t> bytes) {
  TiffFile tiff(bytes);
  if (tiff.get() == nullptr) return {image_status::kInvalidFormat, {}};
  char reason[1024] = {};
  if (TIFFRGBAImageOK(tiff.get(), reason) == 0) return {image_status::kUnsupportedSubtype, {}};
  const std::uint32_t width = tiff.Field32(TIFFTAG_IMAGEWIDTH);
  const std::uint32_t height = tiff.Field32(TIFFTAG_IMAGELENGTH);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    return {image_status::kInvalidSize, {}};
  }
  if (!PixelCountAllowed(width, height)) return {image_status::kNoMemory, {}};
  std::vector<std::uint32_t> raster;
  try {
    raster.resize(static_cast<std::size_t>(width) * height);
  } catch (const std::bad_alloc&) {
    return {image_status::kNoMemory, {}};
  }
  if (TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT,
                                0) == 0) {
    return {image_status::kReadError, {}};
  }
  // The raster is packed ABGR whatever the file held; unpack it to RGBA bytes, then drop what
  // the picture does not have.
  std::vector<std::uint8_t> rgba(raster.size() * 4);
  for (std::size_t i = 0; i < raster.size(); ++i) {
    rgba[i * 4 + 0] = static_cast<std::uint8_t>(TIFFGetR(raster[i]));
    rgba[i * 4 + 1] = static_cast<std::uint8_t>(TIFFGetG(raster[i]));
    rgba[i * 4 + 2] = static_cast<std::uint8_t>(TIFFGetB(raster[i]));
    rgba[i * 4 + 3] = static_cast<std::uint8_t>(TIFFGetA(raster[i]));
  }
  Pixels colour = ComposeOntoWhite(rgba.data(), static_cast<int>(width), static_cast<int>(height),
                                   HasAlpha(tiff) ? 4 : 3);
  if (!IsGrey(tiff)) return {image_status::kSuccess, std::move(colour)};
  Pixels grey{colour.width, colour.height, 1, std::vector<std::uint8_t>(raster.size())};
  for (std::size_t i = 0; i < raster.size(); ++i) grey.data[i] = colour.data[i * 3];
  return {image_status::kSuccess, std::move(grey)};
}

}  // namespace lumbra
