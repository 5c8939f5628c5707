#pragma once
// One hive in memory, and its file below the registry folder. Every change is made under an
// exclusive lock on the folder, from a fresh read of the file, and written back atomically.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base/reg_file.h"
#include "platform/base/registry.h"

namespace lumbra {

// Keys with paths relative to the hive ("" is the hive itself, always present).
class HiveKeys {
 public:
  HiveKeys();

  const RegFileKey* Find(std::string_view key) const;
  RegFileKey* Find(std::string_view key);
  // Creates the key and its missing parents.
  RegFileKey& Create(std::string_view key);
  // Deletes the key and its subkeys; the hive itself cannot be deleted.
  bool Delete(std::string_view key);
  // Names of the direct subkeys, sorted without regard to case.
  std::vector<std::string> Children(std::string_view key) const;
  // The key and all below it, parents first.
  std::vector<RegFileKey> Subtree(std::string_view key) const;
  // One section of a .reg text: create or delete the key, set or delete its values.
  void Apply(const RegFileKey& change);

 private:
  std::vector<RegFileKey> keys_;
};

class HiveFile {
 public:
  HiveFile(std::filesystem::path folder, Hive hive);

  // An empty hive when the file does not exist yet; RegistryError when it is damaged.
  HiveKeys Load() const;
  // Under the folder lock: reads the hive, lets change edit it and, when change returns
  // true, writes it back. Returns what change returned.
  bool Update(const std::function<bool(HiveKeys&)>& change) const;

 private:
  friend void ApplyToHives(const std::filesystem::path&, const std::vector<std::pair<Hive, RegFileKey>>&);
  void Save(const HiveKeys& keys) const;

  std::filesystem::path folder_;
  Hive hive_;
  std::filesystem::path path_;
};

// Applies sections to their hives under one lock: every hive is read and changed before
// the first is written, so a damaged hive stops the whole import.
void ApplyToHives(const std::filesystem::path& folder, const std::vector<std::pair<Hive, RegFileKey>>& changes);

}  // namespace lumbra
