// Selecting the files SendData posts, clearing the selection, fetching a file by URL.
#include "datasave/block_layout.h"
#include "datasave/data_save.h"
#include "datasave/readable_file.h"

namespace lumbra {

void DataSave::SelectBlob(const std::string& field_name, const std::string& table_id,
                          const std::string& text_stream, const std::string& /*blob_id*/,
                          const std::string& file_name, const std::string& where_clause) {
  // A file that cannot be opened counts as empty; it is reported when SendData reads it.
  const ReadableFile file(services_.files.HostPath(file_name).string());
  const std::uint64_t size = file.IsOpen() ? file.Size() : 0;
  selection_[file_name] = BuildBlockHeader(size, table_id, field_name, where_clause, text_stream);
  blob_selected_ = true;
}

void DataSave::CleanUp() {
  for (const auto& [path, header] : selection_) services_.files.Delete(path);
  CleanUpNoDelete();
}

void DataSave::CleanUpNoDelete() {
  selection_.clear();
  blob_selected_ = false;
}

void DataSave::GetBio(const std::string& url, const std::string& file_name) {
  if (!CheckServerLogin().ok) return;
  std::string unused;
  ServerCall(std::string("image/*, */*"), url, file_name, true, unused, false);
}

}  // namespace lumbra
