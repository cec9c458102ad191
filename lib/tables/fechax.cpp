#include "lib/tables/fechax.h"

#include <ctime>

#include "lib/core/date.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/errors/log_files.h"
#include "platform/dialogs/alert.h"
#include "platform/sys/environment.h"
#include "platform/text/literal.h"

namespace codfix {

using namespace text::literals;

void FECHAX() {
  GRAVALOG("ERRO.LOG", Value(std::string("Fechamento forçado"_cp850)));
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  Date today{day_number(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday)};
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
  std::string message =
      std::string("Atenção!;Favor fechar o sistema pela opção \"Fim\" do memu.;;("_cp850) +
      std::string(trim(sys::host_name())) + "/" + sys::login_name() + "-" +
      date_to_text(today, Runtime::current().settings.dates) + "-" + clock;
  dialogs::alert(message, {});
  GRAVALOG("ERRO.LOG", Value("Fechamento Abortado"), false);
}

void register_fechax_routine() {
  routines().add("FECHAX", [](const Args&) {
    FECHAX();
    return Value();
  });
}

}  // namespace codfix
