#include "site/site_files.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <system_error>

namespace lumbra::site {
namespace {

namespace fs = std::filesystem;

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The entry of `folder` named `name`, exact spelling first.
std::optional<fs::path> FindEntry(const fs::path& folder, std::string_view name) {
  std::error_code error;
  const fs::path exact = folder / std::string(name);
  if (fs::exists(exact, error)) return exact;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (SameNoCase(entry.path().filename().string(), name)) return entry.path();
  }
  return std::nullopt;
}

std::optional<fs::path> FindPath(const fs::path& root, std::string_view relative) {
  fs::path at = root;
  std::size_t start = 0;
  while (start <= relative.size()) {
    const auto end = std::min(relative.find('/', start), relative.size());
    const std::string_view part = relative.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return std::nullopt;
    auto next = FindEntry(at, part);
    if (!next) return std::nullopt;
    at = *next;
  }
  return at;
}

std::optional<fs::path> FindPhoto(const fs::path& root, const std::string& stem) {
  static constexpr std::array kExtensions = {".jpg", ".jpeg", ".png", ".bmp", ".gif", ".tif"};
  for (const char* extension : kExtensions) {
    auto found = FindPath(root, "photos/" + stem + extension);
    std::error_code error;
    if (found && fs::is_regular_file(*found, error)) return found;
  }
  return std::nullopt;
}

std::string FileNamePart(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
  }
  // A part made only of dots would climb out of the photos folder.
  if (out.find_first_not_of('.') == std::string::npos) std::replace(out.begin(), out.end(), '.', '_');
  return out;
}

}  // namespace

std::optional<fs::path> FindSiteFile(const fs::path& root, std::string_view url_path) {
  auto found = FindPath(root, url_path);
  std::error_code error;
  if (!found || !fs::is_regular_file(*found, error)) return std::nullopt;
  return found;
}

std::optional<fs::path> FindEmployeePhoto(const fs::path& root, std::string_view key) {
  if (key.empty()) return std::nullopt;
  return FindPhoto(root, FileNamePart(key));
}

std::optional<fs::path> FindStoredPhoto(const fs::path& root, std::string_view table, std::string_view column,
                                        std::string_view where) {
  if (table.empty() || column.empty() || where.empty()) return std::nullopt;
  return FindPhoto(root, FileNamePart(table) + "/" + FileNamePart(column) + "/" + FileNamePart(where));
}

std::string MediaTypeFor(const fs::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".jpg" || extension == ".jpeg") return "image/jpeg";
  if (extension == ".png") return "image/png";
  if (extension == ".bmp") return "image/bmp";
  if (extension == ".gif") return "image/gif";
  if (extension == ".tif" || extension == ".tiff") return "image/tiff";
  if (extension == ".htm" || extension == ".html") return "text/html";
  if (extension == ".ini" || extension == ".txt") return "text/plain";
  return "application/octet-stream";
}

}  // namespace lumbra::site
