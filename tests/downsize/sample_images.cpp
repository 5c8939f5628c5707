#include "sample_images.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#include <tiffio.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "downsize/jpeg_codec.h"

namespace lumbra::testing {
namespace {

// Value noise on a lattice of `cell` pixels, smoothly interpolated.
class ValueNoise {
 public:
  ValueNoise(int cell, std::mt19937& random) : cell_(cell) {
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (float& v : lattice_) v = value(random);
  }
  float At(int x, int y) const {
    const float fx = static_cast<float>(x) / cell_;
    const float fy = static_cast<float>(y) / cell_;
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = Smooth(fx - ix), ty = Smooth(fy - iy);
    const float top = Lerp(Node(ix, iy), Node(ix + 1, iy), tx);
    const float bottom = Lerp(Node(ix, iy + 1), Node(ix + 1, iy + 1), tx);
    return Lerp(top, bottom, ty);
  }

 private:
  static float Smooth(float t) { return t * t * (3 - 2 * t); }
  static float Lerp(float a, float b, float t) { return a + (b - a) * t; }
  float Node(int x, int y) const {
    return lattice_[((static_cast<unsigned>(x) * 73856093u) ^ (static_cast<unsigned>(y) * 19349663u)) & 4095u];
  }

  int cell_;
  float lattice_[4096];
};

}  // namespace

Pixels MakePhoto(int width, int height, int channels, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<ValueNoise> octaves;
  for (int cell = 96; cell >= 2; cell /= 2) octaves.emplace_back(cell, random);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const float base[3] = {unit(random), unit(random), unit(random)};
  const float cx = unit(random) * width, cy = unit(random) * height, radius = (width + height) / 6.0f;

  Pixels out{width, height, channels, std::vector<std::uint8_t>(std::size_t(width) * height * channels)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      float texture = 0, amplitude = 0.5f;
      for (const ValueNoise& octave : octaves) {
        texture += octave.At(x, y) * amplitude;
        amplitude *= 0.6f;
      }
      const bool inside = std::hypot(x - cx, y - cy) < radius;  // one hard-edged object
      for (int c = 0; c < channels; ++c) {
        const float gradient = base[c] * 0.6f + 0.3f * static_cast<float>(y) / height;
        float v = gradient + 0.35f * texture + (inside ? 0.25f - 0.1f * c : 0.0f);
        out.data[(std::size_t(y) * width + x) * channels + c] =
            static_cast<std::uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f);
      }
    }
  }
  return out;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteJpeg(const std::filesystem::path& path, const Pixels& pixels, int quality) {
  JpegEncoder encoder;
  WriteBytes(path, encoder.Encode(pixels, quality).value);
}

void WritePng(const std::filesystem::path& path, const Pixels& pixels) {
  stbi_write_png(path.c_str(), pixels.width, pixels.height, pixels.channels, pixels.data.data(),
                 static_cast<int>(pixels.RowBytes()));
}

void WriteBmp(const std::filesystem::path& path, const Pixels& pixels) {
  stbi_write_bmp(path.c_str(), pixels.width, pixels.height, pixels.channels, pixels.data.data());
}

void WriteTiff(const std::filesystem::path& path, const Pixels& pixels) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, pixels.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, pixels.height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, pixels.channels);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, pixels.Grey() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, pixels.height);
  for (int y = 0; y < pixels.height; ++y) {
    TIFFWriteScanline(tiff, const_cast<std::uint8_t*>(pixels.data.data() + y * pixels.RowBytes()), y, 0);
  }
  TIFFClose(tiff);
}

std::vector<std::uint8_t> TinyGif() {
  return {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0,
          ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 'D', 1, 0, ';'};
}

JpegFacts ReadJpegFacts(const std::filesystem::path& path) {
  const auto bytes = ReadBytes(path);
  tjhandle handle = tjInitDecompress();
  JpegFacts facts;
  int subsampling = 0, colorspace = 0;
  const int result = tjDecompressHeader3(handle, bytes.data(), bytes.size(), &facts.width,
                                         &facts.height, &subsampling, &colorspace);
  tjDestroy(handle);
  if (result != 0) throw std::runtime_error("not a JPEG: " + path.string());
  facts.grey = colorspace == TJCS_GRAY;
  return facts;
}

}  // namespace lumbra::testing
