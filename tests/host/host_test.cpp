// The `lumbra` command end to end: a temporary workstation root, the test-only component
// module, and page scripts run by the real binary.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../automation/temp_services.h"

namespace lumbra::testing {
namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class Host : public ::testing::Test {
 protected:
  Host() : folder_(MakeTempFolder()) {}
  ~Host() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  Outcome Lumbra(const std::vector<std::string>& args) {
    std::string command = "cd " + Quoted(folder_.string()) + " && LUMBRA_ROOT=" +
                          Quoted((folder_ / "root").string()) + " " + Quoted(LUMBRA_BINARY);
    for (const std::string& arg : args) command += " " + Quoted(arg);
    command += " >out.txt 2>err.txt </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadAll(folder_ / "out.txt"),
            ReadAll(folder_ / "err.txt")};
  }

  std::string Page(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name) << text;
    return name;
  }

  std::filesystem::path folder_;
};

TEST_F(Host, HelpListsEveryCommand) {
  const Outcome help = Lumbra({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"lumbra run", "--ui tty|script", "--answers", "--journal", "ActiveXObject",
                           "print(", "lumbra register", "lumbra unregister", "lumbra reg"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
}

TEST_F(Host, AModuleIsRegisteredCreatedFromAPageDrivenAndUnregistered) {
  const Outcome registered = Lumbra({"register", SAMPLE_MODULE_PATH});
  ASSERT_EQ(registered.status, 0) << registered.err;
  EXPECT_EQ(registered.out, "DllRegisterServer in " SAMPLE_MODULE_PATH " succeeded.\n");
  EXPECT_EQ(Lumbra({"reg", "query", "HKCR\\LumbraTest.Sample.1\\CLSID"}).status, 0);

  const std::string page = Page("page.js", R"(var sample = new ActiveXObject("LumbraTest.Sample");
sample.Name = "Ada";
sample.count = "41";
sample.Ratio = 0.25;
sample.Enabled = 1;
print(sample.Name, sample.Count + 1, sample.Ratio, sample.Enabled);
print(sample.Add(5), sample.Add(5, 10), sample.KindOf(args[0]));
print(sample.KindOf(3), sample.KindOf(2.5), sample.KindOf(4294967296), sample.KindOf(true), sample.KindOf(null));
print(sample.Twin().Name, "Count" in sample, "Colour" in sample);
try {
  sample.Raise(-2147217407, "card jammed");
} catch (e) {
  print(e.number, e.description, e instanceof Error);
}
try {
  sample.Count = 70000;
} catch (e) {
  print(e.number);
}
)");
  const Outcome run = Lumbra({"run", page, "first"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Ada 42 0.25 true\n"
            "6 15 text\n"
            "32-bit integer double double boolean empty\n"
            "Ada true false\n"
            "-2147217407 card jammed true\n"
            "-2147352566\n");

  const Outcome unregistered = Lumbra({"unregister", SAMPLE_MODULE_PATH});
  ASSERT_EQ(unregistered.status, 0) << unregistered.err;
  EXPECT_EQ(Lumbra({"reg", "query", "HKCR\\LumbraTest.Sample.1\\CLSID"}).status, 1);
  const Outcome gone = Lumbra({"run", page});
  EXPECT_EQ(gone.status, 1);
  EXPECT_EQ(gone.err, "page.js:1: Error: Class not registered: LumbraTest.Sample (0x80040154)\n");
}

TEST_F(Host, ScriptErrorsReportFileLineAndMessage) {
  ASSERT_EQ(Lumbra({"register", SAMPLE_MODULE_PATH}).status, 0);
  const struct {
    const char* script;
    const char* report;
  } cases[] = {
      {"var a = 1;\n\nvar b = ;\n", "page.js:3: SyntaxError: "},
      {"print('x');\nthrow new Error('boom');\n", "page.js:2: Error: boom\n"},
      {"function f() {\n  missing();\n}\nf();\n", "page.js:2: ReferenceError: "},
      {"var s = new ActiveXObject('LumbraTest.Sample');\n\ns.Count = 'many';\n",
       "page.js:3: Error: ISample.Count: argument value is not a 16-bit integer (Type mismatch.) "
       "(0x80020005)\n"},
      {"var s = new ActiveXObject('LumbraTest.Sample');\ns.Add();\n",
       "page.js:2: Error: ISample.Add: argument a is not optional (0x8002000F)\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = Lumbra({"run", Page("page.js", c.script)});
    EXPECT_EQ(run.status, 1) << c.script;
    EXPECT_EQ(run.err.rfind(c.report, 0), 0u) << c.script << "\n" << run.err;
  }
}

TEST_F(Host, ScriptedUiTakesTheAnswersAndWritesTheJournal) {
  ASSERT_EQ(Lumbra({"register", SAMPLE_MODULE_PATH}).status, 0);
  const std::string page = Page("ask.js",
                                "var s = new ActiveXObject('LumbraTest.Sample');\n"
                                "print(s.Ask('Print the card?'), s.Ask('Again?'));\n");
  std::ofstream(folder_ / "answers.txt") << "yes\n\n";
  const Outcome run = Lumbra({"run", "--ui", "script", "--answers", "answers.txt", "--journal",
                              "journal.txt", page});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "true false\n");
  const std::string journal = ReadAll(folder_ / "journal.txt");
  EXPECT_NE(journal.find("\"text\":\"Print the card?\""), std::string::npos) << journal;
  EXPECT_NE(journal.find("\"unanswered\":true"), std::string::npos) << journal;
}

TEST_F(Host, UsageMistakesAndBadModulesAreRefused) {
  const std::vector<std::vector<std::string>> usage = {
      {}, {"run"}, {"bogus"}, {"run", "--ui", "gui", "p.js"}, {"run", "--answers", "a.txt", "p.js"},
      {"register"}, {"run", "missing.js"}};
  for (const auto& args : usage) EXPECT_EQ(Lumbra(args).status, 2) << (args.empty() ? "" : args[0]);

  const Outcome missing = Lumbra({"register", "nothere.so"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("The module \"nothere.so\" failed to load."), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace lumbra::testing
