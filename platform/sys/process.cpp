#include "platform/sys/process.h"

#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace codfix::sys {

int run_shell(std::string_view command) {
  int status = std::system(std::string(command).c_str());
  if (status == -1) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return -1;
}

}  // namespace codfix::sys
