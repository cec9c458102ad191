// Commands still to come.
#include <cstdio>

#include "tools/dbf-tool/commands.h"

namespace codfix::dbftool {

const char* const kIndexHelp =
    "usage: dbf-tool index TABLE INDEXFILE KEY [--for CONDITION] [--unique]\n";
const char* const kVerifyHelp = "usage: dbf-tool verify TABLE [INDEXFILE...]\n";
const char* const kCopyHelp = "usage: dbf-tool copy SOURCE TARGET\n";

int cmd_index(const Args&) {
  std::fputs("dbf-tool: index is not available yet\n", stderr);
  return 1;
}
int cmd_verify(const Args&) {
  std::fputs("dbf-tool: verify is not available yet\n", stderr);
  return 1;
}
int cmd_copy(const Args&) {
  std::fputs("dbf-tool: copy is not available yet\n", stderr);
  return 1;
}

}  // namespace codfix::dbftool
