#include "lib/tables/open_tables.h"

#include <chrono>
#include <thread>

#include "lib/core/names.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/errors/log_files.h"
#include "lib/settings/value_text.h"
#include "lib/tables/temp_files.h"
#include "lib/ui/windows.h"
#include "lib/values/screen_helpers.h"
#include "platform/console/console.h"
#include "platform/console/screen.h"
#include "platform/dbf/work_areas.h"
#include "platform/dialogs/alert.h"
#include "platform/fs/file_ops.h"
#include "platform/fs/path.h"
#include "platform/fs/whole_file.h"
#include "platform/fs/wildcard.h"
#include "platform/sys/process.h"
#include "platform/text/codepage.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

constexpr int kChkindiceTries = 3;

Runtime& rt() {
  return Runtime::current();
}
console::Console& con() {
  return console::current();
}

dbf::WorkAreas& areas() {
  dbf::WorkAreas* a = dbf::WorkAreas::current_areas();
  if (!a) {
    // Library code always runs with work areas; make them for callers that did not.
    static thread_local std::unique_ptr<dbf::WorkAreas> fallback;
    fallback = std::make_unique<dbf::WorkAreas>();
    a = fallback.get();
  }
  return *a;
}

// Waits up to `seconds`; a key ends the wait (0: until a key).
void wait_or_key(double seconds) {
  con().keyboard().wait(seconds);
}

// Output goes to the screen while the routine runs; colour and device come back.
class ScreenOutput {
 public:
  ScreenOutput() : colour_(con().colours().text()), device_(rt().settings.device) {
    rt().settings.device = "SCREEN";
  }
  ~ScreenOutput() {
    con().set_colour(colour_);
    rt().settings.device = device_;
  }
  ScreenOutput(const ScreenOutput&) = delete;
  ScreenOutput& operator=(const ScreenOutput&) = delete;

 private:
  std::string colour_;
  std::string device_;
};

bool sql_or_cdx(std::string_view driver) {
  return is_driver(driver, "DBFCDX") || upper_name(driver).find("SQL") != std::string::npos;
}

int open_once(const std::string& name, const OpenArgs& args, const std::string& alias,
              const std::string& driver) {
  dbf::UseOptions use;
  use.new_area = !args.current_area;
  use.exclusive = args.mode == 1;
  use.read_only = args.mode == 3;
  use.alias = alias;
  use.driver = driver;
  return areas().use(name, use);
}

}  // namespace

std::string alias_for(std::string_view file) {
  std::string name = replace_all(text::upper(file), ".DBF", "");
  name = replace_all(name, "MEM:", "");
  std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  name = std::string(trim(name));
  for (char& c : name)
    if (c == ' ') c = '_';
  return name;
}

std::string ASSOCIATABELA(std::string_view table) {
  std::string driver = rt().settings.default_driver;
  if (is_driver(driver, "DBFNTX")) return driver;
  Value map = rt().vars.get("ATABELARDD");
  if (!map.is_array()) return driver;
  fs::PathParts parts = fs::split_path(table);
  // The patterns match without regard to case, as file names do.
  for (const Value& row : map.items()) {
    std::string pattern = row.at(1).text_or("");
    if (!pattern.empty() && fs::wildcard_match(pattern, parts.name))
      return row.at(2).text_or(driver);
  }
  return driver;
}

