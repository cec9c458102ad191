#include "lib/startup/sql_placeholders.h"

#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/tables/temp_files.h"
#include "platform/filelock/files.h"
#include "platform/text/codepage.h"

namespace codfix {
namespace {

constexpr std::string_view kTableExtension = ".DBF";

// `name` upper-cased with `extension` (upper case) removed and added again.
std::string with_extension(std::string_view name, std::string_view extension) {
  std::string n = replace_all(text::upper(name), extension, "");
  return n + std::string(extension);
}

void remove(const std::string& file) {
  // Dropping what is not there is no failure; other failures are the caller's to
  // see through SR_FILE.
  if (filelock::file_exists(file)) (void)filelock::remove_file(file);
}

Value nothing(const Args&) {
  return Value();
}

}  // namespace

bool SR_FILE(std::string_view file) {
  return !file.empty() && filelock::file_exists(file);
}

bool SR_EXISTTABLE(std::string_view table) {
  return SR_FILE(std::string(table) + std::string(kTableExtension));
}

bool SR_EXISTINDEX(std::string_view index) {
  return SR_FILE(std::string(index) + EXTENSAOINDICE());
}

void SR_DROPTABLE(std::string_view table) {
  remove(with_extension(table, kTableExtension));
}

void SR_DROPINDEX(std::string_view index) {
  std::string extension = text::upper(EXTENSAOINDICE());
  if (extension.empty()) return;
  remove(with_extension(index, extension));
}

void register_sql_placeholders() {
  Routines& r = routines();
  r.add("SR_FILE", [](const Args& a) { return Value(SR_FILE(a.text(1))); });
  r.add("SR_EXISTTABLE", [](const Args& a) { return Value(SR_EXISTTABLE(a.text(1))); });
  r.add("SR_EXISTINDEX", [](const Args& a) { return Value(SR_EXISTINDEX(a.text(1))); });
  r.add("SR_ADDCONNECTION", [](const Args&) { return Value(-1); });
  r.add("SR_END", nothing);
  r.add("SR_DETECTDBFROMDSN", nothing);
  r.add("SQLRDD", nothing);
  r.add("SR_FIREBIRD", nothing);
  r.add("SR_SETRDDTEMP",
        [](const Args&) { return Value(Runtime::current().settings.default_driver); });
  r.add("SR_CHANGESTRUCT", [](const Args&) { return Value(false); });
  r.add("SR_SETFASTOPEN", [](const Args&) { return Value(true); });
  r.add("ISSQLWORKAREA", [](const Args&) { return Value(false); });
  r.add("SR_VERSION", [](const Args&) { return Value("xBase"); });
  r.add("SR_DROPTABLE", [](const Args& a) {
    SR_DROPTABLE(a.text(1));
    return Value();
  });
  r.add("SR_DROPINDEX", [](const Args& a) {
    SR_DROPINDEX(a.text(1));
    return Value();
  });
  r.add("SR_STARTLOG", [](const Args&) { return Value(true); });
  r.add("SR_ALLINCACHE", [](const Args&) { return Value(false); });
  r.add("SR_SETFILTER", nothing);
}

}  // namespace codfix
