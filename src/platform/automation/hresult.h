#pragma once
// Status codes of automation calls, in the platform's 32-bit layout (severity bit set for a
// failure), and the platform's message text for each code this system meets.
#include <cstdint>
#include <string>

namespace lumbra {

using HResult = std::int32_t;

constexpr HResult MakeHResult(std::uint32_t bits) { return static_cast<HResult>(bits); }
constexpr bool Failed(HResult code) { return code < 0; }
constexpr bool Succeeded(HResult code) { return code >= 0; }

inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;

inline constexpr HResult E_NOTIMPL = MakeHResult(0x80004001);
inline constexpr HResult E_NOINTERFACE = MakeHResult(0x80004002);
inline constexpr HResult E_POINTER = MakeHResult(0x80004003);
inline constexpr HResult E_ABORT = MakeHResult(0x80004004);
inline constexpr HResult E_FAIL = MakeHResult(0x80004005);
inline constexpr HResult E_UNEXPECTED = MakeHResult(0x8000FFFF);
inline constexpr HResult E_ACCESSDENIED = MakeHResult(0x80070005);
inline constexpr HResult E_HANDLE = MakeHResult(0x80070006);
inline constexpr HResult E_OUTOFMEMORY = MakeHResult(0x8007000E);
inline constexpr HResult E_INVALIDARG = MakeHResult(0x80070057);
// The platform's "module not found" and "file not found" as status codes.
inline constexpr HResult E_MODNOTFOUND = MakeHResult(0x8007007E);
inline constexpr HResult E_FILENOTFOUND = MakeHResult(0x80070002);
inline constexpr HResult E_PATHNOTFOUND = MakeHResult(0x80070003);

inline constexpr HResult RPC_E_SERVERFAULT = MakeHResult(0x80010105);
inline constexpr HResult RPC_E_DISCONNECTED = MakeHResult(0x80010108);

inline constexpr HResult DISP_E_UNKNOWNINTERFACE = MakeHResult(0x80020001);
inline constexpr HResult DISP_E_MEMBERNOTFOUND = MakeHResult(0x80020003);
inline constexpr HResult DISP_E_PARAMNOTFOUND = MakeHResult(0x80020004);
inline constexpr HResult DISP_E_TYPEMISMATCH = MakeHResult(0x80020005);
inline constexpr HResult DISP_E_UNKNOWNNAME = MakeHResult(0x80020006);
inline constexpr HResult DISP_E_NONAMEDARGS = MakeHResult(0x80020007);
inline constexpr HResult DISP_E_BADVARTYPE = MakeHResult(0x80020008);
inline constexpr HResult DISP_E_EXCEPTION = MakeHResult(0x80020009);
inline constexpr HResult DISP_E_OVERFLOW = MakeHResult(0x8002000A);
inline constexpr HResult DISP_E_BADINDEX = MakeHResult(0x8002000B);
inline constexpr HResult DISP_E_BADPARAMCOUNT = MakeHResult(0x8002000E);
inline constexpr HResult DISP_E_PARAMNOTOPTIONAL = MakeHResult(0x8002000F);

inline constexpr HResult TYPE_E_REGISTRYACCESS = MakeHResult(0x8002801C);
inline constexpr HResult TYPE_E_LIBNOTREGISTERED = MakeHResult(0x8002801D);
inline constexpr HResult TYPE_E_CANTLOADLIBRARY = MakeHResult(0x80029C4A);

inline constexpr HResult CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
inline constexpr HResult CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111);
inline constexpr HResult REGDB_E_READREGDB = MakeHResult(0x80040150);
inline constexpr HResult REGDB_E_WRITEREGDB = MakeHResult(0x80040151);
inline constexpr HResult REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);
// Self-registration failures; they have no system text ("IDispatch error #0" and "#1").
inline constexpr HResult SELFREG_E_TYPELIB = MakeHResult(0x80040200);
inline constexpr HResult SELFREG_E_CLASS = MakeHResult(0x80040201);

inline constexpr HResult MK_E_UNAVAILABLE = MakeHResult(0x800401E3);
inline constexpr HResult CO_E_CLASSSTRING = MakeHResult(0x800401F3);
inline constexpr HResult CO_E_DLLNOTFOUND = MakeHResult(0x800401F8);
inline constexpr HResult CO_E_ERRORINDLL = MakeHResult(0x800401F9);
inline constexpr HResult CO_E_SERVER_EXEC_FAILURE = MakeHResult(0x80080005);

// The failure's standard text: the system's message for the code, without a final line
// break; "IDispatch error #N" (N = code - 0x80040200) for other codes from 0x80040200 to
// 0x8004FFFF; "Unknown error 0x8XXXXXXX" otherwise.
std::string StandardText(HResult code);

}  // namespace lumbra
