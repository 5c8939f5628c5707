#include "host/automation_bridge.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/automation/creation.h"
#include "platform/automation/dispatch.h"
#include "platform/base/services.h"

namespace lumbra {
namespace {

constexpr const char* kReference = DUK_HIDDEN_SYMBOL("lumbraObject");
constexpr const char* kMethodTarget = DUK_HIDDEN_SYMBOL("lumbraTarget");
constexpr const char* kMethodId = DUK_HIDDEN_SYMBOL("lumbraId");

// Runs the body of a native function. The script engine unwinds with longjmp, so a failure
// is turned into a script error only here, after every C++ object of the call is gone.
template <class Body>
duk_ret_t Guarded(duk_context* ctx, Body body) {
  bool failed = false;
  duk_ret_t result = 0;
  try {
    result = body();
  } catch (const ComError& error) {
    PushComError(ctx, error);
    failed = true;
  } catch (const std::exception& error) {
    duk_push_error_object(ctx, DUK_ERR_ERROR, "%s", error.what());
    failed = true;
  } catch (...) {
    duk_push_error_object(ctx, DUK_ERR_ERROR, "%s", "unexpected failure in native code");
    failed = true;
  }
  if (!failed) return result;
  BlameScript(ctx, -1);
  return duk_throw(ctx);
}

// The automation object behind a proxy's target (or a method's stored target), or nullptr.
ObjectRef* ReferenceOf(duk_context* ctx, duk_idx_t target) {
  duk_get_prop_string(ctx, target, kReference);
  auto* reference = static_cast<ObjectRef*>(duk_get_pointer(ctx, -1));
  duk_pop(ctx);
  return reference;
}

// A reference of its own, so the object outlives the call whatever the collector does.
ObjectRef RequireObject(duk_context* ctx, duk_idx_t target) {
  ObjectRef* reference = ReferenceOf(ctx, target);
  if (reference == nullptr || !*reference) throw ComError(RPC_E_DISCONNECTED);
  return *reference;
}

duk_ret_t ReleaseReference(duk_context* ctx) {
  delete ReferenceOf(ctx, 0);
  duk_push_pointer(ctx, nullptr);
  duk_put_prop_string(ctx, 0, kReference);
  return 0;
}

// Keys the engine uses itself (symbols, conversions) go to the plain target.
bool IsScriptOwnKey(duk_context* ctx, duk_idx_t key) {
  if (!duk_is_string(ctx, key)) return true;
  duk_size_t length = 0;
  const char* text = duk_get_lstring(ctx, key, &length);
  if (length > 0) {
    const auto first = static_cast<unsigned char>(text[0]);
    if (first == 0x80 || first == 0x81 || first == 0x82 || first == 0xFF) return true;  // symbols
  }
  const std::string_view name(text, length);
  return name == "toString" || name == "valueOf" || name == "toJSON" || name == "constructor";
}

std::vector<Variant> ArgumentsFrom(duk_context* ctx, duk_idx_t first) {
  std::vector<Variant> args;
  const duk_idx_t top = duk_get_top(ctx);
  for (duk_idx_t i = first; i < top; ++i) args.push_back(VariantFromScript(ctx, i));
  return args;
}

duk_ret_t CallMethod(duk_context* ctx) {
  return Guarded(ctx, [ctx] {
    std::vector<Variant> args = ArgumentsFrom(ctx, 0);
    duk_push_current_function(ctx);
    duk_get_prop_string(ctx, -1, kMethodTarget);
    duk_get_prop_string(ctx, -2, kMethodId);
    const auto id = static_cast<DispId>(duk_get_int(ctx, -1));
    const ObjectRef object = RequireObject(ctx, -2);
    duk_pop_3(ctx);
    PushVariant(ctx, object->Invoke(id, InvokeKind::Method, std::move(args)));
    return 1;
  });
}

// Proxy trap get(target, key, receiver).
duk_ret_t GetTrap(duk_context* ctx) {
  if (IsScriptOwnKey(ctx, 1)) {
    duk_dup(ctx, 1);
    duk_get_prop(ctx, 0);
    return 1;
  }
  return Guarded(ctx, [ctx] {
    const ObjectRef object = RequireObject(ctx, 0);
    const std::string name = duk_get_string(ctx, 1);
    const DispatchTable& table = object->Dispatch();
    const std::optional<DispId> id = table.IdOfName(name);
    if (id && table.Find(*id, InvokeKind::Method) != nullptr) {
      duk_push_c_function(ctx, CallMethod, DUK_VARARGS);
      duk_dup(ctx, 0);
      duk_put_prop_string(ctx, -2, kMethodTarget);
      duk_push_int(ctx, *id);
      duk_put_prop_string(ctx, -2, kMethodId);
      return 1;
    }
    PushVariant(ctx, object->Get(name));
    return 1;
  });
}

// Proxy trap set(target, key, value, receiver).
duk_ret_t SetTrap(duk_context* ctx) {
  if (IsScriptOwnKey(ctx, 1)) {
    duk_dup(ctx, 1);
    duk_dup(ctx, 2);
    duk_put_prop(ctx, 0);
    duk_push_true(ctx);
    return 1;
  }
  return Guarded(ctx, [ctx] {
    RequireObject(ctx, 0)->Put(duk_get_string(ctx, 1), VariantFromScript(ctx, 2));
    duk_push_true(ctx);
    return 1;
  });
}

// Proxy trap has(target, key): `"Name" in object`.
duk_ret_t HasTrap(duk_context* ctx) {
  if (IsScriptOwnKey(ctx, 1)) {
    duk_push_boolean(ctx, duk_has_prop(ctx, 0));
    return 1;
  }
  return Guarded(ctx, [ctx] {
    const bool known = RequireObject(ctx, 0)->Dispatch().IdOfName(duk_get_string(ctx, 1)).has_value();
    duk_push_boolean(ctx, known);
    return 1;
  });
}

void PushObject(duk_context* ctx, ObjectRef object) {
  duk_push_object(ctx);  // the target: holds the reference, released by its finalizer
  duk_push_pointer(ctx, new ObjectRef(std::move(object)));
  duk_put_prop_string(ctx, -2, kReference);
  duk_push_c_function(ctx, ReleaseReference, 2);
  duk_set_finalizer(ctx, -2);

  duk_push_object(ctx);  // the handler
  duk_push_c_function(ctx, GetTrap, 3);
  duk_put_prop_string(ctx, -2, "get");
  duk_push_c_function(ctx, SetTrap, 4);
  duk_put_prop_string(ctx, -2, "set");
  duk_push_c_function(ctx, HasTrap, 2);
  duk_put_prop_string(ctx, -2, "has");
  duk_push_proxy(ctx, 0);
}

duk_ret_t ConstructActiveXObject(duk_context* ctx) {
  return Guarded(ctx, [ctx] {
    if (!duk_is_string(ctx, 0)) throw ComError(E_INVALIDARG, "ActiveXObject needs a ProgID");
    ObjectRef object = CreateObject(duk_get_string(ctx, 0), kInprocServer | kLocalServer);
    PushObject(ctx, std::move(object));
    return 1;
  });
}

}  // namespace

// Errors raised in native code would carry this file's name and line; a page's author needs
// the page's: those of the nearest script activation on the call stack.
void BlameScript(duk_context* ctx, duk_idx_t error) {
  constexpr duk_uint_t kDefine = DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_SET_WRITABLE |
                                 DUK_DEFPROP_SET_CONFIGURABLE | DUK_DEFPROP_FORCE;
  error = duk_normalize_index(ctx, error);
  for (duk_int_t level = -1;; --level) {
    duk_inspect_callstack_entry(ctx, level);  // [entry]
    if (!duk_is_object(ctx, -1)) {
      duk_pop(ctx);
      return;
    }
    duk_get_prop_string(ctx, -1, "lineNumber");
    const duk_int_t line = duk_get_int(ctx, -1);
    duk_pop(ctx);
    if (line > 0) {
      duk_push_string(ctx, "lineNumber");
      duk_push_int(ctx, line);
      duk_def_prop(ctx, error, kDefine);
      duk_get_prop_string(ctx, -1, "function");  // [entry function]
      duk_get_prop_string(ctx, -1, "fileName");  // [entry function name]
      if (duk_is_string(ctx, -1)) {
        duk_push_string(ctx, "fileName");
        duk_swap_top(ctx, -2);
        duk_def_prop(ctx, error, kDefine);
      } else {
        duk_pop(ctx);
      }
      duk_pop_2(ctx);
      return;
    }
    duk_pop(ctx);
  }
}

void PushComError(duk_context* ctx, const ComError& error) {
  const std::string description = error.Description().empty() ? error.CodeMeaning() : error.Description();
  duk_push_error_object(ctx, DUK_ERR_ERROR, "%s", description.c_str());
  duk_push_int(ctx, error.Code());
  duk_put_prop_string(ctx, -2, "number");
  duk_push_string(ctx, description.c_str());
  duk_put_prop_string(ctx, -2, "description");
  if (!error.Source().empty()) {
    duk_push_string(ctx, error.Source().c_str());
    duk_put_prop_string(ctx, -2, "source");
  }
}

void PushVariant(duk_context* ctx, const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Any:
      duk_push_undefined(ctx);
      return;
    case VarType::Bool:
      duk_push_boolean(ctx, value.ToBool());
      return;
    case VarType::I2:
    case VarType::I4:
      duk_push_int(ctx, value.ToI4());
      return;
    case VarType::R4:
    case VarType::R8:
      duk_push_number(ctx, value.ToR8());
      return;
    case VarType::Text: {
      const std::string text = value.ToText();
      duk_push_lstring(ctx, text.data(), text.size());
      return;
    }
    case VarType::Object:
      if (ObjectRef object = value.ToObject()) {
        PushObject(ctx, std::move(object));
      } else {
        duk_push_null(ctx);
      }
      return;
  }
}

