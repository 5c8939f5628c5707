#pragma once
// Dispatch objects: each class has one member table (its type library), and callers reach
// members by name (without regard to case) or by dispatch identifier. Custom interfaces that
// are called by position use the same table, with the position as identifier.
//
// A class declares its table once, from its member functions; argument and result kinds come
// from the C++ types (bool, std::int16_t, std::int32_t, float, double, std::string (UTF-8),
// ObjectRef, Variant; void for no result):
//
//   const DispatchTable& DownSize::Dispatch() const {
//     static const DispatchTable table = DispatchTable::For<DownSize>("IDownSize")
//         .Property(1, "Quality", &DownSize::GetQuality, &DownSize::SetQuality)
//         .Method(2, "DownSize", &DownSize::DownSizeFile,
//                 {Arg("FileName"), Arg("MaxBytes"), Arg("Shrink", Variant::Boolean(true))});
//     return table;
//   }
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/automation/com_error.h"
#include "platform/automation/variant.h"

namespace lumbra {

using DispId = std::int32_t;

enum class InvokeKind { Method, PropertyGet, PropertyPut };

// An argument as a table declares it: its name and, for an optional one, its default.
struct Arg {
  Arg(const char* name) : name(name) {}
  Arg(std::string name, Variant default_value)
      : name(std::move(name)), default_value(std::move(default_value)) {}

  std::string name;
  std::optional<Variant> default_value;
};

struct ArgInfo {
  std::string name;
  VarType type = VarType::Any;
  std::optional<Variant> default_value;  // set: the argument is optional
};

// Receives the arguments complete (defaults filled in) and converted to the declared kinds.
using MemberCall = std::function<Variant(DispatchObject& self, std::span<const Variant> args)>;

struct MemberInfo {
  DispId id = 0;
  std::string name;
  InvokeKind kind = InvokeKind::Method;
  VarType result = VarType::Empty;  // Empty: no result
  std::vector<ArgInfo> args;
  MemberCall call;
};

template <class C>
class DispatchTableBuilder;

// An enumeration the type library declares beside the members, such as a method's flag bits.
struct EnumConstant {
  std::string name;
  std::int32_t value = 0;
};
struct EnumInfo {
  std::string name;
  std::vector<EnumConstant> constants;
};

class DispatchTable {
 public:
  explicit DispatchTable(std::string interface_name) : interface_(std::move(interface_name)) {}

  template <class C>
  static DispatchTableBuilder<C> For(std::string interface_name) {
    return DispatchTableBuilder<C>(std::move(interface_name));
  }

  const std::string& InterfaceName() const { return interface_; }
  const std::vector<MemberInfo>& Members() const { return members_; }

  // The identifier of a member name, without regard to case.
  std::optional<DispId> IdOfName(std::string_view name) const;
  const MemberInfo* Find(DispId id, InvokeKind kind) const;
  // The member's name for an identifier ("" when unknown).
  std::string NameOfId(DispId id) const;

  // Checks what a table cannot hold (a name on two identifiers, one identifier and kind
  // twice, a required argument after an optional one) and throws std::logic_error.
  void Add(MemberInfo member);

  const std::vector<EnumInfo>& Enums() const { return enums_; }
  // A constant of any of the table's enumerations, by name without regard to case.
  std::optional<std::int32_t> EnumValue(std::string_view constant) const;
  // Throws std::logic_error for an enumeration or constant name the table already holds.
  void AddEnum(EnumInfo info);

 private:
  std::string interface_;
  std::vector<MemberInfo> members_;
  std::vector<EnumInfo> enums_;
};

class DispatchObject {
 public:
  virtual ~DispatchObject();
  virtual const DispatchTable& Dispatch() const = 0;

  // Calls a member: fills in optional arguments, converts every argument to its declared
  // kind, and reports failures as ComError (DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT,
  // DISP_E_PARAMNOTOPTIONAL, DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW, or the member's own).
  // A method call on a property without a method of that identifier reads the property.
  Variant Invoke(DispId id, InvokeKind kind, std::vector<Variant> args = {});

