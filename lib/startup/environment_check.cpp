#include "lib/startup/environment_check.h"

#include "lib/core/number_text.h"
#include "lib/core/routines.h"
#include "lib/os/paths.h"
#include "lib/settings/settings_file.h"
#include "platform/dialogs/alert.h"
#include "platform/text/literal.h"

namespace codfix {

using namespace text::literals;

bool CHKCFG(bool, bool) {
  return true;
}

int NUMFILES() {
  return numfiles_for(sys::os_family());
}

int numfiles_for(sys::OsFamily family) {
  std::string comspec = sys::env("COMSPEC");
  std::string folder = comspec.substr(0, 3);
  std::string file = "CONFIG.SYS";
  Value key("FILES");
  if (family == sys::OsFamily::kNt) {
    folder = DIRWINDOWS() + "\\SYSTEM32";
    file = "CONFIG.NT";
  } else if (family == sys::OsFamily::kWinMe) {
    folder = DIRWINDOWS();
    file = "SYSTEM.INI";
    key = Value::array({Value("386ENH"), Value("PERVMFILES")});
  }
  // Without a folder the name would be looked for in the current folder, which
  // holds no system configuration.
  if (folder.empty() || folder == "\\SYSTEM32") return 0;
  Value v = LIB_READMEMO(key, false, Value(""), DIRFILE(folder, file));
  if (!v.is_text()) return 0;
  return static_cast<int>(parse_number(v.text()).value);
}

void CHKSTD() {
  dialogs::alert(
      "Atenção: o sistema não está usando as definições padrão de comandos "
      "(erro de compilação)"_cp850,
      {});
}

void register_environment_check_routines() {
  Routines& r = routines();
  r.add("CHKCFG",
        [](const Args& a) { return Value(CHKCFG(a.logical(1, false), a.logical(2, true))); });
  r.add("NUMFILES", [](const Args&) { return Value(NUMFILES()); });
  r.add("CHKSTD", [](const Args&) {
    CHKSTD();
    return Value();
  });
}

}  // namespace codfix
