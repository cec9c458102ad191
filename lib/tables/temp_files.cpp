#include "lib/tables/temp_files.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "lib/core/names.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_compare.h"
#include "lib/core/text_util.h"
#include "lib/errors/log_files.h"
#include "lib/os/paths.h"
#include "platform/dialogs/alert.h"
#include "platform/fs/directory.h"
#include "platform/fs/file_ops.h"
#include "platform/fs/path.h"
#include "platform/fs/temp_file.h"
#include "platform/text/codepage.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

constexpr int kRenameAttempts = 10;

long seconds_since_midnight() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t.tm_hour * 3600L + t.tm_min * 60L + t.tm_sec;
}

// Whether a file with this base name and any extension exists.
bool base_name_taken(const std::string& candidate) {
  auto listing = fs::list_directory(candidate + ".*");
  return listing && !listing->empty();
}

std::string callers_for_log() {
  std::string out;
  const CallStack& calls = Runtime::current().calls;
  for (std::size_t n = 0; const CallFrame* f = calls.level(n); ++n)
    if (f->line > 0) out += f->routine + "(" + std::to_string(f->line) + "), ";
  return out;
}

}  // namespace

bool is_driver(std::string_view driver, std::string_view name) {
  std::string d = upper_name(driver);
  return d.compare(0, name.size(), name) == 0;
}

std::string ARQTMP(std::string_view prefix, std::string_view folder) {
  SessionVars& vars = Runtime::current().vars;
  Value last = vars.get("CARQSECTMP");
  vars.declare_public("CARQSECTMP", Value(last.is_text() ? last.text() : std::string()));
  std::size_t digits = prefix.size() < 8 ? 8 - prefix.size() : 0;
  std::string candidate;
  for (;;) {
    std::string secs = std::to_string(seconds_since_midnight());
    if (secs.size() > digits) secs = secs.substr(secs.size() - digits);
    candidate = DIRFILE(folder, std::string(prefix) + secs);
    if (!base_name_taken(candidate) && candidate != vars.get("CARQSECTMP").text_or("")) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the clock has to move on
  }
  vars.set("CARQSECTMP", Value(candidate));
  Value debug = vars.get("DBUGARQTMP");
  if (debug.is_logical() && debug.logical())
    GRAVALOG("ARQTMP.LOG", Value(callers_for_log() + candidate));
  return candidate;
}

std::string TEMPFILE(std::string_view folder, std::string_view extension, int,
                     std::string_view prefix) {
  auto made = fs::create_temp_file(folder, prefix.empty() ? "TM" : prefix);
  if (!made) return {};
  std::string name = made->path;
  (void)made->file.close();
  (void)fs::remove_file(name);
  if (extension.empty()) return name;
  return replace_all(text::upper(name), ".TMP", "." + text::upper(extension));
}

bool RENFILE(std::string_view from, std::string_view to, bool ask) {
  int attempts = kRenameAttempts;
  for (;;) {
    int code = 0;
    auto listing = fs::list_directory(to);
    if (listing && !listing->empty()) {
      fs::Status removed = fs::remove_file(to);
      if (!removed) code = removed.dos_error();
    }
    fs::Status renamed = fs::rename_file(from, to);
    if (renamed) return true;
    if (code == 0) code = renamed.dos_error();
    if (ask) {
      std::string message = "DOS Erro " + std::to_string(code) + " !;;" +
                            std::string("Não foi possível renomear o arquivo;"_cp850) +
                            std::string(from) + " para " + std::string(to) + ",;" +
                            "o(s) arquivo(s) podem estar em uso.";
      std::optional<int> choice = dialogs::alert(message, {"Tentar novamente", "Cancelar"});
      // No answer (no terminal) gives up, as "Cancelar" does.
      if (!choice || *choice == 2) return false;
      continue;
    }
    if (--attempts <= 0) return false;
  }
}

long long TAMANHOARQ(std::string_view file) {
  auto size = fs::file_size(file);
  if (size && *size >= 1) return static_cast<long long>(*size);
  auto listing = fs::list_directory(file);
  if (listing && !listing->empty()) return static_cast<long long>((*listing)[0].size);
  return -1;
}

std::string DIRETORIO() {
  return fs::current_folder().value_or("");
}

bool DIRETORIO(std::string_view folder) {
  return fs::folder_exists(folder);
}

std::string EXTENSAOINDICE(std::string_view, std::string_view driver) {
  std::string d = driver.empty() ? Runtime::current().settings.default_driver : std::string(driver);
  if (is_driver(d, "DBFNTX")) return ".ntx";
  if (is_driver(d, "DBFCDX")) return ".cdx";
  return {};
}

std::string DATABASEINFO() {
  std::string d = Runtime::current().settings.default_driver;
  if (upper_name(d).find("SQL") != std::string::npos) {
    Value version = routines().call("SR_VERSION", {});
    return d + " - " + version.text_or("");
  }
  return d;
}

int ASCAN2(const Value& rows, const Value& value, int column, bool exact) {
  if (!rows.is_array()) return 0;
  Value wanted = value;
  if (!exact && wanted.is_text()) wanted = Value(text::upper(trim(wanted.text())));
  const ArrayData& items = rows.items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    Value cell = items[i].at(static_cast<std::size_t>(column));
    if (exact) {
      if (exactly_equal(cell, value)) return static_cast<int>(i + 1);
      continue;
    }
    if (cell.is_text() && wanted.is_text()) {
      if (text_equal(text::upper(trim(cell.text())), wanted.text())) return static_cast<int>(i + 1);
    } else if (exactly_equal(cell, wanted)) {
      return static_cast<int>(i + 1);
    }
  }
  return 0;
}

void register_temp_file_routines() {
  Routines& r = routines();
  r.add("ARQTMP", [](const Args& a) { return Value(ARQTMP(a.text(1), a.text(2))); });
  r.add("TEMPFILE", [](const Args& a) {
    return Value(TEMPFILE(a.text(1), a.text(2), a.integer(3), a.text(4, "TM")));
  });
  r.add("RENFILE",
        [](const Args& a) { return Value(RENFILE(a.text(1), a.text(2), a.logical(3, false))); });
  r.add("TAMANHOARQ", [](const Args& a) { return Value(TAMANHOARQ(a.text(1))); });
  r.add("DIRETORIO", [](const Args& a) {
    return a.given(1) ? Value(DIRETORIO(a.text(1))) : Value(DIRETORIO());
  });
  r.add("EXTENSAOINDICE",
        [](const Args& a) { return Value(EXTENSAOINDICE(a.text(1), a.text(2))); });
  r.add("DATABASEINFO", [](const Args&) { return Value(DATABASEINFO()); });
  r.add("ASCAN2", [](const Args& a) {
    return Value(ASCAN2(a[1], a[2], a.integer(3, 1), a.logical(4, true)));
  });
}

}  // namespace codfix
