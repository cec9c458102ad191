#include "app/check_run.h"

#include <string>
#include <vector>

#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/errors/log_files.h"
#include "lib/settings/settings_file.h"
#include "lib/tables/open_tables.h"
#include "lib/tables/temp_files.h"
#include "lib/ui/windows.h"
#include "lib/values/screen_helpers.h"
#include "lib/values/text_helpers.h"
#include "platform/console/console.h"
#include "platform/dbf/transfer.h"
#include "platform/dbf/work_areas.h"
#include "platform/fs/directory.h"
#include "platform/fs/file.h"
#include "platform/fs/file_ops.h"
#include "platform/fs/path.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

constexpr std::string_view kUnit = "CODFIX.PRG";
// Tables with at least this many records show their copy's progress.
constexpr uint32_t kProgressFrom = 20000;

void print(std::string_view line) {
  console::current().line_out(line);
}

dbf::WorkAreas& areas() {
  return *dbf::WorkAreas::current_areas();
}

void log_line(CheckRun& run, const std::string& text) {
  GRAVALOG("CODFIX.LOG", Value(text), run.first_log_write);
  run.first_log_write = false;
}

std::string with_extension(std::string_view base, std::string_view ext) {
  return std::string(base) + std::string(ext);
}

// Flushes files to the disk; true when they are all there (a name that does not
// exist counts as flushed). The disk is set to work on every file before the
// first wait.
bool sync_files(const std::vector<std::string>& paths) {
  std::vector<fs::File> files;
  for (const std::string& path : paths) {
    if (!fs::file_exists(path)) continue;
    auto f = fs::File::open(path, fs::Access::kRead);
    if (!f) return false;
    f->start_writeback(0, 0);
    files.push_back(std::move(*f));
  }
  for (fs::File& f : files) {
    if (!f.sync().ok()) return false;
  }
  return true;
}

// Opens the product table exclusively for the rebuild, after the in-use test
// said it is free; 0 when the operator gives up. Another station can take the
// table between the test and the open: then the test runs again.
int hold_exclusively(const std::string& table) {
  for (;;) {
    if (EMUSO(table, true)) return 0;
    dbf::UseOptions use;
    use.exclusive = true;
    use.alias = "KVPROD";
    int area = areas().use(table, use);
    if (area > 0 && !Runtime::current().net_error) return area;
    if (!Runtime::current().net_error) return 0;  // failed for another reason (reported)
  }
}

// Copies every record of the old table into the new one. A large table on a
// terminal shows a progress bar meanwhile, removed afterwards so that the printed
// lines stay as they are.
bool copy_records(dbf::WorkArea& target, dbf::WorkArea& old_table) {
  console::Console& con = console::current();
  bool show = con.interactive() && old_table.record_count() >= kProgressFrom;
  if (!show) return dbf::append_from(target, old_table);
  std::string screen = GT();
  double start = seconds_now();
  bool copied = dbf::append_from(target, old_table, [&](uint32_t done, uint32_t total) {
    ProgressArgs progress;
    progress.current = done;
    progress.total = total;
    progress.start = start;
    PROGBAR(progress);
  });
  RT(screen);
  return copied;
}

bool rename_or_say(std::string_view from, std::string_view to, const std::string& failure) {
  if (RENFILE(from, to)) return true;
  print(std::string("Não foi possível alterar "_cp850) + failure);
  return false;
}

void ALTESTPROD(CheckRun& run, const std::string& table, int held_area) {
  RoutineScope scope("ALTESTPROD", std::string(kUnit));
  const std::string& folder = run.folders[run.folder_index];
  print("Alterando " + table + ".DBF...");
  std::string temp = TEMPFILE(folder, "DBF");
  run.structure[run.code_position - 1].width = run.reference_width;
  dbf::Structure structure;
  for (const CheckRun::FieldRow& f : run.structure)
    structure.push_back({f.name, f.type, f.width, f.decimals});

  dbf::WorkAreas& wa = areas();
  dbf::WorkArea* old_area = wa.area(held_area);
  bool copied = false;
  if (!temp.empty() && wa.create(temp, structure)) {
    std::string key = run.direct_layout ? "Codigo+Cliente" : "Codigo+Cliente+Fabric";
    // The new table has a name nobody else knows: it is opened exclusively so
    // that the records go in by blocks and the index is built in one pass.
    OpenArgs open;
    open.mode = 1;
    open.alias = "TEMP";
    int temp_area = ABREARQ(temp, open);
    dbf::WorkArea* target = wa.area(temp_area);
    if (target) {
      // Written to the disk as it is copied: the flush before the renames below
      // then has little left to wait for.
      target->table().set_write_behind(true);
      std::string index = replace_all(temp, ".DBF", "");
      dbf::IndexOptions options;
      options.key = key;
      target->create_index(index, options);
      target->clear_orders();
      target->add_index(index);
      copied = copy_records(*target, *old_area);
      copied = target->close() && copied;
      wa.close_area(temp_area);
    }
  }
  // The old table is released only now, just before the files are swapped.
  wa.close_area(held_area);
  if (!copied) return;
  std::string temp_memo = replace_all(temp, ".DBF", ".DBT");
  std::string temp_index = replace_all(temp, ".DBF", ".NTX");
  // The new table, memo and index are on the disk before anything is renamed;
  // when they cannot be flushed, nothing is swapped (as when the first rename fails).
  if (!sync_files({temp, temp_memo, temp_index})) {
    print(std::string("Não foi possível alterar "_cp850) + table + ".DBF");
    return;
  }

  std::string backup = TEMPFILE(folder, "DBF");
  if (!rename_or_say(with_extension(table, ".DBF"), backup, table + ".DBF")) return;
  log_line(run, table + ".DBF (" + backup + ")");
  if (fs::file_exists(with_extension(table, ".DBT")) &&
      !rename_or_say(with_extension(table, ".DBT"), replace_all(backup, ".DBF", ".DBT"),
                     folder + "\\KVPROD.DBT"))
    return;
  (void)fs::remove_file(with_extension(table, ".NTX"));
  bool done = rename_or_say(temp, with_extension(table, ".DBF"), temp) &&
              (!fs::file_exists(temp_memo) ||
               rename_or_say(temp_memo, with_extension(table, ".DBT"), table + ".DBT")) &&
              (!fs::file_exists(temp_index) ||
               rename_or_say(temp_index, with_extension(table, ".NTX"), table + ".NTX"));
  (void)done;
  (void)fs::sync_directory(folder.empty() ? "." : folder);
}

}  // namespace

