#include "fuzz_files.h"

#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "platform/base/root.h"

namespace lumbra {
namespace {

// LUMBRA_FUZZ_ROOT names the folder to use (the run script removes it afterwards).
std::filesystem::path MakeRoot() {
  if (const std::string given = GetEnvironment("LUMBRA_FUZZ_ROOT"); !given.empty()) {
    std::filesystem::create_directories(std::filesystem::path(given) / "system");
    return given;
  }
  const std::filesystem::path shm = "/dev/shm";
  const auto base = std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
  auto root = base / ("lumbra-fuzz-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root / "system");
  return root;
}

}  // namespace

FuzzWorkstation::FuzzWorkstation()
    : root_(MakeRoot()), files_(root_), system_folder_(RootLayout{root_}.SystemFolder()) {}

std::string FuzzWorkstation::WriteSystemFile(std::string_view name, std::string_view bytes) const {
  const std::string path = system_folder_ + std::string(name);
  std::ofstream out = files_.OpenForWriting(path);
  if (!out.is_open()) throw std::runtime_error("cannot write " + path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace lumbra