Variant VariantFromScript(duk_context* ctx, duk_idx_t index) {
  switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_BOOLEAN:
      return Variant::Boolean(duk_get_boolean(ctx, index));
    case DUK_TYPE_NUMBER: {
      // Whole numbers travel as 32-bit integers, the rest as doubles, as the old engines did.
      const double number = duk_get_number(ctx, index);
      if (std::trunc(number) == number && number >= std::numeric_limits<std::int32_t>::min() &&
          number <= std::numeric_limits<std::int32_t>::max()) {
        return Variant(static_cast<std::int32_t>(number));
      }
      return Variant(number);
    }
    case DUK_TYPE_STRING: {
      duk_size_t length = 0;
      const char* text = duk_get_lstring(ctx, index, &length);
      return Variant(std::string(text, length));
    }
    case DUK_TYPE_OBJECT:
      if (ObjectRef* reference = ReferenceOf(ctx, index)) return Variant(*reference);
      throw ComError(DISP_E_TYPEMISMATCH, "A script object cannot be passed to an automation object");
    default:
      return Variant();  // undefined and null
  }
}

void DefineActiveXObject(duk_context* ctx) {
  duk_push_c_function(ctx, ConstructActiveXObject, 1);
  duk_put_global_string(ctx, "ActiveXObject");
}

}  // namespace lumbra
