#include "lib/startup/table_driver.h"

#include "lib/core/error.h"
#include "lib/core/names.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/settings/settings_file.h"

namespace codfix {
namespace {

Value read_key(std::string_view key, std::string_view def, std::string_view file) {
  Value v = READMEMO(Value(key), false, Value(def), file);
  return v.is_text() ? v : Value(def);
}

Value call(std::string_view routine, std::vector<Value> args) {
  return routines().call(routine, args);
}

// The SQL back-end's connection, from the first connection key that is set.
void connect_sql(std::string_view file) {
  SessionVars& vars = Runtime::current().vars;
  call("SR_SETFASTOPEN", {Value(true)});
  Value result(-1);
  Value banco("");
  for (std::string_view key : {"BANCO", "BANCOFB", "BANCOFBODBC", "BANCOMYSQL"}) {
    banco = read_key(key, "", file);
    vars.declare_public("CBANCO", banco);
    if (banco.empty()) continue;
    const std::string name = banco.text();
    if (key == "BANCO") {
      result = call("SR_ADDCONNECTION", {call("SR_DETECTDBFROMDSN", {banco}), banco});
    } else if (key == "BANCOFB") {
      result = call(
          "SR_ADDCONNECTION",
          {Value(6), Value("Firebird=" + name + ";;Uid=SYSDBA;Pwd=glowbrisk;;charset=WIN1252")});
    } else if (key == "BANCOFBODBC") {
      result = call("SR_ADDCONNECTION", {Value(1), Value("dsn=" + name + ";")});
    } else {
      result = call("SR_ADDCONNECTION", {Value(3), Value("MySQL=" + name + ";")});
    }
    break;
  }
  vars.declare_public("NCNN", result);
}

}  // namespace

bool ISDBSQL(std::string_view driver) {
  std::string d = driver.empty() ? Runtime::current().settings.default_driver : upper_name(driver);
  return d.find("SQL") != std::string::npos;
}

bool driver_available(std::string_view driver) {
  std::string d = upper_name(trim(driver));
  return d == "DBFNTX" || d == "DBFCDX" || d == "SQLRDD";
}

bool set_default_driver(std::string_view driver) {
  if (driver_available(driver)) {
    Runtime::current().settings.default_driver = upper_name(trim(driver));
    return true;
  }
  ErrorRecord e;
  e.gencode = gen::kArgument;
  e.subsystem = "DBCMD";
  e.subcode = 1015;
  e.description = "Argument error";
  e.operation = "RDDSETDEFAULT";
  e.args = {Value(driver)};
  e.can_default = true;
  raise_error(e);
  return false;
}

void choose_table_drivers(std::string_view file) {
  SessionVars& vars = Runtime::current().vars;
  Value rdd = read_key("RDD", "DBFNTX", file);
  vars.declare_public("CRDDDEFAULT", rdd);
  set_default_driver(rdd.text());
  Value xbase = read_key("RDDXBASE", ISDBSQL() ? "DBFNTX" : rdd.text(), file);
  vars.declare_public("CRDDXBASE", xbase);
  if (ISDBSQL()) connect_sql(file);
}

}  // namespace codfix
