// Running other programs: a command line through the system's command
// interpreter (/bin/sh here), waiting for it to end.
#pragma once

#include <string_view>

namespace codfix::sys {

// The command's exit status, or -1 when it could not be started.
int run_shell(std::string_view command);

}  // namespace codfix::sys
