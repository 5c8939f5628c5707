#pragma once
// How DownSize spells the files it touches. Names are Windows-1252 paths in the file layer's
// Windows style; see docs/downsize.md for the choices on a case-sensitive file system.
#include <string>
#include <string_view>

namespace lumbra {

// The folder part of a path, with its final separator ("" when the name has none).
std::string FolderPart(std::string_view path);

// The JPEG written for `name` (already upper-cased): the name itself when it ends in "JPG",
// otherwise the name with its extension (or, with none, an added one) replaced by ".JPG".
std::string OutputNameOf(std::string_view name);

}  // namespace lumbra
