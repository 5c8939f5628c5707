#include "platform/base/reg_command.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>

#include "platform/base/text.h"

namespace lumbra {
namespace {

constexpr std::string_view kSuccess = "The operation completed successfully.";
constexpr std::string_view kNotFound = "The system was unable to find the specified registry key or value.";

constexpr std::string_view kUsage =
    "Usage:\n"
    "  lumbra reg query  KEY [/v NAME | /ve] [/s]\n"
    "  lumbra reg add    KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD|REG_BINARY] [/d DATA] [/f]\n"
    "  lumbra reg delete KEY [/v NAME | /ve] [/f]\n"
    "  lumbra reg import FILE.reg\n"
    "  lumbra reg export KEY FILE.reg [/y]\n"
    "\n"
    "  KEY     HIVE\\PATH, HIVE one of HKLM, HKCU, HKCR, HKU or their long names\n"
    "  /v      the value NAME; /ve the default value\n"
    "  /s      query: all subkeys and their values\n"
    "  /t      add: the type, REG_SZ when left out\n"
    "  /d      add: the data; a REG_DWORD in decimal or 0x hex, REG_BINARY as hex digits\n"
    "  /f      accepted for compatibility; nothing is asked\n"
    "  /y      export: overwrite an existing file\n";

// A fault in the command line or in its work: the text after "ERROR: ".
struct CommandError {
  std::string message;
  bool show_usage = false;
};

[[noreturn]] void Syntax(const std::string& detail) { throw CommandError{"Invalid syntax. " + detail, true}; }

struct KeyName {
  Hive hive;
  std::string path;  // Windows-1252, below the hive
  std::string shown; // UTF-8, as printed: long hive name and the path
};

KeyName ParseKey(const std::string& text) {
  const std::string ansi = AnsiFromUtf8(text);
  const auto slash = ansi.find('\\');
  const auto hive = HiveFromName(std::string_view(ansi).substr(0, slash));
  if (!hive) throw CommandError{"Invalid key name \"" + text + "\": it must start with HKLM, HKCU, HKCR or HKU."};
  KeyName key{*hive, slash == std::string::npos ? "" : ansi.substr(slash + 1), ""};
  while (!key.path.empty() && key.path.back() == '\\') key.path.pop_back();
  key.shown = std::string(HiveName(key.hive)) + (key.path.empty() ? "" : "\\" + Utf8FromAnsi(key.path));
  return key;
}

// The command line after the operation: positional words and the switches that take a word.
struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> switches;  // lower case, without "/"

  bool Has(const std::string& name) const { return switches.contains(name); }
  std::optional<std::string> Get(const std::string& name) const {
    const auto found = switches.find(name);
    return found == switches.end() ? std::nullopt : std::optional(found->second);
  }
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "/v", "/ve": short letters only, so that a host path such as "/tmp/a.reg" stays a word.
bool IsSwitch(const std::string& arg) {
  return arg.size() >= 2 && arg.size() <= 3 && arg.front() == '/' &&
         std::all_of(arg.begin() + 1, arg.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

Arguments ParseArguments(const std::vector<std::string>& args, std::string_view allowed_flags,
                         std::string_view allowed_with_word, std::size_t positional_count) {
  Arguments parsed;
  const auto listed = [](std::string_view list, const std::string& name) {
    return (" " + std::string(list) + " ").find(" " + name + " ") != std::string::npos;
  };
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!IsSwitch(arg)) {
      parsed.positional.push_back(arg);
      continue;
    }
    const std::string name = Lower(arg.substr(1));
    if (parsed.Has(name)) Syntax("The switch " + arg + " is given twice.");
    if (listed(allowed_with_word, name)) {
      if (i + 1 == args.size()) Syntax("The switch " + arg + " needs a value.");
      parsed.switches[name] = args[++i];
    } else if (listed(allowed_flags, name)) {
      parsed.switches[name] = "";
    } else {
      Syntax("Unknown switch " + arg + " for reg " + Lower(args[0]) + ".");
    }
  }
  if (parsed.positional.size() != positional_count) {
    Syntax("reg " + Lower(args[0]) + " takes " + std::to_string(positional_count) +
           (positional_count == 1 ? " argument" : " arguments") + " besides its switches.");
  }
  if (parsed.Has("v") && parsed.Has("ve")) Syntax("Give /v NAME or /ve, not both.");
  return parsed;
}

// The value name the switches select: nullopt for none, "" for the default value.
std::optional<std::string> ValueName(const Arguments& arguments) {
  if (arguments.Has("ve")) return std::string();
  if (const auto name = arguments.Get("v")) return AnsiFromUtf8(*name);
  return std::nullopt;
}

std::string TypeName(RegType type) {
  switch (static_cast<std::uint32_t>(type)) {
    case 1: return "REG_SZ";
    case 2: return "REG_EXPAND_SZ";
    case 3: return "REG_BINARY";
    case 4: return "REG_DWORD";
    case 7: return "REG_MULTI_SZ";
    case 11: return "REG_QWORD";
  }
  return "REG_TYPE_" + std::to_string(static_cast<std::uint32_t>(type));
}

std::string HexBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char byte : bytes) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
  }
  return out;
}

