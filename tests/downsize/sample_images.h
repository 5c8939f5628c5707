#pragma once
// Pictures made for the tests: natural-looking content (soft gradients, fractal texture and a
// few hard edges, so that JPEG sizes behave as they do on photos), and writers for the file
// formats the image library reads.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "downsize/pixels.h"

namespace lumbra::testing {

Pixels MakePhoto(int width, int height, int channels, std::uint32_t seed);

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void WriteJpeg(const std::filesystem::path& path, const Pixels& pixels, int quality = 95);
void WritePng(const std::filesystem::path& path, const Pixels& pixels);
void WriteBmp(const std::filesystem::path& path, const Pixels& pixels);
void WriteTiff(const std::filesystem::path& path, const Pixels& pixels);

// A 1 x 1 GIF with a two-colour palette.
std::vector<std::uint8_t> TinyGif();

struct JpegFacts {
  int width = 0;
  int height = 0;
  bool grey = false;
};
JpegFacts ReadJpegFacts(const std::filesystem::path& path);

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);

}  // namespace lumbra::testing
