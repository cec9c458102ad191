// info and dump.
#include <cstdio>

#include "platform/dbf/table.h"
#include "platform/dbf/table_dump.h"
#include "tools/dbf-tool/commands.h"

namespace codfix::dbftool {

const char* const kInfoHelp =
    "usage: dbf-tool info TABLE\n"
    "Prints the version byte, the record count stored in the header, the header\n"
    "and record lengths, the memo kind (none, dbt, fpt), then one line per field:\n"
    "NAME TYPE LEN DEC. The table is opened shared and read-only.\n";

const char* const kDumpHelp =
    "usage: dbf-tool dump TABLE\n"
    "Prints one line per record in physical order: '*' for a deleted record or a\n"
    "blank, then for each field '|' and its value: C, N, F, D, L exactly as stored;\n"
    "a memo as its text with \\ written \\\\, CR written \\r and LF written \\n.\n";

namespace {

std::unique_ptr<dbf::Table> open_for_reading(const std::string& path) {
  dbf::Failure failure;
  dbf::OpenOptions options;
  options.read_only = true;
  std::unique_ptr<dbf::Table> t = dbf::Table::open(path, options, failure);
  if (!t) {
    report(dbf::describe_gencode(failure.gencode), failure.gencode, failure.subcode, failure.oscode,
           failure.filename, failure.detail);
  }
  return t;
}

}  // namespace

int cmd_info(const Args& args) {
  if (args.size() != 1) {
    std::fputs(kInfoHelp, stderr);
    return 2;
  }
  std::unique_ptr<dbf::Table> t = open_for_reading(args[0]);
  if (!t) return 1;
  std::fputs(dbf::format_info(*t).c_str(), stdout);
  return 0;
}

int cmd_dump(const Args& args) {
  if (args.size() != 1) {
    std::fputs(kDumpHelp, stderr);
    return 2;
  }
  std::unique_ptr<dbf::Table> t = open_for_reading(args[0]);
  if (!t) return 1;
  uint32_t n = 0;
  dbf::Failure failure = t->count(n);
  std::string line;
  for (uint32_t k = 1; k <= n && !failure; ++k) {
    failure = t->go(k);
    if (!failure) failure = dbf::dump_record(*t, line);
    if (!failure) {
      line += '\n';
      std::fwrite(line.data(), 1, line.size(), stdout);
    }
  }
  if (failure) {
    report(dbf::describe_gencode(failure.gencode), failure.gencode, failure.subcode, failure.oscode,
           failure.filename, failure.detail);
    return 1;
  }
  return 0;
}

}  // namespace codfix::dbftool
