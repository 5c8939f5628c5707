#include "platform/automation/hresult.h"

#include <array>
#include <cstdio>
#include <cstdint>
#include <utility>

namespace lumbra {
namespace {

struct CodeText {
  HResult code;
  const char* text;
};

// The platform's message texts for the codes this system meets.
constexpr std::array kSystemTexts = {
    CodeText{S_OK, "The operation completed successfully."},
    CodeText{S_FALSE, "Incorrect function."},
    CodeText{E_NOTIMPL, "Not implemented"},
    CodeText{E_NOINTERFACE, "No such interface supported"},
    CodeText{E_POINTER, "Invalid pointer"},
    CodeText{E_ABORT, "Operation aborted"},
    CodeText{E_FAIL, "Unspecified error"},
    CodeText{E_UNEXPECTED, "Catastrophic failure"},
    CodeText{E_FILENOTFOUND, "The system cannot find the file specified."},
    CodeText{E_PATHNOTFOUND, "The system cannot find the path specified."},
    CodeText{E_ACCESSDENIED, "Access is denied."},
    CodeText{E_HANDLE, "The handle is invalid."},
    CodeText{E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
    CodeText{E_INVALIDARG, "The parameter is incorrect."},
    CodeText{E_MODNOTFOUND, "The specified module could not be found."},
    CodeText{RPC_E_SERVERFAULT, "The server threw an exception."},
    CodeText{RPC_E_DISCONNECTED, "The object invoked has disconnected from its clients."},
    CodeText{DISP_E_UNKNOWNINTERFACE, "Unknown interface."},
    CodeText{DISP_E_MEMBERNOTFOUND, "Member not found."},
    CodeText{DISP_E_PARAMNOTFOUND, "Parameter not found."},
    CodeText{DISP_E_TYPEMISMATCH, "Type mismatch."},
    CodeText{DISP_E_UNKNOWNNAME, "Unknown name."},
    CodeText{DISP_E_NONAMEDARGS, "No named arguments."},
    CodeText{DISP_E_BADVARTYPE, "Bad variable type."},
    CodeText{DISP_E_EXCEPTION, "Exception occurred."},
    CodeText{DISP_E_OVERFLOW, "Out of present range."},
    CodeText{DISP_E_BADINDEX, "Invalid index."},
    CodeText{DISP_E_BADPARAMCOUNT, "Invalid number of parameters."},
    CodeText{DISP_E_PARAMNOTOPTIONAL, "Parameter not optional."},
    CodeText{TYPE_E_REGISTRYACCESS, "Error accessing the OLE registry."},
    CodeText{TYPE_E_LIBNOTREGISTERED, "Library not registered."},
    CodeText{TYPE_E_CANTLOADLIBRARY, "Error loading type library/DLL."},
    CodeText{CLASS_E_NOAGGREGATION, "Class does not support aggregation (or class object is remote)"},
    CodeText{CLASS_E_CLASSNOTAVAILABLE, "ClassFactory cannot supply requested class"},
    CodeText{REGDB_E_READREGDB, "Could not read key from registry"},
    CodeText{REGDB_E_WRITEREGDB, "Could not write key to registry"},
    CodeText{REGDB_E_CLASSNOTREG, "Class not registered"},
    CodeText{MK_E_UNAVAILABLE, "Operation unavailable"},
    CodeText{CO_E_CLASSSTRING, "Invalid class string"},
    CodeText{CO_E_DLLNOTFOUND, "DLL for class not found"},
    CodeText{CO_E_ERRORINDLL, "Error in the DLL"},
    CodeText{CO_E_SERVER_EXEC_FAILURE, "Server execution failed"},
};

constexpr std::uint32_t kDispatchErrorFirst = 0x80040200;
constexpr std::uint32_t kDispatchErrorLast = 0x8004FFFF;

}  // namespace

std::string StandardText(HResult code) {
  for (const CodeText& entry : kSystemTexts) {
    if (entry.code == code) return entry.text;
  }
  const auto bits = static_cast<std::uint32_t>(code);
  char text[64];
  if (bits >= kDispatchErrorFirst && bits <= kDispatchErrorLast) {
    std::snprintf(text, sizeof text, "IDispatch error #%u", bits - kDispatchErrorFirst);
  } else {
    std::snprintf(text, sizeof text, "Unknown error 0x%0X", bits);
  }
  return text;
}

}  // namespace lumbra
