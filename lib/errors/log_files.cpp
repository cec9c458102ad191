#include "lib/errors/log_files.h"

#include <ctime>

#include "lib/core/date.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/settings/memo_file.h"
#include "lib/settings/value_text.h"
#include "platform/fs/directory.h"
#include "platform/fs/file_ops.h"
#include "platform/fs/whole_file.h"
#include "platform/printer/printer_output.h"
#include "platform/sys/environment.h"
#include "platform/text/codepage.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

constexpr std::uint64_t kRestartSize = 63000;
constexpr std::uint64_t kRotateSize = 5000000;

std::tm local_now() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t;
}

std::string two(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string today_text() {
  std::tm t = local_now();
  Date d{day_number(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday)};
  return date_to_text(d, Runtime::current().settings.dates);
}

std::string version_text() {
  Value v = Runtime::current().vars.get("c_Versao");
  return v.is_text() ? v.text() + "  " : std::string();
}

std::string header_block() {
  std::tm t = local_now();
  std::string h(80, '_');
  h += "\r\n";
  h += "Terminal/Usuário: "_cp850;
  h += std::string(trim(sys::host_name())) + "/" + sys::env("USERNAME");
  Value extra = Runtime::current().vars.get("CUSERLOG");
  if (extra.is_text() && !extra.empty()) h += "/" + extra.text();
  h += "\r\n" + version_text() + "Data: " + today_text() + " as " + two(t.tm_hour) + ":" +
       two(t.tm_min) + "\r\n";
  return h;
}

}  // namespace

void GRAVALOG(std::string_view file, const Value& value, bool header, bool new_line) {
  RoutineScope scope("GRAVALOG", "LOGS.PRG");
  auto listing = fs::list_directory(file);
  bool exists = listing && !listing->empty();
  std::string content = exists ? "Arquivo re-criado \r\n" : "";
  std::string text = X_TO_C(value);
  if (exists && (*listing)[0].size + text.size() < kRestartSize) {
    auto old = fs::read_file(file);
    content = old ? std::move(*old) : std::string();  // an unreadable log counts as empty
  }
  if (header) content += header_block();
  content += text;
  if (new_line) content += "\r\n";
  MEMOWRITE(file, content);
}

std::string record_log_path() {
  std::string path = text::upper(sys::executable_path());
  std::size_t slash = path.find_last_of("/\\");
  std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
    if (path.substr(dot) == ".EXE") path.erase(dot);
  }
  return path + ".LOG";
}

void GRAVALOG_(std::string_view id_arg, std::string_view text_arg, bool new_record) {
  RoutineScope scope("_GRAVALOG", "LOGS.PRG");
  printer::PrinterOutput& printer = printer::current();
  printer::PrinterState saved = printer.state();
  std::string log = record_log_path();

  bool is_new;
  auto size = fs::file_size(log);
  if (size && *size > kRotateSize) {
    Value tmp_args[] = {Value("LOG")};
    std::string target = routines().call("ARQTMP", tmp_args).text_or("") + ".LOG";
    Value ren_args[] = {Value(log), Value(target)};
    is_new = routines().call("RENFILE", ren_args).logical_or(false);
  } else {
    is_new = !fs::exists(log);
  }

  std::string id = replace_all(text::upper(trim(id_arg)), ".LOG", "");
  if (log.find(id) == std::string::npos) {
    (void)printer.set_file(log, true);
    printer.set_console(false);
    printer.set_printing(true);
    std::string out;
    if (is_new)
      out += "\r\n\"ID\";\"Terminal\";\"Usuario\";\"Versao\";\"Data\";\"Hora\";\"Ocorrencia";
    std::string text = replace_all(text_arg, "\r", "");
    if (new_record) {
      std::tm t = local_now();
      auto field = [](std::string_view s) { return "\"" + std::string(s) + "\""; };
      out += "\";\r\n" + field(id) + ";" + field(sys::host_name()) + ";" +
             field(sys::login_name()) + ";" + field(version_text()) + ";" + field(today_text()) +
             ";" + field(two(t.tm_hour) + ":" + two(t.tm_min) + ":" + two(t.tm_sec)) + ";\"" +
             field(text);
    } else {
      out += "\n\"" + text + "\"";
    }
    (void)printer.write(out);
  }
  (void)printer.restore(saved);
}

Value GETCALLSTACK() {
  std::vector<Value> levels;
  const CallStack& calls = Runtime::current().calls;
  for (std::size_t n = 0; const CallFrame* f = calls.level(n); ++n) {
    if (f->routine.empty()) break;
    std::string text = f->unit + "->" + f->routine + "(" + std::to_string(f->line) + ")";
    levels.push_back(Value::array({Value(text)}));
  }
  return Value::array(std::move(levels));
}

void register_log_routines() {
  Routines& r = routines();
  r.add("GRAVALOG", [](const Args& a) {
    GRAVALOG(a.text(1), a[2], a.logical(3, true), a.logical(4, true));
    return Value();
  });
  r.add("_GRAVALOG", [](const Args& a) {
    GRAVALOG_(a.text(1), a.text(2), a.logical(3, true));
    return Value();
  });
  r.add("GETCALLSTACK", [](const Args&) { return GETCALLSTACK(); });
}

}  // namespace codfix