int ABREARQ(std::string_view file, const OpenArgs& args_in) {
  RoutineScope scope("ABREARQ", "TABELAS.PRG");
  OpenArgs args = args_in;
  ScreenOutput output;
  SessionVars& vars = rt().vars;
  bool chkindice = vars.get("CHKINDICE").logical_or(false);
  vars.declare_public("_ABRINDO", Value(std::string(file)));
  std::string name = replace_all(text::upper(file), ".DBF", "");
  std::string alias = args.alias.empty() ? alias_for(name) : upper_name(args.alias);
  std::string driver = args.driver.empty() ? ASSOCIATABELA(name) : args.driver;
  dbf::WorkAreas& wa = areas();

  if (int existing = wa.area_of_alias(alias); existing > 0) {
    wa.select(existing);
    if (args.order >= 0) wa.current()->set_order(args.order);
    vars.set("_ABRINDO", Value(""));
    return existing;
  }
  Value year = vars.get("SETYEAR");
  rt().settings.dates.epoch = year.is_number() ? static_cast<int>(year.as_double()) : 1940;
  Value fast_before;
  Routines& r = routines();
  bool fast = args.mode == 1 && r.exists("SR_SETFASTOPEN");
  if (fast) {
    Value off[] = {Value(false)};
    fast_before = r.call("SR_SETFASTOPEN", off);
  }

  int area = open_once(name, args, alias, driver);
  for (;;) {
    if (!rt().net_error) break;
    Value delay = vars.get("_DELAYOPEN");
    if (delay.is_number()) wait_or_key(delay.as_double());
    if (!rt().net_error) break;
    std::string screen = GT();
    MSG_BOX(Value("Arquivo (" + std::string(trim(name)) + ") Sendo Usado. Aguarde Liberacao !!!"),
            "W+/N, N/W,,, N/BG", static_cast<int>(0.7 * con().maxrow()));
    wait_or_key(3);
    RT(screen);
    area = open_once(name, args, alias, driver);
  }

  if (area > 0) {
    dbf::WorkArea* wa_area = wa.area(area);
    wa_area->clear_orders();
    std::vector<std::string> indexes = args.indexes;
    if (sql_or_cdx(driver) && !indexes.empty()) {
      indexes.resize(1);
      if (args.order < 0) args.order = 1;
    }
    for (std::size_t i = 0; i < indexes.size(); ++i) {
      const std::string& index = indexes[i];
      vars.set("CARQNTX" + std::to_string(i + 1), Value(index));
      vars.set("_ABRINDO", Value(vars.get("_ABRINDO").text_or("") + ", " + index));
      if (sql_or_cdx(driver)) {
        dbf::Order* o = wa_area->order(static_cast<int>(i + 1));
        if (o && text::upper(index).find(o->name()) != std::string::npos) continue;
      }
      bool attached = wa_area->add_index(index);
      // An index whose open failed has already been reported; CHKINDICE asks for
      // the order to be there, so try a few more times before going on.
      for (int tries = 0; chkindice && !attached && tries < kChkindiceTries; ++tries) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        attached = wa_area->add_index(index);
      }
    }
    if (args.order >= 0) wa_area->set_order(args.order);
    Value registry = vars.get("CTRLUSO");
    if (registry.is_array()) {
      bool known = false;
      for (const Value& row : registry.items())
        if (row.at(1).is_text() && row.at(1).text() == name) known = true;
      if (!known) {
        std::vector<Value> list;
        for (const std::string& i : args.indexes) list.emplace_back(i);
        registry.items().push_back(
            Value::array({Value(name), Value::array(std::move(list)), Value(args.mode),
                          Value(args.order), Value(area), Value(alias)}));
      }
    }
  }
  if (fast) {
    Value back[] = {fast_before};
    r.call("SR_SETFASTOPEN", back);
  }
  vars.set("_ABRINDO", Value(""));
  return area > 0 ? area : wa.current_area();
}

bool ABREREG(int tries) {
  ScreenOutput output;
  dbf::WorkArea* area = areas().current();
  if (!area) return false;
  if (area->append_blank() && !rt().net_error) return true;
  std::string saved = con().save(11, 15, 13, 63);
  con().set_colour("W+/N, N/W,,,N/BG");
  console::Attr attr = con().standard();
  con().clear_area(11, 15, 13, 63, attr);
  con().frame(11, 15, 13, 63, console::kFrameSingle, attr);
  con().say(12, 17, "   Arquivo 'TRAVADO'. Aguarde Liberacao !!!    ", attr);
  bool result = false;
  int failures = 0;
  for (;;) {
    if (area->append_blank() && !rt().net_error) {
      result = true;
      break;
    }
    ++failures;
    if (tries != 0 && failures >= tries) break;
    wait_or_key(3);
  }
  con().restore(11, 15, 13, 63, saved);
  return result;
}

bool BLOQREG() {
  ScreenOutput output;
  dbf::WorkArea* area = areas().current();
  if (!area) return false;
  std::string screen = GT();
  while (!area->lock_current()) {
    MSG_BOX(Value(std::string("Registro 'TRAVADO'. Aguarde Liberaçâo !!! ("_cp850) + area->alias() +
                  ")"),
            "W+/N, N/W,,, N/BG");
    if (rt().vars.get("DBGLOCK").logical_or(false)) {
      std::string key;
      if (dbf::Order* o = area->order(area->active_order())) {
        std::string bytes;
        if (!o->eval_key(bytes)) key = X_TO_C(o->key_value(bytes));
      }
      GRAVALOG("LOCK.LOG", Value(area->alias() + " " + key));
    }
    wait_or_key(3);
  }
  RT(screen);
  area->lock_current();
  return true;
}

