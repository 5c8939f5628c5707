#include "datasave/data_save_object.h"

#include "platform/base/text.h"

namespace lumbra {
namespace {

std::string In(const std::string& utf8) { return AnsiFromUtf8(utf8); }
std::string Out(const std::string& ansi) { return Utf8FromAnsi(ansi); }

// The object's own failures reach the page as DISP_E_EXCEPTION with its name as source.
template <class Fn>
auto Raising(Fn fn) {
  try {
    return fn();
  } catch (const DataSaveError& error) {
    throw ComError(DISP_E_EXCEPTION, Out(error.what()), kDataSaveProgId, kDataSaveInterface);
  }
}

}  // namespace

const DispatchTable& DataSaveObject::Dispatch() const {
  using D = DataSaveObject;
  static const DispatchTable table =
      DispatchTable::For<D>(kDataSaveInterface)
          .Enum("BrowseFlags",
                {
                  {"BFF_READONLY", BFF_READONLY},
                  {"BFF_OVERWRITEPROMPT", BFF_OVERWRITEPROMPT},
                  {"BFF_HIDEREADONLY", BFF_HIDEREADONLY},
                  {"BFF_NOCHANGEDIR", BFF_NOCHANGEDIR},
                  {"BFF_SHOWHELP", BFF_SHOWHELP},
                  {"BFF_ENABLEHOOK", BFF_ENABLEHOOK},
                  {"BFF_ENABLETEMPLATE", BFF_ENABLETEMPLATE},
                  {"BFF_ENABLETEMPLATEHANDLE", BFF_ENABLETEMPLATEHANDLE},
                  {"BFF_NOVALIDATE", BFF_NOVALIDATE},
                  {"BFF_ALLOWMULTISELECT", BFF_ALLOWMULTISELECT},
                  {"BFF_EXTENSIONDIFFERENT", BFF_EXTENSIONDIFFERENT},
                  {"BFF_PATHMUSTEXIST", BFF_PATHMUSTEXIST},
                  {"BFF_FILEMUSTEXIST", BFF_FILEMUSTEXIST},
                  {"BFF_CREATEPROMPT", BFF_CREATEPROMPT},
                  {"BFF_SHAREAWARE", BFF_SHAREAWARE},
                  {"BFF_NOREADONLYRETURN", BFF_NOREADONLYRETURN},
                  {"BFF_NOTESTFILECREATE", BFF_NOTESTFILECREATE},
                  {"BFF_NONETWORKBUTTON", BFF_NONETWORKBUTTON},
                  {"BFF_NOLONGNAMES", BFF_NOLONGNAMES},
                  {"BFF_EXPLORER", BFF_EXPLORER},
                  {"BFF_NODEREFERENCELINKS", BFF_NODEREFERENCELINKS},
                  {"BFF_LONGNAMES", BFF_LONGNAMES},
                  {"BFF_ENABLEINCLUDENOTIFY", BFF_ENABLEINCLUDENOTIFY},
                  {"BFF_ENABLESIZING", BFF_ENABLESIZING},
                })
          .Method(1, "SendData", &D::SendData)
          .Property(2, "DLLVERSION", &D::GetDllVersion, &D::SetDllVersion)
          .Property(3, "FieldInfoList", &D::GetFieldInfoList, &D::SetFieldInfoList)
          .Property(4, "PORT", &D::GetPort, &D::SetPort)
          .Property(5, "ServerURL", &D::GetServerUrl, &D::SetServerUrl)
          .Method(6, "SelectBlob", &D::SelectBlob,
                  {"bstrBlobFieldName", "bstrBlobTableID", "bstrTextStream", "bstrBlobID",
                   "bstrBlobFileName", "bstrWhereClause"})
          .Method(7, "CleanUp", &D::CleanUp)
          .Property(8, "AppPath", &D::GetAppPath, &D::SetAppPath)
          .Method(9, "BlobSelected", &D::BlobSelected)
          .Method(10, "GetUserName", &D::GetUserName)
          .Method(11, "GetPassword", &D::GetPassword)
          .Method(12, "GetBio", &D::GetBio, {"bstrBioURL", "bstrFileName"})
          .Method(13, "CallASP", &D::CallASP, {"bstrASPURL"})
          .Method(14, "GetData", &D::GetData, {"bstrURL"})
          .Method(15, "GetRegValue", &D::GetRegValue, {"nHive", "bstrPath", "bstrKey"})
          .Method(16, "BrowseForFile", &D::BrowseForFile,
                  {"bOpen", Arg("bstrDefExt", Variant("")), Arg("bstrFileName", Variant("")),
                   Arg("nFlags", Variant(std::int32_t{BFF_OVERWRITEPROMPT | BFF_HIDEREADONLY})),
                   Arg("bstrFilter", Variant(""))})
          .Method(17, "WriteTextFile", &D::WriteTextFile, {"bstrFileName", "bstrData"})
          .Method(18, "ReadTextFile", &D::ReadTextFile, {"bstrFileName"})
          .Method(19, "CleanUpNoDelete", &D::CleanUpNoDelete)
          .Method(20, "RemoveFile", &D::RemoveFile, {"bstrFileName"});
  return table;
}

std::string DataSaveObject::SendData() { return Out(data_save_.SendData()); }
std::string DataSaveObject::GetDllVersion() const { return Out(data_save_.properties.dll_version); }
void DataSaveObject::SetDllVersion(const std::string& value) { data_save_.properties.dll_version = In(value); }
std::string DataSaveObject::GetFieldInfoList() const { return Out(data_save_.properties.field_info_list); }
void DataSaveObject::SetFieldInfoList(const std::string& value) { data_save_.properties.field_info_list = In(value); }
std::string DataSaveObject::GetPort() const { return Out(data_save_.properties.port); }
void DataSaveObject::SetPort(const std::string& value) { data_save_.properties.port = In(value); }
std::string DataSaveObject::GetServerUrl() const { return Out(data_save_.properties.server_url); }
void DataSaveObject::SetServerUrl(const std::string& value) { data_save_.properties.server_url = In(value); }
std::string DataSaveObject::GetAppPath() const { return Out(data_save_.properties.app_path); }
void DataSaveObject::SetAppPath(const std::string& value) { data_save_.properties.app_path = In(value); }

void DataSaveObject::SelectBlob(const std::string& field_name, const std::string& table_id,
                                const std::string& text_stream, const std::string& blob_id,
                                const std::string& file_name, const std::string& where_clause) {
  data_save_.SelectBlob(In(field_name), In(table_id), In(text_stream), In(blob_id), In(file_name),
                        In(where_clause));
}

void DataSaveObject::CleanUp() { data_save_.CleanUp(); }
void DataSaveObject::CleanUpNoDelete() { data_save_.CleanUpNoDelete(); }
bool DataSaveObject::BlobSelected() { return data_save_.BlobSelected(); }
std::string DataSaveObject::GetUserName() { return Out(data_save_.GetUserName()); }
std::string DataSaveObject::GetPassword() { return Out(data_save_.GetPassword()); }
void DataSaveObject::GetBio(const std::string& url, const std::string& file_name) {
  data_save_.GetBio(In(url), In(file_name));
}
std::string DataSaveObject::CallASP(const std::string& url) { return Out(data_save_.CallASP(In(url))); }
std::string DataSaveObject::GetData(const std::string& url) { return Out(data_save_.GetData(In(url))); }

std::string DataSaveObject::GetRegValue(std::int16_t hive, const std::string& path, const std::string& key) {
  return Raising([&] { return Out(data_save_.GetRegValue(hive, In(path), In(key))); });
}

std::string DataSaveObject::BrowseForFile(const Variant& open, const std::string& default_extension,
                                          const std::string& file_name, std::int32_t flags,
                                          const std::string& filter) {
  // The open dialog needs the true value itself (-1); a plain 1 asks for the save dialog.
  const std::int16_t open_bits = open.Type() == VarType::Text ? (open.ToBool() ? -1 : 0) : open.ToI2();
  return Out(data_save_.BrowseForFile(open_bits, In(default_extension), In(file_name),
                                      static_cast<std::uint32_t>(flags), In(filter)));
}

void DataSaveObject::WriteTextFile(const std::string& file_name, const std::string& data) {
  Raising([&] { data_save_.WriteTextFile(In(file_name), In(data)); });
}

std::string DataSaveObject::ReadTextFile(const std::string& file_name) {
  return Raising([&] { return Out(data_save_.ReadTextFile(In(file_name))); });
}

bool DataSaveObject::RemoveFile(const std::string& file_name) { return data_save_.RemoveFile(In(file_name)); }

}  // namespace lumbra
