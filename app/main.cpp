// codfix: checks and fixes the width of the product code of every product table.
// Takes no arguments; works on the current folder. Exit code 0, or 1 when the
// run-time error handler ended the program.
#include "app/check_run.h"
#include "app/library_routines.h"
#include "lib/settings/colour_scheme.h"
#include "lib/settings/settings_file.h"
#include "lib/startup/startup.h"
#include "platform/dbf/work_areas.h"

int main() {
  using namespace codfix;
  register_library_routines();
  register_check_run_routines();
  // The utility's own READMEMO replaces the library's for every caller outside
  // the settings module.
  use_application_readmemo();
  dbf::WorkAreas areas;
  return run_program([] {
    LERCORES();
    MAIN();
  });
}