std::string ShowData(const RegValue& value) {
  switch (value.type) {
    case RegType::String: return Utf8FromAnsi(value.AsText());
    case RegType::Dword: {
      std::ostringstream out;
      out << "0x" << std::hex << value.AsNumber();
      return out.str();
    }
    default: return HexBytes(value.bytes);
  }
}

void PrintValue(std::ostream& out, const std::string& name, const RegValue& value) {
  out << "    " << (name.empty() ? "(Default)" : Utf8FromAnsi(name)) << "    " << TypeName(value.type) << "    "
      << ShowData(value) << '\n';
}

void PrintKey(std::ostream& out, Registry& registry, Hive hive, const std::string& path, const std::string& shown,
              bool recursive) {
  out << '\n' << shown << '\n';
  for (const auto& [name, value] : registry.Values(hive, path)) PrintValue(out, name, value);
  for (const std::string& child : registry.SubKeys(hive, path)) {
    const std::string child_path = path.empty() ? child : path + '\\' + child;
    const std::string child_shown = shown + '\\' + Utf8FromAnsi(child);
    if (recursive) {
      PrintKey(out, registry, hive, child_path, child_shown, true);
    } else {
      out << '\n' << child_shown;
    }
  }
  if (!recursive) out << '\n';
}

int Query(const std::vector<std::string>& args, Registry& registry, std::ostream& out) {
  const Arguments arguments = ParseArguments(args, "ve s", "v", 1);
  const KeyName key = ParseKey(arguments.positional[0]);
  if (!registry.KeyExists(key.hive, key.path)) throw CommandError{std::string(kNotFound)};
  if (const auto name = ValueName(arguments)) {
    const auto value = registry.ReadValue(key.hive, key.path, *name);
    if (!value) throw CommandError{std::string(kNotFound)};
    out << '\n' << key.shown << '\n';
    PrintValue(out, *name, *value);
    out << '\n';
    return 0;
  }
  PrintKey(out, registry, key.hive, key.path, key.shown, arguments.Has("s"));
  return 0;
}

std::uint32_t ParseDword(const std::string& data) {
  const bool hex = data.starts_with("0x") || data.starts_with("0X");
  const char* first = data.data() + (hex ? 2 : 0);
  const char* last = data.data() + data.size();
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(first, last, number, hex ? 16 : 10);
  if (first == last || error != std::errc() || end != last) {
    throw CommandError{"Invalid REG_DWORD data \"" + data + "\": give a number from 0 to 4294967295 or 0x hex."};
  }
  return number;
}

std::string ParseBinary(const std::string& data) {
  std::string bytes;
  const auto digit = [&](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw CommandError{"Invalid REG_BINARY data \"" + data + "\": give pairs of hex digits such as 0aff."};
  };
  if (data.size() % 2 != 0) digit('x');
  for (std::size_t i = 0; i < data.size(); i += 2) bytes += static_cast<char>(digit(data[i]) * 16 + digit(data[i + 1]));
  return bytes;
}

