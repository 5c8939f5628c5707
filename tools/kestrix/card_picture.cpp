#include "card_picture.h"

#include <stb_easy_font.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>
#include <cstdint>
#include <vector>

namespace lumbra::kestrix {
namespace {

// A card of 85.6 x 54 mm at about 300 dots per inch.
constexpr int kWidth = 1012;
constexpr int kHeight = 638;

using Rgb = std::array<std::uint8_t, 3>;

class Canvas {
 public:
  Canvas(int width, int height)
      : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 3, 255) {}

  void Fill(int x0, int y0, int x1, int y1, Rgb color) {
    x0 = std::clamp(x0, 0, width_);
    x1 = std::clamp(x1, 0, width_);
    y0 = std::clamp(y0, 0, height_);
    y1 = std::clamp(y1, 0, height_);
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) Set(x, y, color);
    }
  }

  void Set(int x, int y, Rgb color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
    std::copy(color.begin(), color.end(), pixels_.begin() + static_cast<std::ptrdiff_t>(at));
  }

  // Text in the built-in bitmap font, scale pixels per font unit, cut at max_width pixels.
  void Text(int x, int y, std::string text, int scale, Rgb color, int max_width) {
    for (char& c : text) {
      if (c < 32 || c > 126) c = '?';
    }
    while (!text.empty() && stb_easy_font_width(text.data()) * scale > max_width) text.pop_back();
    // Room for the most segments a character can have (the documented 270 bytes are an average).
    std::vector<char> buffer(text.size() * 1024 + 64);
    int quads = stb_easy_font_print(0, 0, text.data(), nullptr, buffer.data(), static_cast<int>(buffer.size()));
    for (int q = 0; q < quads; ++q) {
      // Each vertex is x, y, z as floats and four colour bytes; a quad's first and third
      // vertices are opposite corners.
      const float* first = reinterpret_cast<const float*>(buffer.data() + q * 64);
      const float* third = reinterpret_cast<const float*>(buffer.data() + q * 64 + 32);
      Fill(x + static_cast<int>(first[0] * scale), y + static_cast<int>(first[1] * scale),
           x + static_cast<int>(third[0] * scale), y + static_cast<int>(third[1] * scale), color);
    }
  }

  // The picture scaled to fit the box, centred; false when it cannot be read.
  bool Picture(const std::filesystem::path& file, int x0, int y0, int width, int height) {
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load(file.c_str(), &w, &h, &channels, 3);
    if (data == nullptr) return false;
    double scale = std::min(static_cast<double>(width) / w, static_cast<double>(height) / h);
    int drawn_w = std::max(1, static_cast<int>(w * scale));
    int drawn_h = std::max(1, static_cast<int>(h * scale));
    int left = x0 + (width - drawn_w) / 2;
    int top = y0 + (height - drawn_h) / 2;
    for (int y = 0; y < drawn_h; ++y) {
      int source_y = std::min(h - 1, static_cast<int>(y / scale));
      for (int x = 0; x < drawn_w; ++x) {
        int source_x = std::min(w - 1, static_cast<int>(x / scale));
        const unsigned char* p = data + (static_cast<std::size_t>(source_y) * w + source_x) * 3;
        Set(left + x, top + y, {p[0], p[1], p[2]});
      }
    }
    stbi_image_free(data);
    return true;
  }

  bool WritePng(const std::filesystem::path& png) const {
    return stbi_write_png(png.c_str(), width_, height_, 3, pixels_.data(), width_ * 3) != 0;
  }
  bool WriteJpeg(const std::filesystem::path& jpeg) const {
    return stbi_write_jpg(jpeg.c_str(), width_, height_, 3, pixels_.data(), 90) != 0;
  }

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace

