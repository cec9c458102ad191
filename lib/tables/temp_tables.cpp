#include "lib/tables/temp_tables.h"

#include <chrono>
#include <random>
#include <thread>

#include "lib/core/error.h"
#include "lib/core/names.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/os/paths.h"
#include "lib/tables/open_tables.h"
#include "lib/tables/temp_files.h"
#include "platform/dbf/work_areas.h"
#include "platform/filelock/files.h"
#include "platform/filelock/handle.h"
#include "platform/filelock/memory_space.h"
#include "platform/fs/directory.h"
#include "platform/text/codepage.h"

namespace codfix {
namespace {

constexpr std::string_view kMemoryPrefix = "MEM:";
constexpr auto kDeleteTimeout = std::chrono::seconds(3);

dbf::WorkAreas* areas() {
  return dbf::WorkAreas::current_areas();
}

dbf::Structure structure_of(const Value& rows) {
  dbf::Structure s;
  if (!rows.is_array()) return s;
  for (const Value& row : rows.items()) {
    dbf::FieldSpec f;
    f.name = upper_name(row.at(1).text_or(""));
    std::string type = row.at(2).text_or("C");
    f.type = type.empty() ? 'C' : text::to_upper(type[0]);
    f.length = static_cast<int>(row.at(3).number_or(0));
    f.decimals = static_cast<int>(row.at(4).number_or(0));
    s.push_back(f);
  }
  return s;
}

// Creates the table; a memory table that finds the memory space full is made on
// disk instead. Every other failure goes to the installed handler.
bool create_table(std::string& name, const dbf::Structure& s, const std::string& driver) {
  Runtime& rt = Runtime::current();
  ErrorHandler outer = rt.error_handler;
  bool memory_full = false;
  rt.error_handler = [&](ErrorRecord& e) {
    if (e.oscode == filelock::kNoServerStorage && filelock::is_memory_name(name)) {
      memory_full = true;
      return ErrorAnswer::fail();
    }
    return outer ? outer(e) : default_error_handler(e);
  };
  bool made = false;
  try {
    made = areas()->create(name, s, driver);
  } catch (...) {
    rt.error_handler = outer;
    throw;
  }
  rt.error_handler = outer;
  if (!made && memory_full) {
    name = name.substr(kMemoryPrefix.size());
    made = areas()->create(name, s, driver);
  }
  return made;
}

std::string without_dbf(std::string_view table) {
  return replace_all(text::upper(table), ".DBF", "");
}

}  // namespace

bool ARQMEMORIA() {
  static std::mt19937 random{std::random_device{}()};
  std::string name = std::string(kMemoryPrefix) +
                     std::to_string(std::uniform_int_distribution<int>(1, 99999)(random)) + ".TMP";
  auto handle = filelock::Handle::create(name);
  if (!handle) return false;
  handle->close();
  (void)filelock::remove_file(name);
  return true;
}

std::string DBCREATETEMP(const Value& structure, const Value& keys_arg, std::string_view driver_arg,
                         std::string_view alias_arg) {
  RoutineScope scope("DBCREATETEMP", "TABELAS.PRG");
  SessionVars& vars = Runtime::current().vars;
  std::vector<Value> keys;
  if (keys_arg.is_text()) keys.push_back(keys_arg);
  if (keys_arg.is_array()) keys = keys_arg.items();
  Value tempmem = vars.get("TEMPMEM");
  bool memory = tempmem.is_logical() ? tempmem.logical() : ARQMEMORIA();
  std::string short_name = ARQTMP("TM");
  std::string alias = alias_arg.empty() ? alias_for(short_name) : upper_name(alias_arg);
  std::string table = memory ? std::string(kMemoryPrefix) + short_name : short_name;
  std::string driver(driver_arg);
  if (driver.empty())
    driver = vars.get("CRDDXBASE").text_or(Runtime::current().settings.default_driver);
  if (!areas()) return {};
  if (!create_table(table, structure_of(structure), driver)) return {};

  OpenArgs open;
  open.mode = 1;
  open.alias = alias;
  open.driver = driver;
  int area = ABREARQ(table, open);
  dbf::WorkArea* wa = areas()->area(area);
  if (!wa) return {};
  std::string base = replace_all(table, std::string(kMemoryPrefix), "");
  std::vector<std::string> files;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const Value& k = keys[i];
    std::string key = k.is_array() ? k.at(1).text_or("") : k.text_or("");
    std::string condition = k.is_array() ? k.at(2).text_or("") : "";
    std::string file = table;
    if (is_driver(driver, "DBFNTX") && i > 0) file = ARQTMP("TM");
    vars.set("CCHAVE", Value(key));
    vars.set("CCONDFOR", Value(condition));
    vars.set("CINDICE", Value(file));
    dbf::IndexOptions options;
    options.key = key;
    options.condition = condition;
    options.tag = base + std::to_string(i + 1);
    options.additive = true;
    wa->create_index(file, options);
    if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
  }
  wa->clear_orders();
  for (const std::string& f : files) wa->add_index(f);
  if (!files.empty()) wa->set_order(1);
  return alias;
}

