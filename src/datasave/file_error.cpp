#include "datasave/file_error.h"

#include <cerrno>
#include <cstring>

namespace lumbra {

std::string FileErrorText(int error) {
  switch (error) {
    case ENOENT:
      return "The system cannot find the file specified.";
    case ENOTDIR:
      return "The system cannot find the path specified.";
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return "Access is denied.";
    case EMFILE:
    case ENFILE:
      return "The system cannot open the file.";
    case ENOSPC:
    case EDQUOT:
      return "There is not enough space on the disk.";
    case ENAMETOOLONG:
      return "The filename or extension is too long.";
    case EBUSY:
    case ETXTBSY:
      return "The process cannot access the file because it is being used by another process.";
    case EIO:
      return "The request could not be performed because of an I/O device error.";
    default:
      return std::string(std::strerror(error)) + ".";
  }
}

std::string FileErrorReport(std::string_view path, int error) {
  std::string report(path);
  report += ": ";
  report += FileErrorText(error);
  return report;
}

}  // namespace lumbra
