// The table drivers chosen from the program's settings file, and the SQL
// back-end's connection requested through the placeholders.
#include "lib/startup/table_driver.h"

#include <gtest/gtest.h>

#include "lib/settings/value_text.h"
#include "lib/startup/application.h"
#include "lib/startup/sql_placeholders.h"
#include "platform/text/codepage.h"
#include "tests/lib/startup/startup_fixture.h"

namespace codfix {
namespace {

struct DriverCase {
  const char* name;
  const char* settings;  // nullptr: no settings file
  const char* driver;
  const char* xbase;
  const char* banco;       // nullptr: CBANCO not created
  const char* connection;  // the SR_ADDCONNECTION arguments, "" when none was asked
};

const DriverCase kDriverCases[] = {
    {"no settings file", nullptr, "DBFNTX", "DBFNTX", nullptr, ""},
    {"cdx", "RDD=DBFCDX\r\n", "DBFCDX", "DBFCDX", nullptr, ""},
    {"cdx with local ntx", "RDD=DBFCDX\r\nRDDXBASE=DBFNTX\r\n", "DBFCDX", "DBFNTX", nullptr, ""},
    {"lower case name", "rdd=dbfcdx\r\n", "DBFCDX", "dbfcdx", nullptr, ""},
    {"sql by dsn", "RDD=SQLRDD\r\nBANCO=ERP\r\n", "SQLRDD", "DBFNTX", "ERP", "DSN:ERP, ERP"},
    {"sql firebird", "RDD=SQLRDD\r\nBANCOFB=dados\r\n", "SQLRDD", "DBFNTX", "dados",
     "6, Firebird=dados;;Uid=SYSDBA;Pwd=glowbrisk;;charset=WIN1252"},
    {"sql firebird odbc", "RDD=SQLRDD\r\nBANCOFBODBC=odbc1\r\n", "SQLRDD", "DBFNTX", "odbc1",
     "1, dsn=odbc1;"},
    {"sql mysql", "RDD=SQLRDD\r\nBANCOMYSQL=loja\r\n", "SQLRDD", "DBFNTX", "loja",
     "3, MySQL=loja;"},
    {"sql first key wins", "RDD=SQLRDD\r\nBANCOMYSQL=loja\r\nBANCO=ERP\r\n", "SQLRDD", "DBFNTX",
     "ERP", "DSN:ERP, ERP"},
    {"sql without connection", "RDD=SQLRDD\r\n", "SQLRDD", "DBFNTX", "", ""},
    {"sql with local cdx", "RDD=SQLRDD\r\nRDDXBASE=DBFCDX\r\n", "SQLRDD", "DBFCDX", "", ""},
};

class TableDriver : public testing::StartupTest, public ::testing::WithParamInterface<DriverCase> {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    routines().add("SR_ADDCONNECTION", [this](const Args& a) {
      connections_.push_back(X_TO_C(Value::array({a.all().begin(), a.all().end()})));
      return Value(-1);
    });
    routines().add("SR_DETECTDBFROMDSN", [](const Args& a) { return Value("DSN:" + a.text(1)); });
    routines().add("SR_SETFASTOPEN", [this](const Args& a) {
      fast_open_ = a.logical(1, false);
      return Value(true);
    });
  }
  void TearDown() override {
    register_sql_placeholders();
    StartupTest::TearDown();
  }
  std::vector<std::string> connections_;
  bool fast_open_ = false;
};

TEST_P(TableDriver, FromTheSettingsFile) {
  const DriverCase& c = GetParam();
  const std::string file = NOME_APLICACAO() + ".CFG";
  if (c.settings) put(file, c.settings);
  std::vector<int> errors;
  rt().error_handler = [&](ErrorRecord& e) {
    errors.push_back(e.gencode);
    return ErrorAnswer::fail();
  };
  choose_table_drivers(file);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(rt().settings.default_driver, c.driver);
  EXPECT_EQ(text::upper(rt().vars.get("CRDDDEFAULT").text()), c.driver);
  EXPECT_EQ(rt().vars.get("CRDDXBASE").text(), c.xbase);
  const bool sql = std::string(c.driver) == "SQLRDD";
  EXPECT_EQ(ISDBSQL(), sql);
  EXPECT_EQ(fast_open_, sql);
  if (c.banco) {
    EXPECT_EQ(rt().vars.get("CBANCO").text(), c.banco);
    EXPECT_EQ(rt().vars.get("NCNN").as_double(), -1);
  } else {
    EXPECT_FALSE(rt().vars.exists("CBANCO"));
    EXPECT_FALSE(rt().vars.exists("NCNN"));
  }
  if (*c.connection) {
    EXPECT_EQ(connections_, std::vector<std::string>{c.connection});
  } else {
    EXPECT_TRUE(connections_.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, TableDriver, ::testing::ValuesIn(kDriverCases),
                         [](const auto& test) {
                           std::string n = test.param.name;
                           for (char& ch : n)
                             if (ch == ' ') ch = '_';
                           return n;
                         });

class DriverChoice : public testing::StartupTest {};

TEST_F(DriverChoice, AnUnknownDriverGoesToTheErrorHandler) {
  const std::string file = NOME_APLICACAO() + ".CFG";
  put(file, "RDD=FOXPRO\r\n");
  std::vector<ErrorRecord> errors;
  rt().error_handler = [&](ErrorRecord& e) {
    errors.push_back(e);
    return ErrorAnswer::fail();
  };
  choose_table_drivers(file);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].gencode, 1);
  EXPECT_EQ(errors[0].subsystem, "DBCMD");
  EXPECT_EQ(errors[0].subcode, 1015);
  EXPECT_EQ(errors[0].operation, "RDDSETDEFAULT");
  ASSERT_EQ(errors[0].args.size(), 1u);
  EXPECT_EQ(errors[0].args[0].text(), "FOXPRO");
  EXPECT_TRUE(errors[0].can_default);
  EXPECT_EQ(rt().settings.default_driver, "DBFNTX");
  EXPECT_EQ(rt().vars.get("CRDDDEFAULT").text(), "FOXPRO");
}

TEST_F(DriverChoice, IsDbSql) {
  EXPECT_TRUE(ISDBSQL("SQLRDD"));
  EXPECT_TRUE(ISDBSQL("sqlrdd"));
  EXPECT_FALSE(ISDBSQL("DBFNTX"));
  EXPECT_FALSE(ISDBSQL());
  rt().settings.default_driver = "SQLRDD";
  EXPECT_TRUE(ISDBSQL());
  Value sql[] = {Value("MYSQL")};
  EXPECT_TRUE(routines().call("ISDBSQL", sql).logical());
  EXPECT_TRUE(routines().call("ISDBSQL", {}).logical());
}

}  // namespace
}  // namespace codfix
