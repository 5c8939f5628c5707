#pragma once
// The two registry look-ups that decide, when the print control is created, whether it prints
// through the print server and where the card-design projects live.
#include <string>

namespace lumbra {

class Registry;

// True when the print server's class is registered: HKEY_CLASSES_ROOT
// "Korvel.PrintServer.Input\CLSID" exists. Nothing is read from the key.
bool PrintServerRegistered(const Registry& registry);

// The card-design application's projects folder: value "Projects" of HKEY_LOCAL_MACHINE
// "Software\Korvel\Carvix\Directories", "" when the key or the value is missing. The caller
// appends the backslash.
std::string ReadProjectsFolder(const Registry& registry);

}  // namespace lumbra
