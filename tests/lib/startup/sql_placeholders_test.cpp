// The SQL back-end's placeholders: fixed answers, and the few that look at the
// DBF files.
#include "lib/startup/sql_placeholders.h"

#include <gtest/gtest.h>

#include "lib/settings/value_text.h"
#include "tests/lib/startup/startup_fixture.h"

namespace codfix {
namespace {

class SqlPlaceholders : public testing::StartupTest {
 protected:
  Value call(std::string_view name, std::vector<Value> args = {}) {
    return routines().call(name, args);
  }
};

TEST_F(SqlPlaceholders, FixedAnswers) {
  struct Answer {
    const char* routine;
    const char* shown;  // X_TO_C of the result
  };
  const Answer answers[] = {
      {"SR_ADDCONNECTION", "-1"},    {"SR_END", "Nil"},
      {"SR_DETECTDBFROMDSN", "Nil"}, {"SQLRDD", "Nil"},
      {"SR_FIREBIRD", "Nil"},        {"SR_SETRDDTEMP", "DBFNTX"},
      {"SR_CHANGESTRUCT", "Falso"},  {"SR_SETFASTOPEN", "Verdadeiro"},
      {"ISSQLWORKAREA", "Falso"},    {"SR_VERSION", "xBase"},
      {"SR_STARTLOG", "Verdadeiro"}, {"SR_ALLINCACHE", "Falso"},
      {"SR_SETFILTER", "Nil"},       {"FREETSLICE", "Nil"},
  };
  for (const Answer& a : answers) {
    EXPECT_EQ(X_TO_C(call(a.routine, {Value("x"), Value(1)})), a.shown) << a.routine;
    EXPECT_EQ(X_TO_C(call(a.routine)), a.shown) << a.routine;
  }
  rt().settings.default_driver = "DBFCDX";
  EXPECT_EQ(call("SR_SETRDDTEMP").text(), "DBFCDX");
}

TEST_F(SqlPlaceholders, FilesOfTheDefaultDriver) {
  put("CLIENTES.DBF", "x");
  put("CLIENTES.NTX", "x");
  EXPECT_TRUE(call("SR_FILE", {Value("CLIENTES.DBF")}).logical());
  EXPECT_FALSE(call("SR_FILE", {Value("NADA.DBF")}).logical());
  EXPECT_FALSE(call("SR_FILE").logical());
  EXPECT_TRUE(call("SR_EXISTTABLE", {Value("clientes")}).logical());
  EXPECT_FALSE(call("SR_EXISTTABLE", {Value("nada")}).logical());
  EXPECT_TRUE(call("SR_EXISTINDEX", {Value("clientes")}).logical());
  rt().settings.default_driver = "DBFCDX";
  EXPECT_FALSE(call("SR_EXISTINDEX", {Value("clientes")}).logical());
  rt().settings.default_driver = "DBFNTX";

  EXPECT_TRUE(call("SR_DROPINDEX", {Value("clientes.ntx")}).is_nil());
  EXPECT_FALSE(has("CLIENTES.NTX"));
  EXPECT_TRUE(call("SR_DROPTABLE", {Value("clientes.dbf")}).is_nil());
  EXPECT_FALSE(has("CLIENTES.DBF"));
  EXPECT_TRUE(call("SR_DROPTABLE", {Value("nada")}).is_nil());  // nothing to drop
}

}  // namespace
}  // namespace codfix
