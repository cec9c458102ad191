#include "lib/settings/operator_prompt.h"

#include "lib/core/routines.h"
#include "platform/console/console.h"
#include "platform/dialogs/alert.h"

namespace codfix {

int ask_operator(std::string_view message, const std::vector<std::string_view>& buttons) {
  std::vector<std::string> captions(buttons.begin(), buttons.end());
  std::optional<int> choice = dialogs::alert(message, captions);
  return choice ? *choice : -1;
}

void pause_or_key(double seconds) {
  console::current().keyboard().wait(seconds);
}

void write_log_line(std::string_view file, std::string_view text) {
  static bool writing = false;
  if (writing) return;
  writing = true;
  Value args[] = {Value(std::string(file)), Value(std::string(text))};
  try {
    routines().call("GRAVALOG", args);
  } catch (...) {
    writing = false;
    throw;
  }
  writing = false;
}

void log_error_line(std::string_view text) {
  write_log_line("ERRO.LOG", text);
}

}  // namespace codfix
