#include "lib/startup/startup.h"

#include <exception>
#include <random>
#include <string>

#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/errors/error_handler.h"
#include "lib/errors/error_stream.h"
#include "lib/errors/log_files.h"
#include "lib/os/identity.h"
#include "lib/os/paths.h"
#include "lib/startup/active_sessions.h"
#include "lib/startup/application.h"
#include "lib/startup/environment_check.h"
#include "lib/startup/routine_callback.h"
#include "lib/startup/session_file.h"
#include "lib/startup/sql_placeholders.h"
#include "lib/startup/table_driver.h"
#include "lib/tables/fechax.h"
#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/text/codepage.h"

namespace codfix {
namespace {

constexpr const char* kUnit = "INICIO.PRG";

int random_session_number() {
  static std::mt19937 engine{std::random_device{}()};
  return std::uniform_int_distribution<int>(1, 999)(engine);
}

}  // namespace

void INICIAR_S() {
  RoutineScope scope("INICIAR$", kUnit);
  Runtime& rt = Runtime::current();
  SessionVars& vars = rt.vars;
  rt.on_shutdown(FINALIZAR_S);

  const std::string program = NOME_APLICACAO();
  const std::string executable = application_path();

  vars.declare_public("CFILESISTEMA", Value(""));
  vars.declare_public("NHANDLESISTEMA", Value(-1));
  vars.declare_public("CRDDDEFAULT", Value("DBFNTX"));
  vars.declare_public("CRDDXBASE", Value("DBFNTX"));

  rt.settings.dates.format = rt.settings.dates.century ? "dd/mm/yyyy" : "dd/mm/yy";

  console::HotKeys& keys = console::current().keyboard().hot_keys();
  keys.bind(console::key::kBreak, routine_callback("FECHAX").callback());
  const int alt_f1 = console::key::alt_f(1);
  if (routines().exists("CRIAATALHO") && !keys.bound(alt_f1))
    keys.bind(alt_f1, routine_callback("SHORTCUT", {Value(TRUENAME_(executable))}).callback());

  const std::string session = program + std::to_string(random_session_number()) + ".usr";
  vars.set("CFILESISTEMA", Value(session));
  vars.set("NHANDLESISTEMA", Value(open_session_file(session, session_file_text())));

  choose_table_drivers(program + ".CFG");

  text::set_code_page(text::CodePage::PT850);
  rt.settings.message_language = "PT";
}

void FINALIZAR_S() {
  RoutineScope scope("FINALIZAR$", kUnit);
  routines().call("SR_END", {});
  SessionVars& vars = Runtime::current().vars;
  Value handle = vars.get("NHANDLESISTEMA");
  if (handle.is_number() && handle.as_double() != -1)
    close_session_file(static_cast<int>(handle.as_double()));
}

void FREETSLICE() {}

void register_startup_routines() {
  Routines& r = routines();
  r.add("INICIAR$", [](const Args&) {
    INICIAR_S();
    return Value();
  });
  r.add("FINALIZAR$", [](const Args&) {
    FINALIZAR_S();
    return Value();
  });
  r.add("NOME_APLICACAO", [](const Args&) { return Value(NOME_APLICACAO()); });
  r.add("ISDBSQL", [](const Args& a) { return Value(ISDBSQL(a.text(1))); });
  r.add("USUARIOSATIVOS", [](const Args& a) { return Value(USUARIOSATIVOS(a[1], a[2])); });
  r.add("FREETSLICE", [](const Args&) {
    FREETSLICE();
    return Value();
  });
  register_sql_placeholders();
  register_environment_check_routines();
}

int run_program(const std::function<void()>& main_routine) {
  register_log_routines();
  register_identity_routines();
  register_error_handler_routines();
  register_fechax_routine();
  register_startup_routines();
  ERRORSYS();

  int code = 0;
  try {
    INICIAR_S();
    main_routine();
  } catch (const ProgramExit& exit) {
    code = exit.code;
  } catch (const std::exception& failure) {
    // Not a run-time error the handler could see: a fault of the program itself.
    write_error_stream(std::string("\r\n") + failure.what() + "\r\n");
    code = 1;
  }
  // A shut-down procedure may itself end the program; the others still run.
  for (;;) {
    try {
      Runtime::current().run_shutdown();
      break;
    } catch (const ProgramExit& exit) {
      code = exit.code;
    }
  }
  return code;
}

}  // namespace codfix
