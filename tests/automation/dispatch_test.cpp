#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/automation/dispatch.h"
#include "sample_object.h"
#include "temp_services.h"

namespace lumbra::testing {
namespace {

class Dispatch : public ::testing::Test {
 protected:
  TempServices temp;
  SampleObject sample{temp.services};
};

HResult FailureOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const ComError& error) {
    return error.Code();
  }
  return S_OK;
}

TEST_F(Dispatch, MembersAreFoundByNameWithoutRegardToCaseAndById) {
  const DispatchTable& table = sample.Dispatch();
  EXPECT_EQ(table.IdOfName("Count"), 2);
  EXPECT_EQ(table.IdOfName("COUNT"), 2);
  EXPECT_EQ(table.IdOfName("kindof"), 7);
  EXPECT_EQ(table.IdOfName("Missing"), std::nullopt);
  EXPECT_EQ(table.NameOfId(6), "Add");

  const MemberInfo* add = table.Find(6, InvokeKind::Method);
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add->result, VarType::I4);
  ASSERT_EQ(add->args.size(), 2u);
  EXPECT_EQ(add->args[0].name, "a");
  EXPECT_EQ(add->args[1].type, VarType::I2);
  EXPECT_EQ(add->args[1].default_value, Variant(std::int16_t{1}));
  EXPECT_EQ(table.Find(5, InvokeKind::PropertyPut), nullptr);  // read-only
}

TEST_F(Dispatch, PropertiesConvertOnTheWayInAndOut) {
  sample.Put("count", Variant("7"));
  EXPECT_EQ(sample.Get("Count"), Variant(std::int16_t{7}));
  sample.Invoke(3, InvokeKind::PropertyPut, {Variant(2)});
  EXPECT_EQ(sample.Invoke(3, InvokeKind::PropertyGet), Variant(2.0f));
  sample.Put("Enabled", Variant(5));
  EXPECT_EQ(sample.Get("Enabled"), Variant::Boolean(true));
  sample.Put("Name", Variant(12));
  EXPECT_EQ(sample.Get("Name"), Variant("12"));
  // A method call on a property reads it, as scripts sometimes do.
  EXPECT_EQ(sample.Invoke(1, InvokeKind::Method), Variant("12"));
}

TEST_F(Dispatch, OptionalArgumentsTakeTheirDefaults) {
  EXPECT_EQ(sample.Call("Add", {Variant(5)}), Variant(6));
  EXPECT_EQ(sample.Call("ADD", {Variant(5), Variant("10")}), Variant(15));
  EXPECT_EQ(sample.Call("KindOf", {Variant(2.5)}), Variant("double"));
}

TEST_F(Dispatch, CallerMistakesAreReportedWithTheirCodes) {
  const struct {
    const char* what;
    std::function<void()> call;
    HResult code;
  } cases[] = {
      {"too many", [&] { sample.Call("Add", {Variant(1), Variant(2), Variant(3)}); }, DISP_E_BADPARAMCOUNT},
      {"missing required", [&] { sample.Call("Add"); }, DISP_E_PARAMNOTOPTIONAL},
      {"not a number", [&] { sample.Put("Count", Variant("abc")); }, DISP_E_TYPEMISMATCH},
      {"too big", [&] { sample.Put("Count", Variant(70000)); }, DISP_E_OVERFLOW},
      {"unknown id", [&] { sample.Invoke(99, InvokeKind::Method); }, DISP_E_MEMBERNOTFOUND},
      {"unknown name", [&] { sample.Get("Colour"); }, DISP_E_UNKNOWNNAME},
      {"read-only", [&] { sample.Put("SystemFolder", Variant("x")); }, DISP_E_MEMBERNOTFOUND},
  };
  for (const auto& c : cases) EXPECT_EQ(FailureOf(c.call), c.code) << c.what;
  EXPECT_EQ(sample.Get("Count"), Variant(std::int16_t{0})) << "a failed put changes nothing";
}

TEST_F(Dispatch, AMembersOwnFailureReachesTheCallerUnchanged) {
  try {
    sample.Call("Raise", {Variant(static_cast<std::int32_t>(0x80041001)), Variant("card jammed")});
    FAIL() << "no failure";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Code(), MakeHResult(0x80041001));
    EXPECT_EQ(error.Description(), "card jammed");
    EXPECT_EQ(error.Source(), kSampleProgId);
    EXPECT_EQ(error.Interface(), "ISample");
  }
}

struct Faulty : DispatchObject {
  const DispatchTable& Dispatch() const override {
    static const DispatchTable table =
        DispatchTable::For<Faulty>("IFaulty").Method(1, "Break", &Faulty::Break);
    return table;
  }
  void Break() { throw std::runtime_error("disk on fire"); }
};

TEST(DispatchFailures, OtherExceptionsBecomeUnspecifiedErrorsWithTheirText) {
  Faulty faulty;
  try {
    faulty.Call("Break");
    FAIL() << "no failure";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Code(), E_FAIL);
    EXPECT_EQ(error.Description(), "disk on fire");
  }
}

TEST(DispatchTables, RefuseWhatATypeLibraryCannotHold) {
  auto build = [](auto&& declare) {
    auto builder = DispatchTable::For<SampleObject>("IBad");
    declare(builder);
  };
  using Builder = DispatchTableBuilder<SampleObject>;
  EXPECT_THROW(build([](Builder& b) { b.Method(1, "Add", &SampleObject::Add, {Arg("a")}); }),
               std::logic_error);
  EXPECT_THROW(build([](Builder& b) {
                 b.Method(1, "Add", &SampleObject::Add, {Arg("a", Variant(1)), Arg("b")});
               }),
               std::logic_error);
  EXPECT_THROW(build([](Builder& b) {
                 b.Getter(1, "Name", &SampleObject::GetName).Getter(2, "name", &SampleObject::GetName);
               }),
               std::logic_error);
  EXPECT_THROW(build([](Builder& b) {
                 b.Getter(1, "Name", &SampleObject::GetName).Getter(1, "Count", &SampleObject::GetCount);
               }),
               std::logic_error);
}

TEST(DispatchTables, EnumerationsAreListedAndTheirConstantsFoundWithoutRegardToCase) {
  const DispatchTable table = DispatchTable::For<SampleObject>("IFlags")
                                  .Enum("Colour", {{"clRed", 1}, {"clBlue", 4}})
                                  .Enum("Size", {{"szLarge", -2}});
  ASSERT_EQ(table.Enums().size(), 2u);
  EXPECT_EQ(table.Enums()[0].name, "Colour");
  EXPECT_EQ(table.EnumValue("CLBLUE"), 4);
  EXPECT_EQ(table.EnumValue("szlarge"), -2);
  EXPECT_EQ(table.EnumValue("clGreen"), std::nullopt);

  auto build = [](auto&& declare) {
    auto builder = DispatchTable::For<SampleObject>("IBad");
    declare(builder);
  };
  using Builder = DispatchTableBuilder<SampleObject>;
  EXPECT_THROW(build([](Builder& b) { b.Enum("Colour", {{"a", 1}}).Enum("COLOUR", {{"b", 2}}); }),
               std::logic_error);
  EXPECT_THROW(build([](Builder& b) { b.Enum("Colour", {{"a", 1}}).Enum("Size", {{"A", 2}}); }),
               std::logic_error);
  EXPECT_THROW(build([](Builder& b) { b.Enum("Colour", {{"a", 1}, {"A", 2}}); }), std::logic_error);
}

}  // namespace
}  // namespace lumbra::testing
