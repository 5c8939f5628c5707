#pragma once
// Finding files in the site folder as the original servers did: names match without regard to
// case. Nothing outside the site folder is ever reached.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumbra::site {

// The file a request path names, matched component by component without regard to case;
// nullopt when there is none, or when the path has a ".." component.
std::optional<std::filesystem::path> FindSiteFile(const std::filesystem::path& root, std::string_view url_path);

// The photo for an employee key: photos/<key>.<ext> in the site folder.
std::optional<std::filesystem::path> FindEmployeePhoto(const std::filesystem::path& root, std::string_view key);

// The stored photo of a table cell: photos/<table>/<column>/<where>.<ext>, where every byte of a
// part outside letters, digits, ".", "-" and "_" stands as "_".
std::optional<std::filesystem::path> FindStoredPhoto(const std::filesystem::path& root, std::string_view table,
                                                     std::string_view column, std::string_view where);

// The media type the site answers a file with, by its extension.
std::string MediaTypeFor(const std::filesystem::path& file);

}  // namespace lumbra::site
