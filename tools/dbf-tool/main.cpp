// dbf-tool: looks at and works on DBF tables and their NTX indexes from the
// command line, for support staff, tests and benchmarks.
#include <cstdio>
#include <cstring>
#include <string>

#include "lib/core/error.h"
#include "lib/core/runtime.h"
#include "platform/text/codepage.h"
#include "tools/dbf-tool/commands.h"

namespace {

const char* const kUsage =
    "usage: dbf-tool COMMAND ARGS...\n"
    "\n"
    "commands:\n"
    "  info TABLE                          header facts and fields\n"
    "  dump TABLE                          every record, one line each\n"
    "  create TABLE NAME:TYPE:LEN:DEC,...  a new empty table\n"
    "  index TABLE INDEXFILE KEY [--for CONDITION] [--unique]\n"
    "                                      builds an NTX index or CDX tag\n"
    "  verify TABLE [INDEXFILE...]         checks a table and its indexes\n"
    "  copy SOURCE TARGET                  appends SOURCE's records to TARGET\n"
    "\n"
    "create, index and verify take --driver DBFCDX for FPT memos and CDX tags.\n"
    "`dbf-tool COMMAND --help` describes a command.\n";

struct Command {
  const char* name;
  int (*run)(const codfix::dbftool::Args&);
  const char* const* help;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace codfix::dbftool;
  static const Command commands[] = {
      {"info", cmd_info, &kInfoHelp},       {"dump", cmd_dump, &kDumpHelp},
      {"create", cmd_create, &kCreateHelp}, {"index", cmd_index, &kIndexHelp},
      {"verify", cmd_verify, &kVerifyHelp}, {"copy", cmd_copy, &kCopyHelp},
  };
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  codfix::text::set_code_page(codfix::text::CodePage::PT850);
  for (const Command& c : commands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    Args args(argv + 2, argv + argc);
    for (const std::string& a : args) {
      if (a == "--help" || a == "-h") {
        std::fputs(*c.help, stdout);
        return 0;
      }
    }
    codfix::RuntimeScope scope;
    // Errors are reported by the commands themselves; the handler only declines.
    scope.runtime().error_handler = [](codfix::ErrorRecord& e) {
      report(e.description, e.gencode, e.subcode, e.oscode, e.filename, e.operation);
      return codfix::ErrorAnswer::fail();
    };
    try {
      return c.run(args);
    } catch (const codfix::ProgramExit& exit) {
      return exit.code;
    }
  }
  std::fprintf(stderr, "dbf-tool: unknown command '%s'\n%s", argv[1], kUsage);
  return 2;
}
