#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "platform/automation/com_error.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/variant.h"

namespace lumbra {
namespace {

struct Conversion {
  Variant input;
  VarType target;
  std::optional<Variant> expected;  // nothing: the conversion fails with `error`
  HResult error = S_OK;
};

void PrintTo(const Variant& value, std::ostream* out) {
  *out << VarTypeName(value.Type());
  if (value.Type() != VarType::Object) *out << " \"" << value.ToText() << "\"";
}

void PrintTo(const Conversion& c, std::ostream* out) {
  PrintTo(c.input, out);
  *out << " -> " << VarTypeName(c.target);
}

class VariantConversion : public ::testing::TestWithParam<Conversion> {};

TEST_P(VariantConversion, FollowsTheAutomationRules) {
  const Conversion& c = GetParam();
  if (c.expected) {
    EXPECT_EQ(c.input.ChangeType(c.target), *c.expected);
  } else {
    try {
      c.input.ChangeType(c.target);
      ADD_FAILURE() << "no failure";
    } catch (const ComError& error) {
      EXPECT_EQ(error.Code(), c.error);
    }
  }
}

const Variant kTrue = Variant::Boolean(true);
const Variant kFalse = Variant::Boolean(false);
using I2 = std::int16_t;

INSTANTIATE_TEST_SUITE_P(
    Table, VariantConversion,
    ::testing::Values(
        // Booleans: true is all bits set; non-zero is true.
        Conversion{kTrue, VarType::I2, Variant(I2{-1})}, Conversion{kTrue, VarType::I4, Variant(-1)},
        Conversion{kFalse, VarType::R8, Variant(0.0)}, Conversion{kTrue, VarType::Text, Variant("True")},
        Conversion{kFalse, VarType::Text, Variant("False")}, Conversion{Variant(7), VarType::Bool, kTrue},
        Conversion{Variant(I2{0}), VarType::Bool, kFalse}, Conversion{Variant(0.25), VarType::Bool, kTrue},
        Conversion{Variant(" false "), VarType::Bool, kFalse}, Conversion{Variant("TRUE"), VarType::Bool, kTrue},
        Conversion{Variant("-2"), VarType::Bool, kTrue}, Conversion{Variant("0"), VarType::Bool, kFalse},
        Conversion{Variant("yes"), VarType::Bool, std::nullopt, DISP_E_TYPEMISMATCH},
        // Floats to integers round half to even; out of range overflows.
        Conversion{Variant(2.5), VarType::I2, Variant(I2{2})}, Conversion{Variant(3.5), VarType::I2, Variant(I2{4})},
        Conversion{Variant(-2.5), VarType::I4, Variant(-2)}, Conversion{Variant(1.5f), VarType::I4, Variant(2)},
        Conversion{Variant(40000), VarType::I2, std::nullopt, DISP_E_OVERFLOW},
        Conversion{Variant(I2{-32768}), VarType::I4, Variant(-32768)},
        Conversion{Variant(1e10), VarType::I4, std::nullopt, DISP_E_OVERFLOW},
        Conversion{Variant(1e39), VarType::R4, std::nullopt, DISP_E_OVERFLOW},
        // Text to numbers.
        Conversion{Variant(" 12 "), VarType::I4, Variant(12)}, Conversion{Variant("-1.5"), VarType::R4, Variant(-1.5f)},
        Conversion{Variant("+3"), VarType::I2, Variant(I2{3})}, Conversion{Variant("2.5"), VarType::I4, Variant(2)},
        Conversion{Variant("70000"), VarType::I2, std::nullopt, DISP_E_OVERFLOW},
        Conversion{Variant(""), VarType::I4, std::nullopt, DISP_E_TYPEMISMATCH},
        Conversion{Variant("12abc"), VarType::I4, std::nullopt, DISP_E_TYPEMISMATCH},
        Conversion{Variant("inf"), VarType::R8, std::nullopt, DISP_E_TYPEMISMATCH},
        Conversion{Variant("-"), VarType::R8, std::nullopt, DISP_E_TYPEMISMATCH},
        // Numbers to text.
        Conversion{Variant(I2{-5}), VarType::Text, Variant("-5")}, Conversion{Variant(0.1f), VarType::Text, Variant("0.1")},
        Conversion{Variant(0.1), VarType::Text, Variant("0.1")}, Conversion{Variant(1e20), VarType::Text, Variant("1E+20")},
        Conversion{Variant(1.0f / 3), VarType::Text, Variant("0.3333333")},
        // Empty converts to the zero of every kind.
        Conversion{Variant(), VarType::Text, Variant("")}, Conversion{Variant(), VarType::I4, Variant(0)},
        Conversion{Variant(), VarType::Bool, kFalse}, Conversion{Variant(), VarType::Object, Variant(ObjectRef())},
        // A single stays exact; anything else goes to single by rounding.
        Conversion{Variant(0.1f), VarType::R4, Variant(0.1f)}, Conversion{Variant(0.1), VarType::R4, Variant(0.1f)},
        Conversion{Variant("x"), VarType::Object, std::nullopt, DISP_E_TYPEMISMATCH}));

TEST(Variant, ObjectsConvertOnlyToObjects) {
  struct Plain : DispatchObject {
    const DispatchTable& Dispatch() const override {
      static const DispatchTable table("IPlain");
      return table;
    }
  };
  const ObjectRef object = std::make_shared<Plain>();
  const Variant value(object);
  EXPECT_EQ(value.ToObject(), object);
  EXPECT_EQ(value.ChangeType(VarType::Any), value);
  EXPECT_THROW(value.ToText(), ComError);
  EXPECT_THROW(value.ToI4(), ComError);
}

}  // namespace
}  // namespace lumbra