  // By name; an unknown name is DISP_E_UNKNOWNNAME.
  Variant Get(std::string_view name);
  void Put(std::string_view name, Variant value);
  Variant Call(std::string_view name, std::vector<Variant> args = {});
};

// ---- binding of member functions (details) ----

template <class T>
struct AutomationType;
template <>
struct AutomationType<void> {
  static constexpr VarType kType = VarType::Empty;
};
template <>
struct AutomationType<bool> {
  static constexpr VarType kType = VarType::Bool;
  static bool From(const Variant& v) { return v.ToBool(); }
  static Variant To(bool v) { return Variant::Boolean(v); }
};
template <>
struct AutomationType<std::int16_t> {
  static constexpr VarType kType = VarType::I2;
  static std::int16_t From(const Variant& v) { return v.ToI2(); }
  static Variant To(std::int16_t v) { return Variant(v); }
};
template <>
struct AutomationType<std::int32_t> {
  static constexpr VarType kType = VarType::I4;
  static std::int32_t From(const Variant& v) { return v.ToI4(); }
  static Variant To(std::int32_t v) { return Variant(v); }
};
template <>
struct AutomationType<float> {
  static constexpr VarType kType = VarType::R4;
  static float From(const Variant& v) { return v.ToR4(); }
  static Variant To(float v) { return Variant(v); }
};
template <>
struct AutomationType<double> {
  static constexpr VarType kType = VarType::R8;
  static double From(const Variant& v) { return v.ToR8(); }
  static Variant To(double v) { return Variant(v); }
};
template <>
struct AutomationType<std::string> {
  static constexpr VarType kType = VarType::Text;
  static std::string From(const Variant& v) { return v.ToText(); }
  static Variant To(std::string v) { return Variant(std::move(v)); }
};
template <>
struct AutomationType<ObjectRef> {
  static constexpr VarType kType = VarType::Object;
  static ObjectRef From(const Variant& v) { return v.ToObject(); }
  static Variant To(ObjectRef v) { return Variant(std::move(v)); }
};
template <>
struct AutomationType<Variant> {
  static constexpr VarType kType = VarType::Any;
  static Variant From(const Variant& v) { return v; }
  static Variant To(Variant v) { return v; }
};

namespace dispatch_detail {

template <class Fn>
struct MemberFunction;
template <class C, class R, class... A>
struct MemberFunction<R (C::*)(A...)> {
  using Class = C;
  using Result = std::decay_t<R>;
  using Args = std::tuple<std::decay_t<A>...>;
};
template <class C, class R, class... A>
struct MemberFunction<R (C::*)(A...) const> : MemberFunction<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct MemberFunction<R (C::*)(A...) noexcept> : MemberFunction<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct MemberFunction<R (C::*)(A...) const noexcept> : MemberFunction<R (C::*)(A...)> {};

template <class Self, class Fn, std::size_t... I>
Variant CallWith(Self& self, Fn fn, std::span<const Variant> args, std::index_sequence<I...>) {
  using Traits = MemberFunction<Fn>;
  using R = typename Traits::Result;
  if constexpr (std::is_void_v<R>) {
    (self.*fn)(AutomationType<std::tuple_element_t<I, typename Traits::Args>>::From(args[I])...);
    return Variant();
  } else {
    return AutomationType<R>::To(
        (self.*fn)(AutomationType<std::tuple_element_t<I, typename Traits::Args>>::From(args[I])...));
  }
}

template <class Tuple, std::size_t... I>
std::vector<VarType> ArgTypes(std::index_sequence<I...>) {
  return {AutomationType<std::tuple_element_t<I, Tuple>>::kType...};
}

// Names and defaults from the declaration, kinds from the function; throws std::logic_error
// when the counts differ.
std::vector<ArgInfo> MergeArgs(std::string_view member, std::vector<Arg> declared,
                               const std::vector<VarType>& types);

}  // namespace dispatch_detail

template <class C>
class DispatchTableBuilder {
 public:
  explicit DispatchTableBuilder(std::string interface_name) : table_(std::move(interface_name)) {}

  // A method; `args` names every argument in order (empty: no arguments).
  template <class Fn>
  DispatchTableBuilder& Method(DispId id, std::string name, Fn fn, std::vector<Arg> args = {}) {
    return Bind(id, std::move(name), InvokeKind::Method, fn, std::move(args));
  }
  // A property read by `get` (no arguments) and written by `put` (one argument).
  template <class Get, class Put>
  DispatchTableBuilder& Property(DispId id, std::string name, Get get, Put put) {
    Getter(id, name, get);
    return Setter(id, std::move(name), put);
  }
  template <class Get>
  DispatchTableBuilder& Getter(DispId id, std::string name, Get get) {
    return Bind(id, std::move(name), InvokeKind::PropertyGet, get, {});
  }
  template <class Put>
  DispatchTableBuilder& Setter(DispId id, std::string name, Put put) {
    return Bind(id, std::move(name), InvokeKind::PropertyPut, put, {Arg("value")});
  }

  DispatchTableBuilder& Enum(std::string name, std::vector<EnumConstant> constants) {
    table_.AddEnum(EnumInfo{std::move(name), std::move(constants)});
    return *this;
  }

  operator DispatchTable() const { return table_; }

 private:
  template <class Fn>
  DispatchTableBuilder& Bind(DispId id, std::string name, InvokeKind kind, Fn fn,
                             std::vector<Arg> args) {
    using Traits = dispatch_detail::MemberFunction<Fn>;
    using Args = typename Traits::Args;
    static_assert(std::is_base_of_v<typename Traits::Class, C>,
                  "the member function must belong to the class of the table");
    constexpr std::size_t count = std::tuple_size_v<Args>;
    MemberInfo member;
    member.id = id;
    member.kind = kind;
    member.result = AutomationType<typename Traits::Result>::kType;
    member.args = dispatch_detail::MergeArgs(
        name, std::move(args), dispatch_detail::ArgTypes<Args>(std::make_index_sequence<count>()));
    member.name = std::move(name);
    member.call = [fn](DispatchObject& self, std::span<const Variant> values) {
      return dispatch_detail::CallWith(static_cast<C&>(self), fn, values,
                                       std::make_index_sequence<count>());
    };
    table_.Add(std::move(member));
    return *this;
  }

  DispatchTable table_;
};

}  // namespace lumbra
