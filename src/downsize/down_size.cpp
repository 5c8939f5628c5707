#include "downsize/down_size.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "downsize/down_size_names.h"
#include "downsize/down_size_texts.h"
#include "downsize/image_decode.h"
#include "downsize/image_files.h"
#include "downsize/image_library.h"
#include "downsize/image_status.h"
#include "downsize/jpeg_pass.h"
#include "downsize/pass_runner.h"
#include "platform/automation/com_error.h"
#include "platform/base/text.h"
#include "platform/ui/user_interface.h"

namespace lumbra {
namespace {

constexpr const char* kProgId = "Tamsel.DownSize.1";

// What every pass works from: the backup's pixels, decoded once, and the output file, opened
// before the first pass as the first pass would open it. A failure here is the first pass's
// failure, as it would be if every pass read and wrote the files itself.
struct PassInputs {
  int status = image_status::kSuccess;
  std::unique_ptr<const PixelPyramid> picture;
  std::optional<OutputFile> output;
};

PassInputs FailedInputs(int status) {
  PassInputs inputs;
  inputs.status = status;
  return inputs;
}

PassInputs PreparePasses(const FileSystem& files, bool backed_up, const std::string& backup,
                         const std::string& output) {
  // Without a fresh backup the pixels would come from a stale one, and a JPEG replaced in
  // place could not be recovered.
  if (!backed_up) return FailedInputs(image_status::kWriteError);
  const auto bytes = ReadImageFile(files, backup);
  if (!bytes.Ok()) return FailedInputs(bytes.status);
  auto pixels = DecodeImage(bytes.value);
  if (!pixels.Ok()) return FailedInputs(pixels.status);
  auto opened = OutputFile::Open(files, output);
  if (!opened.Ok()) return FailedInputs(opened.status);
  return {image_status::kSuccess, std::make_unique<const PixelPyramid>(std::move(pixels.value)),
          std::move(opened.value)};
}

EncodedPass EncodeFrom(const PassInputs& inputs, const PassParams& pass) {
  if (inputs.status != image_status::kSuccess) return {inputs.status, {}};
  // Levels below the best stay invalid (-13) without overflowing the factor.
  const int factor = static_cast<int>(std::max<std::int64_t>(pass.level, kBestFactor - 1));
  try {
    JpegEncoder encoder;
    return EncodePass(encoder, *inputs.picture, pass.width, pass.height, factor);
  } catch (const std::bad_alloc&) {
    return {image_status::kNoMemory, {}};
  }
}

}  // namespace

DownSize::DownSize(Services& services) : services_(services) {}

const DispatchTable& DownSize::Dispatch() const {
  static const DispatchTable table =
      DispatchTable::For<DownSize>("IDownSize")
          .Method(1, "DownSize", &DownSize::DownSizeFile,
                  {Arg("bstrFileName"), Arg("nByteSize"), Arg("nChangeCompression"),
                   Arg("nCompression"), Arg("nPercent")})
          .Method(2, "ShowErrors", &DownSize::ShowErrors, {Arg("ShowErrors")})
          .Method(3, "GetErrorString", &DownSize::GetErrorString, {Arg("TheError")});
  return table;
}

std::int32_t DownSize::DownSizeFile(const std::string& file_name, std::int32_t byte_size,
                                    std::int32_t change_compression, std::int32_t compression,
                                    std::int32_t percent) {
  const FileSystem& files = services_.files;
  const std::string name = UpperAnsi(AnsiFromUtf8(file_name));
  const auto entry = files.FindFirst(name);
  if (!entry) {
    if (show_errors_) Report(kMessageFileNotFound);
    throw ComError(kDownSizeFileNotFound, ErrorStringOf(kDownSizeFileNotFound), kProgId,
                   "IDownSize");
  }
  // The file as found: the folder as named, the entry as it is spelled on disk.
  const std::string found = FolderPart(name) + *entry;
  const std::string backup = found + ".BAK";
  const bool backed_up = files.Copy(found, backup, false);
  const std::string output = OutputNameOf(UpperAnsi(found));
  const ImageInfo info = ReadImageInfo(files, found);

  LoopStart start;
  start.size = static_cast<std::int64_t>(
      files.Size(found).value_or(std::numeric_limits<std::int64_t>::max()));
  start.budget = byte_size;
  start.step = change_compression;
  start.percent = percent;
  start.first = {info.width, info.height, compression};

  const bool any_pass = start.size > start.budget && compression < 256;
  PassInputs inputs =
      any_pass ? PreparePasses(files, backed_up, backup, output) : PassInputs{};
  LoopEnd end = RunPasses(start, [&inputs](const PassParams& pass) {
    return EncodeFrom(inputs, pass);
  });

  std::int32_t status = end.status;
  // Only the last pass's file is ever written; when a later pass failed, the file of the
  // last pass that succeeded stays, as it would have.
  if (!end.jpeg.empty()) {
    const int committed = inputs.output->Commit(end.jpeg);
    if (committed != image_status::kSuccess) status = committed;
  }

  std::string text;
  if (status == image_status::kSuccess &&
      (end.bound_reached || (end.size > start.budget && end.level > 255))) {
    text = kMessageNotSmallEnough;
    status = kCannotCompressFurther;
  } else if (end.size <= start.budget && end.level == 2) {
    text = kMessageAlreadySmall;
  } else {
    text = MessageForStatus(status);
  }
  if (status != image_status::kSuccess && show_errors_) Report(text);
  return status;
}

void DownSize::ShowErrors(std::int16_t show) { show_errors_ = show != 0; }

std::string DownSize::GetErrorString(std::int32_t code) const { return ErrorStringOf(code); }

void DownSize::Report(const std::string& text) const {
  MessageBoxRequest request;
  request.text = text;
  request.caption = "DownSize";
  request.buttons = Buttons::Ok;
  services_.ui.ShowMessage(request);
}

}  // namespace lumbra
