#pragma once
// The process-wide running-object table: objects registered by class identifier, so that a
// caller can attach to a running instance instead of creating one. The table holds a strong
// reference until the registration is revoked.
#include <cstdint>
#include <string_view>

#include "platform/automation/variant.h"

namespace lumbra {

using RotCookie = std::uint32_t;

// Throws ComError E_INVALIDARG for a malformed class identifier or a null object.
RotCookie RegisterActiveObject(std::string_view clsid, ObjectRef object);
// The most recently registered running object of the class, or nullptr (the platform's
// MK_E_UNAVAILABLE).
ObjectRef GetActiveObject(std::string_view clsid);
// False when the cookie is not registered (any more).
bool RevokeActiveObject(RotCookie cookie);

}  // namespace lumbra