bool EMUSO(std::string_view file, bool warn, bool automatic, std::string_view driver_arg) {
  RoutineScope scope("EMUSO", "TABELAS.PRG");
  SessionVars& vars = rt().vars;
  std::string colour = vars.get("CCORJAN").text_or("N/w");
  std::string driver = driver_arg.empty() ? ASSOCIATABELA(file) : std::string(driver_arg);
  bool in_use = false;
  dbf::WorkAreas& wa = areas();
  for (;;) {
    if (wa.area_of_alias(upper_name(file)) == 0) {
      dbf::UseOptions use;
      use.exclusive = true;
      use.alias = "_EXCL";
      use.driver = driver;
      int area = wa.use(file, use);
      in_use = rt().net_error;
      if (area > 0) wa.close_area(area);
    }
    if (!warn || !in_use) return in_use;
    std::string name(file);
    if (automatic) {
      std::string screen = GT();
      DESJAN(10, 19, 16, 62, false, "Atenção"_cp850, 12);
      console::Attr attr = console::colour_attribute(colour);
      auto centre = [](std::string_view t) {
        std::size_t w = 38;
        if (t.size() >= w) return std::string(t.substr(0, w));
        std::string out((w - t.size()) / 2, ' ');
        out += t;
        out.resize(w, ' ');
        return out;
      };
      con().say(11, 21, centre("O Arquivo (" + name + std::string(") está em uso !"_cp850)), attr);
      con().say(12, 21, centre("É necessário fechar os aplicativos que"_cp850), attr);
      con().say(13, 21, centre("possam estar utilizando-o."), attr);
      for (int n = 10; n >= 0; --n) {
        con().say(15, 21, centre("Tentando novamente em " + std::to_string(n) + " segundos"), attr);
        wait_or_key(1);
      }
      RT(screen);
      continue;
    }
    std::string message = std::string("Atenção !;O Arquivo ("_cp850) + name +
                          std::string(") está em uso !;"_cp850) +
                          std::string("É necessário fechar os aplicativos que;"_cp850) +
                          "possam estar utilizando-o.             ";
    std::optional<int> choice = dialogs::alert(message, {"Tentar novamente", "Cancelar"});
    if (!choice || *choice != 1) return in_use;
  }
}

bool EMUSO_(std::string_view file) {
  SessionVars& vars = rt().vars;
  std::string out_file = vars.get("CARQTMP").text_or("");
  std::string command = vars.get("CNETUSE").text_or("") + " >" + out_file;
  sys::run_shell(command);
  std::string output = fs::read_file(out_file).value_or("");
  (void)fs::remove_file(out_file);
  return text::upper(output).find(text::upper(file)) != std::string::npos;
}

void register_open_table_routines() {
  Routines& r = routines();
  r.add("ABREARQ", [](const Args& a) {
    OpenArgs o;
    if (a[2].is_text()) o.indexes.push_back(a[2].text());
    if (a[2].is_array())
      for (const Value& v : a[2].items()) o.indexes.push_back(v.text_or(""));
    o.mode = a.integer(3, 0);
    o.order = a[4].is_number() ? a.integer(4) : -1;
    o.current_area = a.integer(5, 0) != 0;
    o.alias = a.text(6);
    o.driver = a.text(7);
    return Value(ABREARQ(a.text(1), o));
  });
  r.add("ASSOCIATABELA", [](const Args& a) { return Value(ASSOCIATABELA(a.text(1))); });
  r.add("ABREREG", [](const Args& a) { return Value(ABREREG(a.integer(1, 0))); });
  r.add("BLOQREG", [](const Args&) { return Value(BLOQREG()); });
  r.add("EMUSO", [](const Args& a) {
    return Value(EMUSO(a.text(1), a.logical(2, false), a.logical(3, false), a.text(4)));
  });
  r.add("_EMUSO", [](const Args& a) { return Value(EMUSO_(a.text(1))); });
}

}  // namespace codfix
