#include "lib/settings/settings_file.h"

#include <gtest/gtest.h>

#include "lib/core/active_field.h"
#include "lib/errors/log_files.h"
#include "lib/settings/memo_file.h"
#include "platform/console/keys.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

class SettingsFile : public testing::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    register_settings_routines();
    register_log_routines();
  }
  Value read(const Value& id, const Value& def = Value(), std::string_view file = "S.CFG") {
    return LIB_READMEMO(id, false, def, file);
  }
  static Value section(std::string_view s, std::string_view k) {
    return Value::array({Value(std::string(s)), Value(std::string(k))});
  }
};

TEST_F(SettingsFile, ReaderConvertsToTheDefaultsType) {
  put("S.CFG", "K=12  \r\nL=true\r\nD=07/03/2025\r\n");
  EXPECT_EQ(read("K", Value("")).text(), "12");
  EXPECT_EQ(read("k", Value(0)).as_double(), 12);
  EXPECT_TRUE(read("L", Value(false)).logical());
  EXPECT_EQ(read("D", Value::date(0)).as_date().day, 2460742);
  EXPECT_EQ(read("missing", Value("def")).text(), "def");
  EXPECT_TRUE(read("missing").is_nil());
  EXPECT_EQ(LIB_READMEMO(Value("K"), false, Value(), "NOFILE.CFG").type_letter(), 'U');
}

TEST_F(SettingsFile, ReaderTakesLinesAsTheyStand) {
  struct Case {
    const char* text;
    const char* key;
    const char* expected;  // nullptr: the default
  } cases[] = {
      {"K=1", "K", nullptr},                  // unterminated last line is not seen
      {"A=0\nK=1\n", "K", nullptr},           // LF alone ends no line
      {"K = 1\r\n", "K", nullptr},            // the key is "K "
      {"=K==1 \r\n", "K", "=1"},              // leading '=' skipped, further '=' kept
      {"K= lead\r\n", "K", " lead"},          // leading blanks are part of the value
      {"K=1\r\nK=2\r\n", "K", "1"},           // the first match wins
      {"KEYONLY\r\n", "KEYONLY", "KEYONLY"},  // a line without '=' equal to the key
      {" K=1\r\n", "K", nullptr},
  };
  for (const Case& c : cases) {
    put("S.CFG", c.text);
    Value v = read(c.key, Value("default"));
    EXPECT_EQ(v.text(), c.expected ? c.expected : "default") << c.text;
  }
}

TEST_F(SettingsFile, SectionsOnReading) {
  put("S.CFG", "K=top\r\n[SEC1]\r\nK=one\r\n[sec2]\r\nK=two\r\n[SEC3]\r\n");
  EXPECT_EQ(read("K").text(), "top");
  EXPECT_EQ(read(section("SEC2", "K")).text(), "two");
  EXPECT_EQ(read(section("[SEC2]", "K")).text(), "two");
  EXPECT_EQ(read(section("SEC1", "K")).text(), "one");
  EXPECT_TRUE(read(section("SEC3", "K")).is_nil());
}

TEST_F(SettingsFile, WriterRules) {
  // A new key under a missing section of an empty file.
  PUTMEMO(section("SEC", "K"), false, Value("v"), "S.CFG");
  EXPECT_EQ(get("S.CFG"), "[SEC]\r\nK=v\r\n");
  // New keys keep trailing blanks; replacing writes them trimmed.
  PUTMEMO(Value("N"), false, Value("x  "), "T.CFG");
  EXPECT_EQ(get("T.CFG"), "N=x  \r\n");
  PUTMEMO(Value("n"), false, Value("y  "), "T.CFG");
  EXPECT_EQ(get("T.CFG"), "n=y\r\n");
  // Deleting removes every line of the key in the range and leaves no blank line.
  put("U.CFG", "A=1\r\nK=1\r\nB=2\r\nK=3\r\n");
  PUTMEMO(Value("K"), false, Value(""), "U.CFG", true);
  EXPECT_EQ(get("U.CFG"), "A=1\r\nB=2\r\n");
  // The writer trims lines and keeps comments; a section ends at the next header.
  put("V.CFG", "  ; comment  \r\n[A]\r\nK=1\r\n[B]\r\nK=2\r\n");
  PUTMEMO(section("b", "K"), false, Value("9"), "V.CFG");
  EXPECT_EQ(get("V.CFG"), "; comment\r\n[A]\r\nK=1\r\n[B]\r\nK=9\r\n");
  PUTMEMO(section("A", "J"), false, Value("5"), "V.CFG");
  EXPECT_EQ(get("V.CFG"), "; comment\r\n[A]\r\nK=1\r\nJ=5\r\n[B]\r\nK=9\r\n");
}

TEST_F(SettingsFile, WritingTheCurrentValueLeavesTheFileUntouched) {
  put("S.CFG", "K=1\r\n; comment with blanks  \r\n");
  PUTMEMO(Value("K"), false, Value("1  "), "S.CFG");
  EXPECT_EQ(get("S.CFG"), "K=1\r\n; comment with blanks  \r\n");
}