void CHKESTPROD(CheckRun& run, std::string_view folder, std::string_view base,
                int reference_width) {
  RoutineScope scope("CHKESTPROD", std::string(kUnit));
  std::string table =
      (folder.empty() ? std::string() : std::string(folder) + "\\") + std::string(base);
  OpenArgs open;
  open.alias = "KVPROD";
  int area = ABREARQ(table, open);
  dbf::WorkArea* wa = areas().area(area);
  if (!wa) return;
  run.structure.clear();
  run.code_position = 0;
  for (const dbf::Field& f : wa->table().fields()) {
    if (f.hidden()) continue;
    run.structure.push_back({f.name, f.type, f.length, f.decimals});
    if (f.name == "CODIGO" && run.code_position == 0) run.code_position = run.structure.size();
  }
  areas().close_area(area);
  if (run.code_position == 0) {
    std::string message = "Campo CODIGO inexistente na tabela " + table + ".DBF";
    print(message);
    log_line(run, message);
    return;
  }
  int width = run.structure[run.code_position - 1].width;
  bool rebuild = width != reference_width;
  if (width > reference_width) {
    rebuild = false;
    log_line(run, "Tamnho da tabela " + table + ".DBF " + std::to_string(width) + "\r\n" +
                      "KVITEM.DBF " + std::to_string(reference_width));
    std::string question = std::string("ATENÇÃO !; Tamanho do campo CODIGO da tabela;"_cp850) +
                           table + std::string(".DBF é "_cp850) + std::to_string(width) +
                           std::string(";e do KVITEM.DBF é "_cp850) +
                           std::to_string(reference_width);
    std::optional<int> answer = MSGALERTA(question, {"Ok", "Modificar"});
    rebuild = answer && *answer == 2;
  }
  if (!rebuild) return;
  if (int held = hold_exclusively(table); held > 0) ALTESTPROD(run, table, held);
}

void MAIN() {
  RoutineScope scope("MAIN", std::string(kUnit));
  CheckRun run;
  run.direct_layout =
      READMEMO(Value("LDIRETPROD"), false, Value(".F."), "KV.INI").text_or("") == ".T.";
  run.folders.push_back(DIRETORIO());
  run.first_log_write = true;
  std::string configured_root =
      READMEMO(Value("CDIRETPROD"), false, Value(""), "KV.INI").text_or("");
  if (!run.direct_layout) run.direct_layout = !trim(configured_root).empty();
  if (run.direct_layout) {
    run.root = std::string(trim(configured_root));
    if (!run.root.empty()) run.root += "\\";
    print("Verificando pastas...");
    fs::ListOptions options;
    options.directories = true;
    auto listing = fs::list_directory(run.root + "*.", options);
    if (listing)
      for (const fs::DirEntry& e : *listing) run.folders.push_back(run.root + e.name);
  }

  OpenArgs open;
  int area = ABREARQ("KVITEM", open);
  dbf::WorkArea* item = areas().area(area);
  if (!item) return;
  int product = item->table().field_index("PRODUTO");
  run.reference_width = product >= 0 ? item->table().fields()[product].length : 0;
  areas().close_area(area);
  if (product < 0) {
    std::string message = "Campo PRODUTO inexistente na tabela KVITEM.DBF";
    print(message);
    log_line(run, message);
    return;
  }

  for (run.folder_index = 0; run.folder_index < run.folders.size(); ++run.folder_index) {
    std::string folder = run.folders[run.folder_index];
    if (fs::file_exists(folder + "\\KVPROD.DBF"))
      CHKESTPROD(run, folder, "KVPROD", run.reference_width);
  }
}

void register_check_run_routines() {
  routines().add("MAIN", [](const Args&) {
    MAIN();
    return Value();
  });
}

}  // namespace codfix
