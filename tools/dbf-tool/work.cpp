// index, verify and copy: the commands that need work areas and expressions.
#include <cstdio>
#include <cstring>

#include "platform/dbf/transfer.h"
#include "platform/dbf/verify.h"
#include "platform/dbf/work_areas.h"
#include "platform/expr/expr.h"
#include "tools/dbf-tool/commands.h"

namespace codfix::dbftool {

const char* const kIndexHelp =
    "usage: dbf-tool index TABLE INDEXFILE KEY [--for CONDITION] [--unique]\n"
    "                [--descending] [--tag NAME]\n"
    "Builds an NTX index of TABLE on the key expression KEY (for example\n"
    "\"Codigo+Cliente+Fabric\"), holding only the records for which CONDITION is\n"
    "true when --for is given, one record per key with --unique. The table is\n"
    "opened shared and read-only; the index file is created or replaced.\n";

const char* const kVerifyHelp =
    "usage: dbf-tool verify TABLE [INDEXFILE...]\n"
    "Checks the header against the file, reads every record and memo, and checks\n"
    "every index given: sound pages, keys in order, each key equal to its\n"
    "expression on its record, each record that satisfies the FOR condition\n"
    "present exactly once. Prints OK, or one 'BAD <file> <reason>' line per\n"
    "problem; the exit code is 1 when anything is bad.\n";

const char* const kCopyHelp =
    "usage: dbf-tool copy SOURCE TARGET [INDEXFILE...]\n"
    "Appends every record of SOURCE to TARGET, fields matched by name, deletion\n"
    "marks kept, values padded or cut to TARGET's widths. TARGET is opened\n"
    "exclusively with the index files given attached; they are kept current.\n";

namespace {

// Expressions need the standard functions and work areas.
struct Session {
  Session() { expr::register_standard_functions(); }
  dbf::WorkAreas areas;
};

}  // namespace

int cmd_index(const Args& args) {
  std::vector<std::string> positional;
  dbf::IndexOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--for" && i + 1 < args.size()) {
      options.condition = args[++i];
    } else if (args[i] == "--tag" && i + 1 < args.size()) {
      options.tag = args[++i];
    } else if (args[i] == "--unique") {
      options.unique = true;
    } else if (args[i] == "--descending") {
      options.descending = true;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 3) {
    std::fputs(kIndexHelp, stderr);
    return 2;
  }
  options.key = positional[2];
  Session session;
  dbf::UseOptions use;
  use.read_only = true;
  const int area = session.areas.use(positional[0], use);
  if (area == 0) return 1;
  return session.areas.area(area)->create_index(positional[1], options) ? 0 : 1;
}

int cmd_verify(const Args& args) {
  if (args.empty()) {
    std::fputs(kVerifyHelp, stderr);
    return 2;
  }
  Session session;
  std::vector<std::string> indexes(args.begin() + 1, args.end());
  std::vector<dbf::VerifyProblem> problems = dbf::verify_table(args[0], indexes);
  if (problems.empty()) {
    std::puts("OK");
    return 0;
  }
  for (const dbf::VerifyProblem& p : problems) {
    std::printf("BAD %s %s\n", p.file.c_str(), p.reason.c_str());
  }
  return 1;
}

int cmd_copy(const Args& args) {
  if (args.size() < 2) {
    std::fputs(kCopyHelp, stderr);
    return 2;
  }
  Session session;
  dbf::UseOptions use;
  use.exclusive = true;
  const int area = session.areas.use(args[1], use);
  if (area == 0) return 1;
  dbf::WorkArea& target = *session.areas.area(area);
  for (size_t i = 2; i < args.size(); ++i) {
    if (!target.add_index(args[i])) return 1;
  }
  if (!dbf::append_from(target, args[0])) return 1;
  return target.close() ? 0 : 1;
}

}  // namespace codfix::dbftool
