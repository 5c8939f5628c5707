#include "platform/automation/dispatch.h"

#include <algorithm>
#include <stdexcept>

#include <new>

#include "platform/base/text.h"

namespace lumbra {

std::optional<std::int32_t> DispatchTable::EnumValue(std::string_view constant) const {
  for (const EnumInfo& info : enums_) {
    for (const EnumConstant& entry : info.constants) {
      if (EqualsNoCase(entry.name, constant)) return entry.value;
    }
  }
  return std::nullopt;
}

void DispatchTable::AddEnum(EnumInfo info) {
  for (const EnumInfo& other : enums_) {
    if (EqualsNoCase(other.name, info.name)) throw std::logic_error("enumeration " + info.name + " is declared twice");
  }
  for (std::size_t i = 0; i < info.constants.size(); ++i) {
    const std::string& name = info.constants[i].name;
    const bool repeated = EnumValue(name).has_value() ||
                          std::any_of(info.constants.begin(), info.constants.begin() + static_cast<std::ptrdiff_t>(i),
                                      [&](const EnumConstant& earlier) { return EqualsNoCase(earlier.name, name); });
    if (repeated) throw std::logic_error("enumeration constant " + name + " is declared twice");
  }
  enums_.push_back(std::move(info));
}

std::optional<DispId> DispatchTable::IdOfName(std::string_view name) const {
  for (const MemberInfo& member : members_) {
    if (EqualsNoCase(member.name, name)) return member.id;
  }
  return std::nullopt;
}

const MemberInfo* DispatchTable::Find(DispId id, InvokeKind kind) const {
  for (const MemberInfo& member : members_) {
    if (member.id == id && member.kind == kind) return &member;
  }
  return nullptr;
}

std::string DispatchTable::NameOfId(DispId id) const {
  for (const MemberInfo& member : members_) {
    if (member.id == id) return member.name;
  }
  return "";
}

void DispatchTable::Add(MemberInfo member) {
  const std::string where = interface_ + "." + member.name;
  for (const MemberInfo& other : members_) {
    if (EqualsNoCase(other.name, member.name) != (other.id == member.id)) {
      throw std::logic_error(where + ": a name and its identifier must go together");
    }
    if (other.id == member.id && other.kind == member.kind) {
      throw std::logic_error(where + ": declared twice");
    }
  }
  bool optional_seen = false;
  for (const ArgInfo& arg : member.args) {
    if (optional_seen && !arg.default_value) {
      throw std::logic_error(where + ": required argument " + arg.name + " after an optional one");
    }
    optional_seen = optional_seen || arg.default_value.has_value();
  }
  members_.push_back(std::move(member));
}

namespace dispatch_detail {

std::vector<ArgInfo> MergeArgs(std::string_view member, std::vector<Arg> declared,
                               const std::vector<VarType>& types) {
  if (declared.size() != types.size()) {
    throw std::logic_error(std::string(member) + ": " + std::to_string(types.size()) +
                           " arguments, " + std::to_string(declared.size()) + " names");
  }
  std::vector<ArgInfo> args;
  for (std::size_t i = 0; i < types.size(); ++i) {
    std::optional<Variant> default_value;
    if (declared[i].default_value) default_value = declared[i].default_value->ChangeType(types[i]);
    args.push_back({std::move(declared[i].name), types[i], std::move(default_value)});
  }
  return args;
}

}  // namespace dispatch_detail

namespace {

// Completes and converts the caller's arguments as the member declares them.
std::vector<Variant> PrepareArgs(const DispatchTable& table, const MemberInfo& member,
                                 std::vector<Variant> args) {
  const std::string where = table.InterfaceName() + "." + member.name;
  if (args.size() > member.args.size()) {
    throw ComError(DISP_E_BADPARAMCOUNT,
                   where + " takes " + std::to_string(member.args.size()) + " arguments, got " +
                       std::to_string(args.size()),
                   "", table.InterfaceName());
  }
  for (std::size_t i = args.size(); i < member.args.size(); ++i) {
    const ArgInfo& declared = member.args[i];
    if (!declared.default_value) {
      throw ComError(DISP_E_PARAMNOTOPTIONAL,
                     where + ": argument " + declared.name + " is not optional", "",
                     table.InterfaceName());
    }
    args.push_back(*declared.default_value);
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    try {
      args[i] = args[i].ChangeType(member.args[i].type);
    } catch (const ComError& error) {
      throw ComError(error.Code(),
                     where + ": argument " + member.args[i].name + " is not a " +
                         std::string(VarTypeName(member.args[i].type)) + " (" +
                         error.CodeMeaning() + ")",
                     "", table.InterfaceName());
    }
  }
  return args;
}

}  // namespace

DispatchObject::~DispatchObject() = default;

Variant DispatchObject::Invoke(DispId id, InvokeKind kind, std::vector<Variant> args) {
  const DispatchTable& table = Dispatch();
  const MemberInfo* member = table.Find(id, kind);
  if (member == nullptr && kind == InvokeKind::Method) member = table.Find(id, InvokeKind::PropertyGet);
  if (member == nullptr) {
    std::string name = table.NameOfId(id);
    if (name.empty()) name = "#" + std::to_string(id);
    throw ComError(DISP_E_MEMBERNOTFOUND, table.InterfaceName() + "." + name + ": member not found",
                   "", table.InterfaceName());
  }
  const std::vector<Variant> prepared = PrepareArgs(table, *member, std::move(args));
  try {
    return member->call(*this, prepared);
  } catch (const ComError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw ComError(E_OUTOFMEMORY, "", "", table.InterfaceName());
  } catch (const std::exception& error) {
    throw ComError(E_FAIL, error.what(), "", table.InterfaceName());
  }
}

namespace {

DispId RequireId(const DispatchTable& table, std::string_view name) {
  if (auto id = table.IdOfName(name)) return *id;
  throw ComError(DISP_E_UNKNOWNNAME,
                 table.InterfaceName() + " has no member named " + std::string(name), "",
                 table.InterfaceName());
}

}  // namespace

Variant DispatchObject::Get(std::string_view name) {
  return Invoke(RequireId(Dispatch(), name), InvokeKind::PropertyGet);
}

void DispatchObject::Put(std::string_view name, Variant value) {
  Invoke(RequireId(Dispatch(), name), InvokeKind::PropertyPut, {std::move(value)});
}

Variant DispatchObject::Call(std::string_view name, std::vector<Variant> args) {
  return Invoke(RequireId(Dispatch(), name), InvokeKind::Method, std::move(args));
}

}  // namespace lumbra
