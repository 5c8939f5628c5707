#pragma once
// The picture of a printed card: its texts and its photo on a card-sized canvas, written as a
// PNG so that a person can see what was printed.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace lumbra::kestrix {

struct CardFace {
  std::string title;  // the link name
  std::string card;   // the card file name
  std::vector<std::pair<std::string, std::string>> fields;
  std::filesystem::path photo;  // "" or a file that may not decode
  std::string photo_field;      // the field that named the photo: pictured, not written out
};

// False when the PNG cannot be written. A photo that cannot be read leaves its box grey.
bool WriteCardPicture(const CardFace& face, const std::filesystem::path& png);

}  // namespace lumbra::kestrix

namespace lumbra::kestrix {

// What the camera hands out when no photo is configured: a portrait-sized JPEG that names the
// field it was captured for.
bool WriteCapturedPhoto(const std::string& field, const std::filesystem::path& jpeg);

// What the signature pad hands out: a small Windows metafile with a few strokes.
bool WriteSignature(const std::filesystem::path& wmf);

}  // namespace lumbra::kestrix
