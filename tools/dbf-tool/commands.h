// dbf-tool's commands. Each takes the arguments after its name, prints its
// result on standard output and problems on standard error, and returns the exit
// code (0 fine, 1 something is bad or failed, 2 wrong usage).
#pragma once

#include <string>
#include <vector>

namespace codfix::dbftool {

using Args = std::vector<std::string>;

int cmd_info(const Args& args);
int cmd_dump(const Args& args);
int cmd_create(const Args& args);
int cmd_index(const Args& args);
int cmd_verify(const Args& args);
int cmd_copy(const Args& args);

// Help texts, also printed by `--help` after each command.
extern const char* const kInfoHelp;
extern const char* const kDumpHelp;
extern const char* const kCreateHelp;
extern const char* const kIndexHelp;
extern const char* const kVerifyHelp;
extern const char* const kCopyHelp;

// Takes `--driver NAME` out of `args` and returns NAME upper-cased ("DBFNTX"
// when not given): DBFCDX makes FPT memos and CDX tags. Empty when --driver has
// no name after it.
std::string take_driver(Args& args);

// Prints a table failure as "dbf-tool: <file>: <what> (error G/S, DOS error O)".
void report(const std::string& what, int gencode, int subcode, int oscode, const std::string& file,
            const std::string& detail);

}  // namespace codfix::dbftool
