#include <gtest/gtest.h>

#include "platform/automation/com_error.h"
#include "platform/automation/hresult.h"

namespace lumbra {
namespace {

TEST(StandardText, SystemTextsAndFallbacks) {
  const struct {
    HResult code;
    const char* text;
  } cases[] = {
      {E_FAIL, "Unspecified error"},
      {E_NOINTERFACE, "No such interface supported"},
      {E_POINTER, "Invalid pointer"},
      {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
      {E_INVALIDARG, "The parameter is incorrect."},
      {REGDB_E_CLASSNOTREG, "Class not registered"},
      {CO_E_SERVER_EXEC_FAILURE, "Server execution failed"},
      {DISP_E_EXCEPTION, "Exception occurred."},
      {DISP_E_MEMBERNOTFOUND, "Member not found."},
      {DISP_E_TYPEMISMATCH, "Type mismatch."},
      {DISP_E_BADPARAMCOUNT, "Invalid number of parameters."},
      {DISP_E_PARAMNOTOPTIONAL, "Parameter not optional."},
      {RPC_E_DISCONNECTED, "The object invoked has disconnected from its clients."},
      // Codes from 0x80040200 to 0x8004FFFF without a system text count from 0x80040200.
      {SELFREG_E_TYPELIB, "IDispatch error #0"},
      {SELFREG_E_CLASS, "IDispatch error #1"},
      {MakeHResult(0x80041234), "IDispatch error #4148"},
      {MakeHResult(0x8004FFFF), "IDispatch error #65023"},
      // Everything else.
      {MakeHResult(0x800A01AD), "Unknown error 0x800A01AD"},
      {MakeHResult(0x80050000), "Unknown error 0x80050000"},
      {MakeHResult(0x8003FFFF), "Unknown error 0x8003FFFF"},
      {0x12345, "Unknown error 0x12345"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StandardText(c.code), c.text) << std::hex << static_cast<unsigned>(c.code);
  }
}

TEST(ComError, ReportShowsFiveLinesWithNullForMissingParts) {
  EXPECT_EQ(ComErrorReportText(ComError(REGDB_E_CLASSNOTREG)),
            "Oops - hit an error!\n"
            "Code = 80040154\n"
            "Code meaning = Class not registered\n"
            "Source = null\n"
            "Description = null\n");
  EXPECT_EQ(ComErrorReportText(ComError(0x1A, "bad card", "Design.Card")),
            "Oops - hit an error!\n"
            "Code = 0000001a\n"
            "Code meaning = Unknown error 0x1A\n"
            "Source = Design.Card\n"
            "Description = bad card\n");
}

TEST(ComError, WhatFallsBackToTheStandardText) {
  EXPECT_STREQ(ComError(E_POINTER).what(), "Invalid pointer");
  EXPECT_STREQ(ComError(E_POINTER, "no card object").what(), "no card object");
}

}  // namespace
}  // namespace lumbra
