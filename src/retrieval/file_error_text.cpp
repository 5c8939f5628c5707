#include "retrieval/file_error_text.h"

#include <cerrno>

namespace lumbra {

std::string FileErrorText(std::string_view path, int error_number) {
  const std::string name(path);
  switch (error_number) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
      return name + " contains an invalid path.";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return "Access to " + name + " was denied.";
    case EMFILE:
    case ENFILE:
      return name + " could not be opened because there are too many open files.";
    case ENOSPC:
    case EDQUOT:
      return "Disk full while accessing " + name + ".";
    case EIO:
      return "A hardware I/O error was reported while accessing " + name + ".";
    default:
      return "An unexpected error occurred while accessing " + name + ".";
  }
}

}  // namespace lumbra
