#include "lib/settings/settings_file.h"

#include "lib/core/active_field.h"
#include "lib/core/error.h"
#include "lib/core/names.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/settings/memo_file.h"
#include "lib/settings/operator_prompt.h"
#include "lib/settings/value_text.h"
#include "platform/expr/eval_errors.h"
#include "platform/fs/directory.h"
#include "platform/fs/file.h"
#include "platform/fs/file_ops.h"
#include "platform/fs/path.h"
#include "platform/sys/environment.h"
#include "platform/text/codepage.h"
#include "platform/text/memo_lines.h"

#include <ctime>

namespace codfix {
namespace {

constexpr std::string_view kDefaultCookie = "cookie.sys";
constexpr std::size_t kKvnoMaxWrites = 10;

struct Key {
  std::string section_header;  // "[SEC]", empty without a section
  std::string key;
};

// The key and section of an id: a text, or {section, key}.
Key key_of(const Value& id) {
  Key k;
  if (id.is_array()) {
    std::string section = id.at(1).text_or("");
    std::string clean;
    for (char c : section)
      if (c != '[' && c != ']') clean += c;
    k.section_header = "[" + clean + "]";
    k.key = id.at(2).text_or("");
  } else {
    k.key = id.text_or("");
  }
  return k;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return text::upper(a) == text::upper(b);
}

bool begins_ignoring_case(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equal_ignoring_case(text.substr(0, prefix.size()), prefix);
}

// The caller's routine name (level 0 of the call stack) without "(b)".
std::string caller_name() {
  const CallFrame* f = Runtime::current().calls.level(0);
  return f ? replace_all(f->routine, "(b)", "") : std::string();
}

using UserId = std::string (*)();

std::string application_user_id() {
  SessionVars& vars = Runtime::current().vars;
  ErrorRecord e = expr::undefined_name_record("_USR_NAME");
  while (!vars.exists("_USR_NAME"))
    if (raise_error(e).action != ErrorAction::Retry) return {};
  return vars.get("_USR_NAME").text_or("");
}

Value read_setting(UserId user_id, const Value& id, bool per_user, const Value& def,
                   std::string_view file) {
  Value result = def;
  SessionVars& vars = Runtime::current().vars;
  // There is no cache of the file's text: every read reads the file.
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  vars.declare_public("TIMEOTIMIZ", Value(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec));
  vars.declare_public("M_READMEMO", Value(""));

  Key k = key_of(id);
  std::string cid = k.key;
  if (per_user) cid = user_id() + cid;
  vars.declare_private("CID", Value(cid));

  auto opened = fs::File::open(SYSTOCFG(file.empty() ? kDefaultCookie : file), fs::Access::kRead);
  if (!opened) return result;
  std::string bytes;
  {
    char buf[65536];
    for (;;) {
      auto got = opened->read(buf, sizeof buf);
      if (!got || *got == 0) break;
      bytes.append(buf, *got);
    }
  }
  bool wanted_section = !k.section_header.empty();
  bool counting = !wanted_section;
  std::string_view rest = bytes;
  bool found = false;
  std::string value;
  // Only CR LF ends a line; an unterminated last line is not seen.
  for (std::size_t end; !found && (end = rest.find("\r\n")) != std::string_view::npos;
       rest.remove_prefix(end + 2)) {
    std::string_view line = rest.substr(0, end);
    if (wanted_section) {
      if (begins_ignoring_case(line, k.section_header)) {
        counting = true;
      } else if (!line.empty() && line.front() == '[') {
        counting = false;
      }
    }
    if (!counting) continue;
    std::string_view body = line;
    while (!body.empty() && body.front() == '=') body.remove_prefix(1);
    std::size_t eq = body.find('=');
    std::string_view token = body.substr(0, eq);
    if (!equal_ignoring_case(token, cid)) continue;
    found = true;
    value = std::string(eq == std::string_view::npos ? line : trim_right(body.substr(eq + 1)));
  }
  if (!found) return result;
  result = Value(value);
  if (!def.is_nil() && !def.is_text()) result = CTOX(value, def.type_letter());
  return result;
}

Value call_readmemo_routine(const Value& id, bool per_user, const Value& def, std::string_view file,
                            bool optimise) {
  Value args[] = {id, Value(per_user), def, Value(std::string(file)), Value(optimise)};
  return routines().call("READMEMO", args);
}

Value readmemo_from_args(UserId user_id, const Args& a) {
  RoutineScope scope("READMEMO", "MEMO.PRG");
  return read_setting(user_id, a[1], a.logical(2, false), a[3], a.text(4, ""));
}

}  // namespace

std::string library_user_id() {
  SessionVars& vars = Runtime::current().vars;
  Value var = vars.get("USERNAME");
  if (var.is_text()) {
    std::string v = sys::env(var.text());
    if (!v.empty()) return v;
  }
  return std::string(trim(sys::host_name()));
}

std::string SYSTOCFG(std::string_view file) {
  fs::PathParts parts = fs::split_path(file);
  if (!same_name(parts.extension, ".SYS")) return std::string(file);
  parts.extension = ".CFG";
  std::string cfg = fs::join_path(parts);
  auto listing = fs::list_directory(cfg);
  if (listing && !listing->empty()) return cfg;
  return std::string(file);
}

Value LIB_READMEMO(const Value& id, bool per_user, const Value& def, std::string_view file, bool) {
  RoutineScope scope("READMEMO", "MEMO.PRG");
  return read_setting(library_user_id, id, per_user, def, file);
}

Value APP_READMEMO(const Value& id, bool per_user, const Value& def, std::string_view file, bool) {
  RoutineScope scope("READMEMO", "CODFIX.PRG");
  return read_setting(application_user_id, id, per_user, def, file);
}

Value READMEMO(const Value& id, bool per_user, const Value& def, std::string_view file,
               bool optimise) {
  if (!routines().exists("READMEMO")) return LIB_READMEMO(id, per_user, def, file, optimise);
  return call_readmemo_routine(id, per_user, def, file, optimise);
}

bool PUTMEMO(const Value& id_arg, bool per_user, const Value& value_arg, std::string_view file_arg,
             bool remove) {
  std::string caller = caller_name();
  RoutineScope scope("PUTMEMO", "MEMO.PRG");
  SessionVars& vars = Runtime::current().vars;
  vars.declare_private("CROTINA", Value(caller));
  ActiveField* field = active_field();

  std::string file = SYSTOCFG(file_arg.empty() ? "COOKIE.SYS" : file_arg);
  std::string text;
  if (!FMEMOREAD(file, text)) {
    log_error_line("Erro na leitura do arquivo " + file);
    return true;
  }

  Value id = id_arg;
  if (id.is_nil()) id = Value(upper_name(caller + (field ? field->name() : std::string())));
  Key k = key_of(id);
  std::string key = k.key;
  if (per_user) key = library_user_id() + key;
  vars.declare_private("CID", Value(key));
  std::string header = text::upper(k.section_header);
  bool with_section = !header.empty();
  std::string value =
      value_arg.is_nil() ? (field ? field->edit_buffer() : std::string()) : value_arg.text_or("");
  std::string value_trimmed(trim_right(value));

  std::vector<std::string> lines;
  for (const std::string& line : text::memo_lines(text, 254)) lines.emplace_back(trim(line));

  std::string out;
  std::size_t i = 0;
  if (with_section) {
    std::size_t h = 0;
    while (h < lines.size() && text::upper(lines[h]) != header) ++h;
    for (std::size_t j = 0; j < h; ++j) out += lines[j] + "\r\n";
    if (h == lines.size()) out += "\r\n" + header + "\r\n";
    i = h;
  }
  bool matched = false;
  for (; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (with_section && !line.empty() && line.front() == '[') {
      std::string u = text::upper(line);
      bool is_header = header.compare(0, u.size(), u) == 0 && u.size() <= header.size();
      if (!is_header) break;
    }
    std::vector<std::string> parts = tokens(line, "=");
    if (!parts.empty() && equal_ignoring_case(parts[0], key)) {
      matched = true;
      if (remove) continue;
      std::string current = parts.size() > 1 ? parts[1] : std::string();
      if (current == value_trimmed) return true;
      out += key + "=" + value_trimmed + "\r\n";
      continue;
    }
    out += line + "\r\n";
  }
  if (!matched && !remove) out += key + "=" + value + "\r\n";
  for (; i < lines.size(); ++i) out += lines[i] + "\r\n";

  std::size_t start = out.find_first_not_of(" \r\n");
  out.erase(0, start == std::string::npos ? out.size() : start);
  while (!out.empty() && out.back() == ' ') out.pop_back();

  MEMOWRITE(file, out);
  if (upper_name(file).find("KVNO") != std::string::npos) {
    for (std::size_t attempt = 1;; ++attempt) {
      auto size = fs::file_size(file);
      if (size && *size == out.size()) break;
      write_log_line("LOGSYS.LOG", "Gravacao com erro");
      if (attempt >= kKvnoMaxWrites) break;
      MEMOWRITE(file, out);
    }
  }
  return true;
}

bool GETMEMO(const Value& id_arg, bool per_user) {
  std::string caller = caller_name();
  RoutineScope scope("GETMEMO", "MEMO.PRG");
  ActiveField* field = active_field();
  if (!field) return true;
  std::string key = id_arg.is_text() ? id_arg.text() : upper_name(caller + field->name());
  if (per_user) key = library_user_id() + key;
  Value current = field->value();
  Value result = LIB_READMEMO(Value(key), false, current);
  if (result.is_nil()) return true;
  if (result.is_text()) {
    if (current.is_text() && result.text().size() < current.text().size())
      result.text().resize(current.text().size(), ' ');
    if (current.is_date()) result = CTOX(result.text(), 'D');
    if (current.is_number()) result = CTOX(result.text(), 'N');
  }
  field->assign(result);
  field->redisplay();
  return true;
}

void register_settings_routines() {
  Routines& r = routines();
  r.add("READMEMO", [](const Args& a) { return readmemo_from_args(library_user_id, a); });
  r.add("PUTMEMO", [](const Args& a) {
    return Value(PUTMEMO(a[1], a.logical(2, false), a[3], a.text(4, ""), a.logical(5, false)));
  });
  r.add("GETMEMO", [](const Args& a) { return Value(GETMEMO(a[1], a.logical(2, false))); });
  r.add("SYSTOCFG", [](const Args& a) { return Value(SYSTOCFG(a.text(1))); });
}

void use_application_readmemo() {
  routines().add("READMEMO",
                 [](const Args& a) { return readmemo_from_args(application_user_id, a); });
}

}  // namespace codfix
