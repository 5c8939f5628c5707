#pragma once
// Automation objects inside the script engine, as the browsers' script engines of old showed
// them: properties read and write as script properties, methods are functions, and a failed
// call throws an Error with `number` (the signed status code) and `description`.
#include <duktape.h>

#include "platform/automation/com_error.h"
#include "platform/automation/variant.h"

namespace lumbra {

// Pushes a script value for an automation value (objects become proxies that keep a
// reference until the script engine collects them).
void PushVariant(duk_context* ctx, const Variant& value);
// The automation value of a script value; throws ComError (DISP_E_TYPEMISMATCH) for a script
// object or function, which automation objects cannot take.
Variant VariantFromScript(duk_context* ctx, duk_idx_t index);

// Gives the error at `error` the file name and line of the script code that is running.
void BlameScript(duk_context* ctx, duk_idx_t error);

// Pushes the Error object that stands for a failure.
void PushComError(duk_context* ctx, const ComError& error);

// Defines the global constructor ActiveXObject(progid): creates a registered object with the
// installed services (in-process or local server).
void DefineActiveXObject(duk_context* ctx);

}  // namespace lumbra
