#include "lib/errors/error_handler.h"

#include <optional>
#include <string>

#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/errors/dos_errors.h"
#include "lib/errors/error_box.h"
#include "lib/errors/error_message.h"
#include "lib/errors/error_report.h"
#include "lib/errors/error_stream.h"
#include "lib/errors/log_files.h"
#include "lib/os/file_services.h"
#include "lib/os/paths.h"
#include "platform/console/console.h"
#include "platform/dbf/work_areas.h"
#include "platform/dialogs/alert.h"
#include "platform/sys/environment.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

constexpr std::string_view kUnit = "ERRORSYS.PRG";
// Where ERRORSYS builds its callback, as the call stack shows it.
constexpr int kCallbackLine = 12;

std::string called_from(std::size_t first_level) {
  std::string out;
  for (const std::string& level : Runtime::current().calls.chain(first_level))
    out += "\r\nCalled from " + level;
  return out;
}

// No answer could be had: the message and the chain of routines to the error
// stream, then the end of the program.
[[noreturn]] void end_without_answer(const ErrorBox& box, const ErrorRecord& e) {
  std::string message = box.message;
  if (e.oscode != 0) message += " (DOS Error " + std::to_string(e.oscode) + ") ";
  write_error_stream("\r\n" + message + called_from(2));
  quit_program(1);
}

// Open failure for lack of file handles: offers to configure the system.
void ask_configure(const ErrorRecord& e) {
  std::optional<int> choice = dialogs::alert(
      "Atençao !;É necessário configurar os arquivos do sistema;"
      "operacional para o correto funcionamento do sistema"_cp850,
      {"Configurar agora", "Cancelar"});
  if (choice && *choice == 1) {
    Value args[] = {Value(), Value(false)};
    routines().call("CHKCFG", args);
    SAIR_(e);
  }
}

ErrorAnswer act_on(const std::string& button, const ErrorRecord& e) {
  if (button == "Quit" || button == "Ok") SAIR_(e);
  if (button == "Retry" || button == "Repetir") return ErrorAnswer::retry();
  if (button == "Criar Pasta") {
    std::string folder = NOMEDIR(e.operation);
    Runtime::current().vars.set("CPASTA", Value(folder));
    CRIADIR(folder, true);
    return ErrorAnswer::retry();
  }
  if (button == "Conectar agora") {
    Value args[] = {Value(true)};
    routines().call("CAPIMP", args);
    return ErrorAnswer::retry();
  }
  return ErrorAnswer::fail();  // "Default"
}

}  // namespace

void ERRORSYS() {
  Runtime::current().error_handler = [](ErrorRecord& e) {
    RoutineScope callback("(b)ERRORSYS", std::string(kUnit), kCallbackLine);
    return DEFERROR(e);
  };
}

ErrorAnswer DEFERROR(ErrorRecord& e) {
  RoutineScope scope("DEFERROR", std::string(kUnit));
  Runtime& rt = Runtime::current();
  rt.vars.declare_private("ADOSERROS", dos_error_table());
  console::Console& screen = console::current();
  while (screen.update_level() > 0) screen.end_update();

  if (e.gencode == gen::kOpen && e.oscode == 32 && e.can_default) {
    rt.net_error = true;
    return ErrorAnswer::fail();
  }
  if (e.gencode == gen::kAppendLock && e.can_default) {
    rt.net_error = true;
    return ErrorAnswer::fail();
  }
  if (e.gencode == gen::kZeroDiv) return ErrorAnswer::substitute(Value(0));

  normalise_filename(e);
  GRAVALOG("ERRO.LOG", Value(sys::executable_path() + "\r\n" + error_report(e)));

  ErrorBox box = compose_error_box(e);
  if (box.ask_configure) ask_configure(e);
  const std::string shown = box_text(box, e);
  for (;;) {
    std::optional<int> choice = dialogs::alert(shown, box.buttons);
    if (!choice) end_without_answer(box, e);
    if (*choice < 1 || *choice > static_cast<int>(box.buttons.size())) continue;  // Esc
    return act_on(box.buttons[static_cast<std::size_t>(*choice - 1)], e);
  }
}

void SAIR_(const ErrorRecord& e) {
  RoutineScope scope("_SAIR", std::string(kUnit));
  console::Console& screen = console::current();
  screen.set_colour("W+/N");
  std::string out = "\r\n" + ERRORMESSAGE(e);
  if (e.oscode != 0) out += "( DOS ERROR " + std::to_string(e.oscode) + ")";
  write_error_stream(out + called_from(3));
  if (dbf::WorkAreas* areas = dbf::WorkAreas::current_areas()) areas->close_all();
  write_error_stream("\r\nPressione qualquer tecla...\r\n");
  screen.keyboard().clear();
  screen.keyboard().wait(0);
  quit_program(1);
}

void register_error_handler_routines() {
  Routines& r = routines();
  r.add("ERRORSYS", [](const Args&) {
    ERRORSYS();
    return Value();
  });
  auto record_of = [](const Value& v) -> ErrorRecord* {
    return v.is_object() ? dynamic_cast<ErrorRecord*>(v.object().get()) : nullptr;
  };
  r.add("DEFERROR", [record_of](const Args& a) {
    ErrorRecord* e = record_of(a[1]);
    if (!e) return Value(false);
    ErrorAnswer answer = DEFERROR(*e);
    switch (answer.action) {
      case ErrorAction::Retry:
        return Value(true);
      case ErrorAction::Substitute:
        return answer.value;
      case ErrorAction::Default:
        break;
    }
    return Value(false);
  });
  r.add("ERRORMESSAGE", [](const Args& a) {
    return a[1].is_object() ? Value(ERRORMESSAGE(*a[1].object())) : Value("");
  });
  r.add("_DOSMSG", [](const Args& a) { return Value(DOSMSG_(a.integer(1), a.integer(2, 1))); });
  r.add("_SAIR", [record_of](const Args& a) -> Value {
    ErrorRecord* e = record_of(a[1]);
    SAIR_(e ? *e : ErrorRecord());
  });
  if (!r.exists("CAPIMP")) r.add("CAPIMP", [](const Args&) { return Value(false); });
}

}  // namespace codfix
