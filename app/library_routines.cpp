#include "app/library_routines.h"

#include "lib/errors/log_files.h"
#include "lib/os/file_services.h"
#include "lib/os/paths.h"
#include "lib/settings/colour_scheme.h"
#include "lib/settings/memo_file.h"
#include "lib/settings/settings_file.h"
#include "lib/settings/value_text.h"
#include "lib/startup/startup.h"
#include "lib/tables/fechax.h"
#include "lib/tables/open_tables.h"
#include "lib/tables/temp_files.h"
#include "lib/tables/temp_tables.h"
#include "lib/ui/windows.h"
#include "lib/values/number_helpers.h"
#include "lib/values/screen_helpers.h"
#include "lib/values/template_helpers.h"
#include "lib/values/text_helpers.h"
#include "platform/dbf/table_functions.h"
#include "platform/expr/expr.h"

namespace codfix {

void register_library_routines() {
  expr::register_standard_functions();
  dbf::register_table_functions();
  register_value_text_routines();
  register_settings_routines();
  register_memo_file_routines();
  register_colour_routines();
  register_log_routines();
  register_path_routines();
  register_file_service_routines();
  register_temp_file_routines();
  register_temp_table_routines();
  register_open_table_routines();
  register_fechax_routine();
  register_window_routines();
  register_number_helpers();
  register_text_helpers();
  register_template_helpers();
  register_screen_helpers();
  register_startup_routines();
}

}  // namespace codfix