TEST_F(SettingsFile, SysBecomesCfgOnlyWhenItExists) {
  EXPECT_EQ(SYSTOCFG("cookie.sys"), "cookie.sys");
  put("cookie.CFG", "");
  EXPECT_EQ(SYSTOCFG("cookie.sys"), "cookie.CFG");
  EXPECT_EQ(SYSTOCFG("KV.INI"), "KV.INI");
  PUTMEMO(Value("X"), false, Value("1"));
  EXPECT_EQ(get("cookie.CFG"), "X=1\r\n");
  EXPECT_EQ(LIB_READMEMO(Value("X")).text(), "1");
}

TEST_F(SettingsFile, PerUserKeysOfTheTwoReaders) {
  setenv("CODFIX_TEST_USER", "ANA", 1);
  rt().vars.declare_public("USERNAME", Value("CODFIX_TEST_USER"));
  PUTMEMO(Value("IMPRESSORA"), true, Value("HP"), "S.CFG");
  EXPECT_EQ(get("S.CFG"), "ANAIMPRESSORA=HP\r\n");
  EXPECT_EQ(LIB_READMEMO(Value("IMPRESSORA"), true, Value(), "S.CFG").text(), "HP");
  rt().vars.declare_public("_USR_NAME", Value("BIA"));
  EXPECT_TRUE(APP_READMEMO(Value("IMPRESSORA"), true, Value(), "S.CFG").is_nil());
  rt().vars.set("_USR_NAME", Value("ANA"));
  EXPECT_EQ(APP_READMEMO(Value("IMPRESSORA"), true, Value(), "S.CFG").text(), "HP");
  // READMEMO resolves to whichever variant is registered.
  use_application_readmemo();
  rt().vars.set("_USR_NAME", Value("BIA"));
  EXPECT_TRUE(READMEMO(Value("IMPRESSORA"), true, Value(), "S.CFG").is_nil());
  unsetenv("CODFIX_TEST_USER");
}

TEST_F(SettingsFile, ApplicationReaderWithoutUserNameRaisesTheVariableError) {
  int gencode = 0;
  std::string operation;
  rt().error_handler = [&](ErrorRecord& e) {
    gencode = e.gencode;
    operation = e.operation;
    return ErrorAnswer::fail();
  };
  APP_READMEMO(Value("K"), true, Value(), "S.CFG");
  EXPECT_EQ(gencode, gen::kNoVar);
  EXPECT_EQ(operation, "_USR_NAME");
}

class FakeField : public ActiveField {
 public:
  std::string name() const override { return "cNome"; }
  Value value() const override { return value_; }
  std::string edit_buffer() const override { return value_.text_or(""); }
  void assign(const Value& v) override { value_ = v; }
  void redisplay() override { ++redisplays; }
  Value value_ = Value("          ");
  int redisplays = 0;
};

TEST_F(SettingsFile, RememberedFormFields) {
  FakeField field;
  ActiveFieldScope active(&field);
  RoutineScope form("ATALHO", "ATALHO.PRG");
  field.value_ = Value("Joana     ");
  PUTMEMO();
  EXPECT_EQ(get("COOKIE.SYS"), "ATALHOCNOME=Joana     \r\n");  // a new key keeps its blanks
  field.value_ = Value("          ");
  GETMEMO();
  EXPECT_EQ(field.value_.text(), "Joana     ");
  EXPECT_EQ(field.redisplays, 1);
}

TEST_F(SettingsFile, MemoWriteReplacesTheWholeFile) {
  put("W.TXT", "old old old");
  EXPECT_TRUE(MEMOWRITE("W.TXT", "new"));
  EXPECT_EQ(get("W.TXT"), "new");
  std::string text = "x";
  EXPECT_TRUE(FMEMOREAD("MISSING.TXT", text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(FMEMOREAD("W.TXT", text));
  EXPECT_EQ(text, "new");
}

TEST_F(SettingsFile, FailuresAreLoggedAndAskedAbout) {
  // A folder cannot be read as a file: 3 silent retries, then the question.
  std::filesystem::create_directories("PASTA.CFG");
  headless().keys({console::key::kRight, console::key::kEnter});  // "Abortar"
  std::string text;
  EXPECT_FALSE(FMEMOREAD("PASTA.CFG", text));
  EXPECT_NE(get("ERRO.LOG").find("Erro 5 na leitura do arquivo PASTA.CFG, abortado pelo usuario"),
            std::string::npos)
      << get("ERRO.LOG");
  // A file in a missing folder cannot be opened (3): asked at once, "Repetir" then "Abortar".
  headless().keys({console::key::kEnter, console::key::kRight, console::key::kEnter});
  EXPECT_FALSE(MEMOWRITE("NOFOLDER/X.TXT", "x"));
  std::string log = get("ERRO.LOG");
  std::size_t first = log.find("Erro 3 ao abrir o arquivo;");
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find("Erro 3 ao abrir o arquivo;", first + 1), std::string::npos) << log;
  EXPECT_TRUE(headless().exhausted());
}

TEST_F(SettingsFile, WithoutATerminalAQuestionCountsAsAbortar) {
  headless().set_interactive(false);
  EXPECT_FALSE(MEMOWRITE("NOFOLDER/X.TXT", "x"));
  EXPECT_TRUE(PUTMEMO(Value("K"), false, Value("1"), "NOFOLDER/S.CFG"));
}

}  // namespace
}  // namespace codfix