bool WriteCardPicture(const CardFace& face, const std::filesystem::path& png) {
  const Rgb ink{20, 24, 40};
  const Rgb band{24, 52, 110};
  const Rgb white{255, 255, 255};
  const Rgb grey{200, 200, 200};
  Canvas canvas(kWidth, kHeight);
  canvas.Fill(0, 0, kWidth, kHeight, {245, 246, 250});
  canvas.Fill(0, 0, kWidth, 96, band);
  canvas.Text(32, 26, face.title, 5, white, kWidth - 64);

  constexpr int kPhotoX = 40, kPhotoY = 130, kPhotoW = 300, kPhotoH = 400;
  canvas.Fill(kPhotoX - 4, kPhotoY - 4, kPhotoX + kPhotoW + 4, kPhotoY + kPhotoH + 4, ink);
  canvas.Fill(kPhotoX, kPhotoY, kPhotoX + kPhotoW, kPhotoY + kPhotoH, grey);
  if (face.photo.empty() || !canvas.Picture(face.photo, kPhotoX, kPhotoY, kPhotoW, kPhotoH)) {
    canvas.Text(kPhotoX + 70, kPhotoY + 190, "NO PHOTO", 4, ink, kPhotoW);
  }

  int y = kPhotoY;
  for (const auto& [name, value] : face.fields) {
    if (name == face.photo_field) continue;
    if (y > kHeight - 90) break;
    canvas.Text(380, y, name, 2, {90, 96, 120}, kWidth - 410);
    canvas.Text(380, y + 22, value, 3, ink, kWidth - 410);
    y += 62;
  }
  canvas.Fill(0, kHeight - 40, kWidth, kHeight, band);
  canvas.Text(32, kHeight - 30, face.card, 2, white, kWidth - 64);
  return canvas.WritePng(png);
}

bool WriteCapturedPhoto(const std::string& field, const std::filesystem::path& jpeg) {
  constexpr int kPhotoWidth = 480, kPhotoHeight = 640;
  Canvas canvas(kPhotoWidth, kPhotoHeight);
  for (int y = 0; y < kPhotoHeight; ++y) {
    auto shade = static_cast<std::uint8_t>(90 + y * 120 / kPhotoHeight);
    canvas.Fill(0, y, kPhotoWidth, y + 1, {shade, static_cast<std::uint8_t>(shade + 20), 160});
  }
  // A head and shoulders, so that the picture reads as a portrait.
  const Rgb skin{224, 188, 160};
  for (int y = 0; y < kPhotoHeight; ++y) {
    for (int x = 0; x < kPhotoWidth; ++x) {
      int dx = x - 240, dy = y - 250;
      if (dx * dx * 4 + dy * dy * 3 < 110 * 110 * 4) canvas.Set(x, y, skin);
      int sx = x - 240, sy = y - 640;
      if (sx * sx + sy * sy * 2 < 230 * 230) canvas.Set(x, y, {40, 50, 80});
    }
  }
  canvas.Text(20, 20, "CAPTURED " + field, 3, {255, 255, 255}, kPhotoWidth - 40);
  return canvas.WriteJpeg(jpeg);
}

bool WriteSignature(const std::filesystem::path& wmf) {
  std::vector<std::uint16_t> records;
  auto record = [&](std::uint16_t function, std::initializer_list<std::int16_t> params) {
    std::uint32_t words = 3 + static_cast<std::uint32_t>(params.size());
    records.push_back(static_cast<std::uint16_t>(words & 0xFFFF));
    records.push_back(static_cast<std::uint16_t>(words >> 16));
    records.push_back(function);
    for (std::int16_t p : params) records.push_back(static_cast<std::uint16_t>(p));
  };
  constexpr std::uint16_t kSetWindowExt = 0x020C, kMoveTo = 0x0214, kLineTo = 0x0213, kEof = 0x0000;
  record(kSetWindowExt, {200, 600});  // y, x
  record(kMoveTo, {150, 40});
  const std::int16_t stroke[][2] = {{60, 90}, {140, 130}, {50, 190}, {150, 250}, {90, 320}, {120, 420}, {70, 560}};
  for (const auto& point : stroke) record(kLineTo, {point[0], point[1]});
  record(kEof, {});
  std::uint32_t total = 9 + static_cast<std::uint32_t>(records.size());
  std::vector<std::uint16_t> header = {1, 9, 0x0300, static_cast<std::uint16_t>(total & 0xFFFF),
                                       static_cast<std::uint16_t>(total >> 16), 0, 5, 0, 0};
  std::FILE* out = std::fopen(wmf.c_str(), "wb");
  if (out == nullptr) return false;
  auto put = [&](const std::vector<std::uint16_t>& words) {
    for (std::uint16_t w : words) {
      unsigned char bytes[2] = {static_cast<unsigned char>(w & 0xFF), static_cast<unsigned char>(w >> 8)};
      std::fwrite(bytes, 1, 2, out);
    }
  };
  put(header);
  put(records);
  return std::fclose(out) == 0;
}

}  // namespace lumbra::kestrix
