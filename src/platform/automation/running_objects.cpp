#include "platform/automation/running_objects.h"

#include <mutex>
#include <string>
#include <vector>

#include "platform/automation/com_error.h"
#include "platform/automation/registration.h"

namespace lumbra {
namespace {

struct RunningObject {
  RotCookie cookie;
  std::string clsid;
  ObjectRef object;
};

struct RunningObjectTable {
  std::mutex mutex;
  std::vector<RunningObject> entries;
  RotCookie next_cookie = 1;
};

RunningObjectTable& Table() {
  static RunningObjectTable table;
  return table;
}

}  // namespace

RotCookie RegisterActiveObject(std::string_view clsid, ObjectRef object) {
  std::string canonical = CanonicalGuid(clsid);
  if (canonical.empty()) throw ComError(E_INVALIDARG, "Invalid class identifier: " + std::string(clsid));
  if (!object) throw ComError(E_INVALIDARG, "No object to register");
  RunningObjectTable& table = Table();
  std::lock_guard lock(table.mutex);
  const RotCookie cookie = table.next_cookie++;
  table.entries.push_back({cookie, std::move(canonical), std::move(object)});
  return cookie;
}

ObjectRef GetActiveObject(std::string_view clsid) {
  const std::string canonical = CanonicalGuid(clsid);
  RunningObjectTable& table = Table();
  std::lock_guard lock(table.mutex);
  for (auto it = table.entries.rbegin(); it != table.entries.rend(); ++it) {
    if (it->clsid == canonical) return it->object;
  }
  return nullptr;
}

bool RevokeActiveObject(RotCookie cookie) {
  RunningObjectTable& table = Table();
  ObjectRef released;  // released outside the lock: its destructor may call back in
  {
    std::lock_guard lock(table.mutex);
    for (auto it = table.entries.begin(); it != table.entries.end(); ++it) {
      if (it->cookie == cookie) {
        released = std::move(it->object);
        table.entries.erase(it);
        break;
      }
    }
  }
  return released != nullptr;
}

}  // namespace lumbra
