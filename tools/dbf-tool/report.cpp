#include <cstdio>

#include "tools/dbf-tool/commands.h"

namespace codfix::dbftool {

void report(const std::string& what, int gencode, int subcode, int oscode, const std::string& file,
            const std::string& detail) {
  std::fprintf(stderr, "dbf-tool: %s: %s", file.empty() ? "-" : file.c_str(), what.c_str());
  if (!detail.empty()) std::fprintf(stderr, ": %s", detail.c_str());
  std::fprintf(stderr, " (error %d/%d", gencode, subcode);
  if (oscode != 0) std::fprintf(stderr, ", DOS error %d", oscode);
  std::fprintf(stderr, ")\n");
}

}  // namespace codfix::dbftool
