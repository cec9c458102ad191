// Opening tables in work areas and waiting out other workstations: ABREARQ,
// ASSOCIATABELA, ABREREG (append with the lock wait), BLOQREG (record lock with
// the lock wait), EMUSO (is a table in use elsewhere) and _EMUSO.
//
// Contention is never an error: a shared open of a table held exclusively
// elsewhere, or an append whose lock cannot be had, shows a small notice and
// retries every 3 seconds. The error handler turns those two failures into the
// network-error flag, which these routines read after each attempt.
//
// The work areas are those of the current run-time context (dbf::WorkAreas).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lib/core/value.h"

namespace codfix {

struct OpenArgs {
  std::vector<std::string> indexes;
  int mode = 0;               // 0 or 2 shared, 1 exclusive, 3 shared read-only
  int order = -1;             // -1: leave the first index active
  bool current_area = false;  // open in the current area instead of a new one
  std::string alias;
  std::string driver;
};

int ABREARQ(std::string_view file, const OpenArgs& args = {});
std::string ASSOCIATABELA(std::string_view table);
bool ABREREG(int tries = 0);
bool BLOQREG();
bool EMUSO(std::string_view file, bool warn = false, bool automatic = false,
           std::string_view driver = "");
bool EMUSO_(std::string_view file);

// The alias ABREARQ gives a table name: upper case, MEM: removed, the part after
// the last backslash, trimmed, blanks made '_'.
std::string alias_for(std::string_view file);

void register_open_table_routines();

}  // namespace codfix
