#include "platform/automation/variant.h"

#include <charconv>
#include <cctype>
#include <cmath>
#include <limits>
#include <type_traits>

#include "platform/automation/com_error.h"
#include "platform/base/text.h"

namespace lumbra {
namespace {

[[noreturn]] void Mismatch() { throw ComError(DISP_E_TYPEMISMATCH); }
[[noreturn]] void Overflow() { throw ComError(DISP_E_OVERFLOW); }

// A number in text: blanks around it, an optional sign, digits with a decimal point and an
// exponent.
double NumberFromText(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.')) {
    Mismatch();
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) Overflow();
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) Mismatch();
  return negative ? -value : value;
}

template <class Int>
Int IntegerFromDouble(double value) {
  // The platform rounds half to even when it makes an integer of a float.
  const double rounded = std::nearbyint(value);
  if (!(rounded >= std::numeric_limits<Int>::min() && rounded <= std::numeric_limits<Int>::max())) {
    Overflow();
  }
  return static_cast<Int>(rounded);
}

template <class Int>
Int IntegerFromInteger(std::int64_t value) {
  if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max()) Overflow();
  return static_cast<Int>(value);
}

// As printf's %G, but independent of the process locale.
std::string FloatText(double value, int digits) {
  char text[48];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  std::string formatted(text, result.ptr);
  for (char& c : formatted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return formatted;
}

}  // namespace

std::string_view VarTypeName(VarType type) {
  switch (type) {
    case VarType::Empty: return "empty";
    case VarType::Bool: return "boolean";
    case VarType::I2: return "16-bit integer";
    case VarType::I4: return "32-bit integer";
    case VarType::R4: return "single";
    case VarType::R8: return "double";
    case VarType::Text: return "text";
    case VarType::Object: return "object";
    case VarType::Any: return "variant";
  }
  return "unknown";
}

Variant Variant::Boolean(bool value) { return Variant(BoolValue{static_cast<std::int16_t>(value ? -1 : 0)}); }

VarType Variant::Type() const {
  constexpr VarType kTypes[] = {VarType::Empty, VarType::Bool, VarType::I2,   VarType::I4,
                                VarType::R4,    VarType::R8,   VarType::Text, VarType::Object};
  return kTypes[value_.index()];
}

double Variant::ToR8() const {
  return std::visit(
      [](const auto& v) -> double {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) return 0;
        else if constexpr (std::is_same_v<T, BoolValue>) return v.bits;
        else if constexpr (std::is_same_v<T, std::string>) return NumberFromText(v);
        else if constexpr (std::is_same_v<T, ObjectRef>) Mismatch();
        else return static_cast<double>(v);
      },
      value_);
}

float Variant::ToR4() const {
  if (const auto* single = std::get_if<float>(&value_)) return *single;
  const double value = ToR8();
  if (std::fabs(value) > std::numeric_limits<float>::max()) Overflow();
  return static_cast<float>(value);
}

std::int32_t Variant::ToI4() const {
  return std::visit(
      [this](const auto& v) -> std::int32_t {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::int16_t> || std::is_same_v<T, std::int32_t>) return v;
        else if constexpr (std::is_same_v<T, BoolValue>) return v.bits;
        else return IntegerFromDouble<std::int32_t>(ToR8());
      },
      value_);
}

std::int16_t Variant::ToI2() const {
  return std::visit(
      [this](const auto& v) -> std::int16_t {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::int16_t>) return v;
        else if constexpr (std::is_same_v<T, std::int32_t>) return IntegerFromInteger<std::int16_t>(v);
        else if constexpr (std::is_same_v<T, BoolValue>) return v.bits;
        else return IntegerFromDouble<std::int16_t>(ToR8());
      },
      value_);
}

bool Variant::ToBool() const {
  if (const auto* text = std::get_if<std::string>(&value_)) {
    std::string_view trimmed = *text;
    while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
    if (EqualsNoCase(trimmed, "true")) return true;
    if (EqualsNoCase(trimmed, "false")) return false;
  }
  return ToR8() != 0;
}

std::string Variant::ToText() const {
  return std::visit(
      [](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) return "";
        else if constexpr (std::is_same_v<T, BoolValue>) return v.bits ? "True" : "False";
        else if constexpr (std::is_same_v<T, std::string>) return v;
        else if constexpr (std::is_same_v<T, ObjectRef>) Mismatch();
        else if constexpr (std::is_same_v<T, float>) return FloatText(v, 7);
        else if constexpr (std::is_same_v<T, double>) return FloatText(v, 15);
        else return std::to_string(v);
      },
      value_);
}

ObjectRef Variant::ToObject() const {
  if (IsEmpty()) return nullptr;
  if (const auto* object = std::get_if<ObjectRef>(&value_)) return *object;
  Mismatch();
}

Variant Variant::ChangeType(VarType type) const {
  switch (type) {
    case VarType::Empty: return Variant();
    case VarType::Bool: return Boolean(ToBool());
    case VarType::I2: return Variant(ToI2());
    case VarType::I4: return Variant(ToI4());
    case VarType::R4: return Variant(ToR4());
    case VarType::R8: return Variant(ToR8());
    case VarType::Text: return Variant(ToText());
    case VarType::Object: return Variant(ToObject());
    case VarType::Any: return *this;
  }
  Mismatch();
}

}  // namespace lumbra
