// index, verify and copy: the commands that need work areas and expressions.
#include <cctype>
#include <cstddef>
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
    "                [--descending] [--tag NAME] [--driver DBFNTX|DBFCDX]\n"
    "Builds an NTX index of TABLE on the key expression KEY (for example\n"
    "\"Codigo+Cliente+Fabric\"), holding only the records for which CONDITION is\n"
    "true when --for is given, one record per key with --unique. The table is\n"
    "opened shared and read-only; the index file is created or replaced.\n"
    "Under DBFCDX the key becomes tag NAME (default: INDEXFILE's base name) of\n"
    "the compound file INDEXFILE (.cdx), created when missing; the table is then\n"
    "opened shared for writing, since its production index is marked in it.\n";

const char* const kVerifyHelp =
    "usage: dbf-tool verify TABLE [INDEXFILE...] [--driver DBFNTX|DBFCDX]\n"
    "Checks the header against the file, reads every record and memo, and checks\n"
    "every index given: sound pages, keys in order, each key equal to its\n"
    "expression on its record, each record that satisfies the FOR condition\n"
    "present exactly once. Prints OK, or one 'BAD <file> <reason>' line per\n"
    "problem; the exit code is 1 when anything is bad. Under DBFCDX every tag of\n"
    "each compound file is checked, the production index's included.\n";

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

std::string take_driver(Args& args) {
  std::string driver = "DBFNTX";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--driver") continue;
    if (i + 1 >= args.size()) return {};
    driver = args[i + 1];
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i + 2));
    break;
  }
  for (char& c : driver) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return driver;
}

int cmd_index(const Args& given) {
  Args args = given;
  const std::string driver = take_driver(args);
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
  if (driver.empty() || positional.size() != 3) {
    std::fputs(kIndexHelp, stderr);
    return 2;
  }
  options.key = positional[2];
  Session session;
  dbf::UseOptions use;
  use.driver = driver;
  use.read_only = driver.find("CDX") == std::string::npos;
  const int area = session.areas.use(positional[0], use);
  if (area == 0) return 1;
  return session.areas.area(area)->create_index(positional[1], options) ? 0 : 1;
}

int cmd_verify(const Args& given) {
  Args args = given;
  const std::string driver = take_driver(args);
  if (driver.empty() || args.empty()) {
    std::fputs(kVerifyHelp, stderr);
    return 2;
  }
  Session session;
  std::vector<std::string> indexes(args.begin() + 1, args.end());
  std::vector<dbf::VerifyProblem> problems = dbf::verify_table(args[0], indexes, 20, driver);
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