RegValue MakeValue(const std::string& type, const std::string& data) {
  const std::string upper = AnsiFromUtf8(type);
  if (EqualsNoCase(upper, "REG_SZ")) return RegValue::Text(AnsiFromUtf8(data));
  if (EqualsNoCase(upper, "REG_DWORD")) return RegValue::Number(ParseDword(data));
  if (EqualsNoCase(upper, "REG_BINARY")) return RegValue{RegType::Binary, ParseBinary(data)};
  throw CommandError{"Unsupported type " + type + ": use REG_SZ, REG_DWORD or REG_BINARY."};
}

int Add(const std::vector<std::string>& args, Registry& registry, std::ostream& out) {
  const Arguments arguments = ParseArguments(args, "ve f", "v t d", 1);
  const KeyName key = ParseKey(arguments.positional[0]);
  const auto name = ValueName(arguments);
  if (!name && !arguments.Has("t") && !arguments.Has("d")) {
    registry.CreateKey(key.hive, key.path);
  } else {
    // As the Windows command: /t and /d without a name set the default value.
    const RegValue value = MakeValue(arguments.Get("t").value_or("REG_SZ"), arguments.Get("d").value_or(""));
    registry.SetValue(key.hive, key.path, name.value_or(""), value);
  }
  out << kSuccess << '\n';
  return 0;
}

int Delete(const std::vector<std::string>& args, Registry& registry, std::ostream& out) {
  const Arguments arguments = ParseArguments(args, "ve f", "v", 1);
  const KeyName key = ParseKey(arguments.positional[0]);
  if (const auto name = ValueName(arguments)) {
    if (!registry.DeleteValue(key.hive, key.path, *name)) throw CommandError{std::string(kNotFound)};
  } else {
    if (key.path.empty()) throw CommandError{"Invalid key name: a whole hive cannot be deleted."};
    if (!registry.DeleteKey(key.hive, key.path)) throw CommandError{std::string(kNotFound)};
  }
  out << kSuccess << '\n';
  return 0;
}

int Import(const std::vector<std::string>& args, Registry& registry, std::ostream& out) {
  const Arguments arguments = ParseArguments(args, "", "", 1);
  const std::string& file = arguments.positional[0];
  std::ifstream in(file, std::ios::binary);
  if (!in) throw CommandError{"Cannot open the file " + file + "."};
  std::ostringstream text;
  text << in.rdbuf();
  registry.Import(text.str(), file);
  out << kSuccess << '\n';
  return 0;
}

int Export(const std::vector<std::string>& args, Registry& registry, std::ostream& out) {
  const Arguments arguments = ParseArguments(args, "y", "", 2);
  const KeyName key = ParseKey(arguments.positional[0]);
  const std::string& file = arguments.positional[1];
  if (!registry.KeyExists(key.hive, key.path)) throw CommandError{std::string(kNotFound)};
  const std::string text = registry.Export(key.hive, key.path);
  if (!arguments.Has("y") && std::filesystem::exists(file)) {
    throw CommandError{"The file " + file + " exists; add /y to overwrite it."};
  }
  std::ofstream file_out(file, std::ios::binary | std::ios::trunc);
  file_out << text;
  file_out.close();
  if (!file_out) throw CommandError{"Cannot write the file " + file + "."};
  out << kSuccess << '\n';
  return 0;
}

}  // namespace

int RunRegCommand(const std::vector<std::string>& args, Registry& registry, std::ostream& out, std::ostream& err) {
  if (!args.empty() && (args[0] == "/?" || args[0] == "-?" || args[0] == "--help")) {
    out << kUsage;
    return 0;
  }
  try {
    if (args.empty()) Syntax("Name an operation.");
    const std::string operation = Lower(args[0]);
    if (operation == "query") return Query(args, registry, out);
    if (operation == "add") return Add(args, registry, out);
    if (operation == "delete") return Delete(args, registry, out);
    if (operation == "import") return Import(args, registry, out);
    if (operation == "export") return Export(args, registry, out);
    Syntax("Unknown operation \"" + args[0] + "\".");
  } catch (const CommandError& error) {
    err << "ERROR: " << error.message << '\n';
    if (error.show_usage) err << '\n' << kUsage;
  } catch (const RegistryError& error) {
    err << "ERROR: " << error.what() << '\n';
  } catch (const std::filesystem::filesystem_error& error) {
    err << "ERROR: " << error.what() << '\n';
  }
  return 1;
}

}  // namespace lumbra
