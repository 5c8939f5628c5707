#include "downsize/image_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <new>
#include <string>

#include "downsize/image_status.h"

namespace lumbra {
namespace {

int StatusOfOpenFailure(int error) {
  return error == ENOENT || error == ENOTDIR ? image_status::kFileNotFound
                                             : image_status::kCannotOpen;
}

bool WriteAll(int descriptor, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

// Created with the umask applied, as any new file; a replaced file keeps its own mode.
int CreateTemporary(const std::filesystem::path& target, std::filesystem::path& temporary) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = target.filename().string();
    name.insert(0, 1, '.');
    name.append(".").append(std::to_string(::getpid())).append(".");
    name.append(std::to_string(counter++)).append(".tmp");
    temporary = target.parent_path() / name;
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  return -1;
}

}  // namespace

Decoded<std::vector<std::uint8_t>> ReadImageFile(const FileSystem& files, std::string_view name) {
  if (name.empty()) return {image_status::kInvalidFilename, {}};
  const std::filesystem::path host = files.HostPath(name);
  const int descriptor = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return {StatusOfOpenFailure(errno), {}};
  struct stat info {};
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(descriptor);
    return {image_status::kCannotOpen, {}};
  }
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(info.st_size));
  } catch (const std::bad_alloc&) {
    ::close(descriptor);
    return {image_status::kNoMemory, {}};
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(descriptor, bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  ::close(descriptor);
  if (done != bytes.size()) return {image_status::kReadError, {}};
  if (bytes.empty()) return {image_status::kInvalidFormat, {}};
  return {image_status::kSuccess, std::move(bytes)};
}

Decoded<std::optional<OutputFile>> OutputFile::Open(const FileSystem& files,
                                                    std::string_view name) {
  if (name.empty()) return {image_status::kInvalidFilename, std::nullopt};
  const std::filesystem::path target = files.HostPath(name);
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
    return {image_status::kCannotOpen, std::nullopt};
  }
  std::filesystem::path temporary;
  const int descriptor = CreateTemporary(target, temporary);
  if (descriptor < 0) return {image_status::kCannotOpen, std::nullopt};
  if (exists) ::fchmod(descriptor, existing.st_mode & 07777);
  return {image_status::kSuccess, OutputFile(target, temporary, descriptor)};
}

OutputFile::OutputFile(std::filesystem::path target, std::filesystem::path temporary,
                       int descriptor)
    : target_(std::move(target)), temporary_(std::move(temporary)), descriptor_(descriptor) {}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      descriptor_(other.descriptor_) {
  other.descriptor_ = -1;
  other.temporary_.clear();
}

OutputFile::~OutputFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

int OutputFile::Commit(std::span<const std::uint8_t> bytes) {
  if (descriptor_ < 0) return image_status::kWriteError;
  const bool written = WriteAll(descriptor_, bytes) && ::fsync(descriptor_) == 0;
  const bool closed = ::close(descriptor_) == 0;
  descriptor_ = -1;
  if (!written || !closed || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return image_status::kWriteError;
  }
  temporary_.clear();
  return image_status::kSuccess;
}

}  // namespace lumbra
