#include "downsize/image_library.h"

#include "downsize/image_decode.h"
#include "downsize/image_files.h"
#include "downsize/image_status.h"
#include "downsize/jpeg_pass.h"

namespace lumbra {
namespace {

ImageInfo FailedInfo(int status) {
  ImageInfo info;
  info.status = status;
  return info;
}

}  // namespace

ImageInfo ReadImageInfo(const FileSystem& files, std::string_view name) {
  const auto bytes = ReadImageFile(files, name);
  if (!bytes.Ok()) return FailedInfo(bytes.status);
  const auto header = ReadHeader(bytes.value);
  if (!header.Ok()) return FailedInfo(header.status);
  return {image_status::kSuccess, header.value.width, header.value.height,
          header.value.bits_per_pixel};
}

int ConvertToJpeg(const FileSystem& files, std::string_view source, std::string_view target,
                  int format, int width, int height, int /*bits_per_pixel*/, int factor) {
  if (format != kJpegFormat) return image_status::kFeatureNotSupported;
  if (factor < kBestFactor || factor > kSmallestFactor) return image_status::kInvalidParameter;
  const auto bytes = ReadImageFile(files, source);
  if (!bytes.Ok()) return bytes.status;
  auto pixels = DecodeImage(bytes.value);
  if (!pixels.Ok()) return pixels.status;
  JpegEncoder encoder;
  const PixelPyramid picture(std::move(pixels.value));
  const auto jpeg = EncodePass(encoder, picture, width, height, factor);
  if (!jpeg.Ok()) return jpeg.status;
  auto output = OutputFile::Open(files, target);
  if (!output.Ok()) return output.status;
  return output.value->Commit(jpeg.value);
}

}  // namespace lumbra
