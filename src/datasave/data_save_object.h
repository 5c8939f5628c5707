#pragma once
// IDataSave, the automation face of the data-save object: the member table in dispatch order,
// UTF-8 at the interface and Windows-1252 inside, and the object's three automation errors.
#include <cstdint>
#include <string>

#include "datasave/data_save.h"
#include "platform/automation/dispatch.h"

namespace lumbra {

inline constexpr char kDataSaveProgId[] = "Quorra.DataSave.1";
inline constexpr char kDataSaveInterface[] = "IDataSave";

// The file dialog's option bits, as the type library declares them for BrowseForFile's nFlags.
enum BrowseFlags : std::uint32_t {
  BFF_READONLY = 0x1,
  BFF_OVERWRITEPROMPT = 0x2,
  BFF_HIDEREADONLY = 0x4,
  BFF_NOCHANGEDIR = 0x8,
  BFF_SHOWHELP = 0x10,
  BFF_ENABLEHOOK = 0x20,
  BFF_ENABLETEMPLATE = 0x40,
  BFF_ENABLETEMPLATEHANDLE = 0x80,
  BFF_NOVALIDATE = 0x100,
  BFF_ALLOWMULTISELECT = 0x200,
  BFF_EXTENSIONDIFFERENT = 0x400,
  BFF_PATHMUSTEXIST = 0x800,
  BFF_FILEMUSTEXIST = 0x1000,
  BFF_CREATEPROMPT = 0x2000,
  BFF_SHAREAWARE = 0x4000,
  BFF_NOREADONLYRETURN = 0x8000,
  BFF_NOTESTFILECREATE = 0x10000,
  BFF_NONETWORKBUTTON = 0x20000,
  BFF_NOLONGNAMES = 0x40000,
  BFF_EXPLORER = 0x80000,
  BFF_NODEREFERENCELINKS = 0x100000,
  BFF_LONGNAMES = 0x200000,
  BFF_ENABLEINCLUDENOTIFY = 0x400000,
  BFF_ENABLESIZING = 0x800000,
};

class DataSaveObject final : public DispatchObject {
 public:
  explicit DataSaveObject(Services& services) : data_save_(services) {}
  const DispatchTable& Dispatch() const override;

  DataSave& Logic() { return data_save_; }

  std::string SendData();
  std::string GetDllVersion() const;
  void SetDllVersion(const std::string& value);
  std::string GetFieldInfoList() const;
  void SetFieldInfoList(const std::string& value);
  std::string GetPort() const;
  void SetPort(const std::string& value);
  std::string GetServerUrl() const;
  void SetServerUrl(const std::string& value);
  void SelectBlob(const std::string& field_name, const std::string& table_id,
                  const std::string& text_stream, const std::string& blob_id,
                  const std::string& file_name, const std::string& where_clause);
  void CleanUp();
  std::string GetAppPath() const;
  void SetAppPath(const std::string& value);
  bool BlobSelected();
  std::string GetUserName();
  std::string GetPassword();
  void GetBio(const std::string& url, const std::string& file_name);
  std::string CallASP(const std::string& url);
  std::string GetData(const std::string& url);
  std::string GetRegValue(std::int16_t hive, const std::string& path, const std::string& key);
  std::string BrowseForFile(const Variant& open, const std::string& default_extension,
                            const std::string& file_name, std::int32_t flags,
                            const std::string& filter);
  void WriteTextFile(const std::string& file_name, const std::string& data);
  std::string ReadTextFile(const std::string& file_name);
  void CleanUpNoDelete();
  bool RemoveFile(const std::string& file_name);

 private:
  DataSave data_save_;
};

}  // namespace lumbra
