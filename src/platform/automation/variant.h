#pragma once
// The automation value. Text is UTF-8 here; components convert to their Windows-1252 text at
// the interface. Booleans are stored as the platform does: true is -1 (all bits set).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace lumbra {

class DispatchObject;
using ObjectRef = std::shared_ptr<DispatchObject>;

// Any is used only in member tables, for an argument or result that takes every kind.
enum class VarType : std::uint8_t { Empty, Bool, I2, I4, R4, R8, Text, Object, Any };

std::string_view VarTypeName(VarType type);

class Variant {
 public:
  Variant() = default;
  Variant(std::int16_t value) : value_(value) {}
  Variant(std::int32_t value) : value_(value) {}
  Variant(float value) : value_(value) {}
  Variant(double value) : value_(value) {}
  Variant(std::string utf8) : value_(std::move(utf8)) {}
  Variant(const char* utf8) : value_(std::string(utf8)) {}
  Variant(ObjectRef object) : value_(std::move(object)) {}
  // Not a constructor, so that pointers and integers never turn into booleans by accident.
  static Variant Boolean(bool value);

  VarType Type() const;
  bool IsEmpty() const { return Type() == VarType::Empty; }

  // The automation conversions (the platform's change-type rules):
  //  - empty converts to false, 0, 0.0, "" and a null object;
  //  - numbers to boolean: non-zero is true; boolean to number: -1 or 0;
  //  - floats to integers round half to even; out of range is DISP_E_OVERFLOW;
  //  - text to number accepts surrounding blanks and a decimal point, text to boolean also
  //    "True"/"False" (any case); anything else is DISP_E_TYPEMISMATCH;
  //  - numbers to text: integers in decimal, singles with 7 and doubles with 15 significant
  //    digits ("1.5", "1E+20"); booleans "True" and "False";
  //  - an object converts to nothing but an object.
  // Failures throw ComError.
  bool ToBool() const;
  std::int16_t ToI2() const;
  std::int32_t ToI4() const;
  float ToR4() const;
  double ToR8() const;
  std::string ToText() const;
  ObjectRef ToObject() const;
  // The value converted to a kind (Any returns the value itself).
  Variant ChangeType(VarType type) const;

  // Same kind and same value (objects: the same object).
  friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

 private:
  struct BoolValue {
    std::int16_t bits;
    friend bool operator==(BoolValue a, BoolValue b) { return a.bits == b.bits; }
  };
  explicit Variant(BoolValue value) : value_(value) {}

  std::variant<std::monostate, BoolValue, std::int16_t, std::int32_t, float, double, std::string,
               ObjectRef>
      value_;
};

}  // namespace lumbra
