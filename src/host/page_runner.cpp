#include "host/page_runner.h"

#include <duktape.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "host/automation_bridge.h"

namespace lumbra {
namespace {

struct PageContext {
  std::ostream* out;
};

void FatalError(void* /*udata*/, const char* message) {
  std::fprintf(stderr, "lumbra: script engine failure: %s\n", message ? message : "");
  std::abort();
}

std::ostream& OutputOf(duk_context* ctx) {
  duk_memory_functions functions{};
  duk_get_memory_functions(ctx, &functions);
  return *static_cast<PageContext*>(functions.udata)->out;
}

// print(a, b, ...): the arguments as text, separated by blanks, on one line.
duk_ret_t Print(duk_context* ctx) {
  const duk_idx_t count = duk_get_top(ctx);
  for (duk_idx_t i = 0; i < count; ++i) duk_safe_to_string(ctx, i);
  duk_push_string(ctx, " ");
  duk_insert(ctx, 0);
  duk_join(ctx, count);
  duk_size_t length = 0;
  const char* line = duk_get_lstring(ctx, -1, &length);
  std::ostream& out = OutputOf(ctx);
  out.write(line, static_cast<std::streamsize>(length));
  out << '\n' << std::flush;
  return 0;
}

void DefineArgs(duk_context* ctx, const std::vector<std::string>& args) {
  const duk_idx_t array = duk_push_array(ctx);
  for (std::size_t i = 0; i < args.size(); ++i) {
    duk_push_lstring(ctx, args[i].data(), args[i].size());
    duk_put_prop_index(ctx, array, static_cast<duk_uarridx_t>(i));
  }
  duk_put_global_string(ctx, "args");
}

// Run in protected mode: compiles and runs the page text (index 0, file name at index 1).
duk_ret_t CompileAndRun(duk_context* ctx, void* /*udata*/) {
  duk_compile(ctx, 0);
  duk_call(ctx, 0);
  return 0;
}

// "FILE:LINE: message", with the status code of an automation failure.
std::string ErrorReport(duk_context* ctx, const std::string& page) {
  std::string file = page;
  long line = 0;
  std::string code;
  if (duk_is_error(ctx, -1)) {
    if (duk_get_prop_string(ctx, -1, "fileName") && duk_is_string(ctx, -1)) file = duk_get_string(ctx, -1);
    duk_pop(ctx);
    if (duk_get_prop_string(ctx, -1, "lineNumber")) line = duk_get_int(ctx, -1);
    duk_pop(ctx);
    if (duk_get_prop_string(ctx, -1, "number") && duk_is_number(ctx, -1)) {
      char text[24];
      std::snprintf(text, sizeof text, " (0x%08X)", static_cast<unsigned>(duk_get_int(ctx, -1)));
      code = text;
    }
    duk_pop(ctx);
  }
  std::ostringstream report;
  report << file;
  if (line > 0) report << ":" << line;
  report << ": " << duk_safe_to_string(ctx, -1) << code;
  return report.str();
}

}  // namespace

int RunPage(const std::string& page_path, const std::vector<std::string>& args, std::ostream& out,
            std::ostream& err) {
  std::ifstream file(page_path, std::ios::binary);
  std::ostringstream text;
  if (!file || !(text << file.rdbuf())) {
    err << "lumbra: cannot read the page " << page_path << "\n";
    return 2;
  }
  const std::string source = text.str();

  PageContext page{&out};
  duk_context* ctx = duk_create_heap(nullptr, nullptr, nullptr, &page, FatalError);
  if (ctx == nullptr) {
    err << "lumbra: cannot start the script engine\n";
    return 2;
  }
  duk_push_c_function(ctx, Print, DUK_VARARGS);
  duk_put_global_string(ctx, "print");
  DefineActiveXObject(ctx);
  DefineArgs(ctx, args);

  duk_push_lstring(ctx, source.data(), source.size());
  duk_push_string(ctx, page_path.c_str());
  int status = 0;
  if (duk_safe_call(ctx, CompileAndRun, nullptr, 2, 1) != DUK_EXEC_SUCCESS) {
    err << ErrorReport(ctx, page_path) << "\n";
    status = 1;
  }
  // Destroying the heap runs the finalizers, which release every object the page still holds.
  duk_destroy_heap(ctx);
  return status;
}

}  // namespace lumbra
