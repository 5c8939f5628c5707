#include "platform/base/services.h"

#include <atomic>
#include <stdexcept>

namespace lumbra {
namespace {

// Lives in the shared platform library, so the host and every component module see one set.
std::atomic<Services*> installed_services{nullptr};

}  // namespace

Services& CurrentServices() {
  Services* services = installed_services.load();
  if (services == nullptr) {
    throw std::logic_error("no platform services are installed in this process (InstallServices was not called)");
  }
  return *services;
}

void InstallServices(Services* services) { installed_services.store(services); }

}  // namespace lumbra