bool APAGATMP(std::string_view file_arg, std::string_view alias_arg) {
  dbf::WorkAreas* wa = areas();
  std::string file(file_arg), alias(alias_arg);
  if (file.empty() && alias.empty()) {
    if (wa && wa->current()) alias = wa->current()->alias();
    file = DBPATH();
  } else if (alias.empty()) {
    alias = upper_name(file.substr(0, file.find('.')));
    alias = alias_for(alias);
  } else if (file.empty()) {
    file = DBPATH(alias);
  }
  std::vector<std::string> indexes;
  if (wa) {
    if (int area = wa->area_of_alias(upper_name(alias)); area > 0) {
      dbf::WorkArea* a = wa->area(area);
      for (int i = 1; i <= a->order_count(); ++i) {
        std::string bag = a->order(i)->bag();
        if (std::find(indexes.begin(), indexes.end(), bag) == indexes.end()) indexes.push_back(bag);
      }
      wa->close_area(area);
    }
  }
  // The deletion is retried for a few seconds (another process may still be
  // closing the file); the result says whether the file is gone.
  auto deadline = std::chrono::steady_clock::now() + kDeleteTimeout;
  while (filelock::file_exists(file)) {
    if (filelock::remove_file(file)) break;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  for (const std::string& index : indexes) (void)filelock::remove_file(index);
  return !filelock::file_exists(file);
}

bool EXISTETABELA(std::string_view table, bool in_folder, std::string_view driver_arg) {
  std::string driver = driver_arg.empty() ? ASSOCIATABELA(table) : std::string(driver_arg);
  std::string name = without_dbf(table);
  if (upper_name(driver).find("SQL") != std::string::npos) {
    Value args[] = {Value(name)};
    return routines().call("SR_EXISTTABLE", args).logical_or(false);
  }
  if (in_folder) {
    auto listing = fs::list_directory(name + ".DBF");
    return listing && !listing->empty();
  }
  return filelock::file_exists(name + ".DBF");
}

bool EXISTEINDICE(std::string_view index, bool in_folder, std::string_view driver_arg) {
  std::string driver(driver_arg);
  std::string ext;
  if (driver.empty()) {
    dbf::WorkAreas* wa = areas();
    driver = wa && wa->current() ? wa->current()->table().driver()
                                 : Runtime::current().settings.default_driver;
  }
  ext = text::upper(EXTENSAOINDICE("", driver));
  std::string name = without_dbf(index);
  if (!ext.empty()) name = replace_all(name, ext, "");
  if (upper_name(driver).find("SQL") != std::string::npos) {
    Value args[] = {Value(name)};
    return routines().call("SR_EXISTINDEX", args).logical_or(false);
  }
  if (in_folder) {
    auto listing = fs::list_directory(name + ext);
    return listing && !listing->empty();
  }
  return filelock::file_exists(name + ext);
}

bool APAGATABELA(std::string_view table, std::string_view driver_arg) {
  std::string driver = driver_arg.empty() ? ASSOCIATABELA(table) : std::string(driver_arg);
  if (upper_name(driver).find("SQL") != std::string::npos) {
    Value args[] = {Value(std::string(table))};
    routines().call("SR_DROPTABLE", args);
  } else {
    (void)filelock::remove_file(without_dbf(table) + ".DBF");
  }
  return !EXISTETABELA(table, false, driver);
}

std::string DBPATH(std::string_view alias) {
  dbf::WorkAreas* wa = areas();
  if (!wa) return {};
  dbf::WorkArea* a = alias.empty() ? wa->current() : wa->area(wa->area_of_alias(upper_name(alias)));
  if (!a) return {};
  const std::string& path = a->table().path();
  return filelock::is_memory_name(path) ? path : TRUENAME_(path);
}

void register_temp_table_routines() {
  Routines& r = routines();
  r.add("DBCREATETEMP",
        [](const Args& a) { return Value(DBCREATETEMP(a[1], a[2], a.text(4), a.text(5))); });
  r.add("ARQMEMORIA", [](const Args&) { return Value(ARQMEMORIA()); });
  r.add("APAGATMP", [](const Args& a) { return Value(APAGATMP(a.text(1), a.text(2))); });
  r.add("APAGATABELA", [](const Args& a) { return Value(APAGATABELA(a.text(1), a.text(2))); });
  r.add("EXISTETABELA", [](const Args& a) {
    return Value(EXISTETABELA(a.text(1), a.logical(2, false), a.text(3)));
  });
  r.add("EXISTEINDICE", [](const Args& a) {
    return Value(EXISTEINDICE(a.text(1), a.logical(2, false), a.text(3)));
  });
  r.add("DBPATH", [](const Args& a) { return Value(DBPATH(a.text(1))); });
}

}  // namespace codfix
