// The installed handler end to end: errors raised by the table engine and the
// expression evaluator, the box the operator sees, the answers, the report in
// ERRO.LOG and the end of the program.
#include "lib/errors/error_handler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/errors/log_files.h"
#include "platform/console/keys.h"
#include "platform/dbf/work_areas.h"
#include "platform/expr/expr.h"
#include "platform/text/codepage.h"
#include "tests/lib/errors/box_reader.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

namespace key = console::key;

class ErrorHandler : public testing::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    register_log_routines();
    register_error_handler_routines();
    ERRORSYS();
    areas_.emplace();
  }
  void TearDown() override {
    areas_.reset();
    LibraryTest::TearDown();
  }
  dbf::WorkAreas& areas() { return *areas_; }
  testing::ShownBox box() { return testing::read_box(screen().screen()); }
  std::string log_utf8() { return text::cp850_to_utf8(get("ERRO.LOG")); }
  static int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
  }
  // Runs `body` and returns the exit code it ended the program with (-1: it did not).
  template <class F>
  int exit_code(F&& body) {
    try {
      body();
    } catch (const ProgramExit& e) {
      return e.code;
    }
    return -1;
  }

 private:
  std::optional<dbf::WorkAreas> areas_;
};

TEST_F(ErrorHandler, TableHeldElsewhereSetsTheNetworkFlagQuietly) {
  ASSERT_TRUE(areas().create("KVITEM", {{"PRODUTO", 'C', 10, 0}}));
  dbf::UseOptions exclusive;
  exclusive.exclusive = true;
  ASSERT_GT(areas().use("KVITEM", exclusive), 0);
  dbf::UseOptions shared;
  shared.alias = "OUTRA";
  EXPECT_EQ(areas().use("KVITEM", shared), 0);
  EXPECT_TRUE(rt().net_error);
  EXPECT_FALSE(has("ERRO.LOG"));
  EXPECT_FALSE(box().found);

  rt().net_error = false;
  ErrorRecord append;
  append.gencode = gen::kAppendLock;
  append.can_default = true;
  EXPECT_EQ(raise_error(append).action, ErrorAction::Default);
  EXPECT_TRUE(rt().net_error);
  EXPECT_FALSE(has("ERRO.LOG"));
}

TEST_F(ErrorHandler, DivisionByZeroIsZeroWithoutLog) {
  Value v = expr::evaluate("10 / 0");
  ASSERT_TRUE(v.is_number());
  EXPECT_EQ(v.as_double(), 0);
  EXPECT_FALSE(has("ERRO.LOG"));
}

TEST_F(ErrorHandler, MissingTableEscShowsTheBoxAgainRetryThenOkEndsTheProgram) {
  RoutineScope main("MAIN", "CODFIX.PRG", 7);
  const std::string path = folder() + "/KVITEM.DBF";
  std::vector<testing::ShownBox> seen;
  headless()
      .then([&] { seen.push_back(box()); })
      .key(key::kEsc)
      .then([&] { seen.push_back(box()); })
      .key('r')  // Repetir
      .then([&] { seen.push_back(box()); })
      .key(key::kEnter);  // Ok, the first button
  ::testing::internal::CaptureStderr();
  int code = exit_code([&] { areas().use("KVITEM"); });
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 1);

  ASSERT_EQ(seen.size(), 3u);
  for (const testing::ShownBox& b : seen) {
    ASSERT_TRUE(b.found);
    // An empty first line, the OS text, the path (cut at the box's width), the DOS error.
    ASSERT_GE(b.lines.size(), 4u);
    EXPECT_EQ(b.lines[0], "");
    EXPECT_EQ(b.lines[1], "Arquivo näo existe");
    std::string shown_path;
    for (std::size_t i = 2; i + 1 < b.lines.size(); ++i) shown_path += b.lines[i];
    EXPECT_EQ(shown_path, "(" + path + ")");
    EXPECT_EQ(b.lines.back(), "(Erro do DOS 2)");
    EXPECT_EQ(b.buttons, "Ok    Repetir");
  }

  std::string log = log_utf8();
  EXPECT_EQ(count(log, "SubSystem  : DBFNTX\r\n"), 2);
  EXPECT_EQ(count(log, "FileName   : " + path + "\r\n"), 2);
  EXPECT_EQ(count(log, "OsCode     : 2\r\n"), 2);
  EXPECT_EQ(count(log, "Tries      : 0\r\n"), 1);
  EXPECT_EQ(count(log, "Tries      : 1\r\n"), 1);
  EXPECT_EQ(count(log, "------Rotinas-------\r\nCODFIX->MAIN(7)\r\n"), 2);

  EXPECT_NE(err.find("\r\nError DBFNTX/1001  Open error: " + path +
                     "( DOS ERROR 2)\r\nCalled from CODFIX->MAIN(7)"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("\r\nPressione qualquer tecla...\r\n"), std::string::npos) << err;
}

TEST_F(ErrorHandler, WithoutTerminalTheMessageGoesToTheErrorStream) {
  headless().set_interactive(false);
  RoutineScope main("MAIN", "CODFIX.PRG", 7);
  RoutineScope check("CHKESTPROD", "CODFIX.PRG", 55);
  ::testing::internal::CaptureStderr();
  int code = exit_code([&] { areas().use("KVITEM"); });
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 1);
  EXPECT_EQ(err, "\r\n;Arquivo näo existe;(" + folder() +
                     "/KVITEM.DBF) (DOS Error 2) \r\nCalled from CODFIX->CHKESTPROD(55)\r\nCalled "
                     "from CODFIX->MAIN(7)");
  EXPECT_NE(log_utf8().find("OsCode     : 2\r\n"), std::string::npos);
}

TEST_F(ErrorHandler, CreateInAMissingFolderOffersToCreateIt) {
  testing::ShownBox shown;
  headless().then([&] { shown = box(); }).key('c');  // Criar Pasta
  EXPECT_TRUE(areas().create("NOVA/SUB/T.DBF", {{"NOME", 'C', 10, 0}}));
  ASSERT_TRUE(shown.found);
  EXPECT_EQ(shown.lines[0], "Erro criando arquivo");
  EXPECT_EQ(shown.buttons, "Ok    Repetir    Criar Pasta");
  EXPECT_TRUE(std::filesystem::exists(folder() + "/NOVA/SUB/T.DBF"));
}

TEST_F(ErrorHandler, UndefinedVariableNamesTheRoutineAndDefaultGivesUp) {
  RoutineScope check("CHKESTPROD", "CODFIX.PRG", 55);
  testing::ShownBox shown;
  headless().then([&] { shown = box(); }).key('d');  // Default
  Value v = expr::evaluate("NAOEXISTE");
  EXPECT_TRUE(v.is_nil());
  ASSERT_TRUE(shown.found);
  std::vector<std::string> expected = {"Variavel não existe : NAOEXISTE",
                                       "\"CODFIX->CHKESTPROD(55)\""};
  EXPECT_EQ(shown.lines, expected);
  EXPECT_EQ(shown.buttons, "Quit    Retry    Default");
}

TEST_F(ErrorHandler, CorruptIndexAsksForAReindexWithOnlyOk) {
  ASSERT_TRUE(areas().create("KVPROD", {{"CODIGO", 'C', 10, 0}}));
  put("KVPROD.NTX", std::string(1024, '\x7F'));
  ASSERT_GT(areas().use("KVPROD"), 0);
  testing::ShownBox shown;
  headless().then([&] { shown = box(); }).key(key::kEnter);
  ::testing::internal::CaptureStderr();
  int code = exit_code([&] { areas().current()->add_index("KVPROD.NTX"); });
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 1);
  ASSERT_TRUE(shown.found);
  ASSERT_GE(shown.lines.size(), 3u);
  EXPECT_EQ(shown.lines[0], "Erro DBFNTX/1012 na abertura do arquivo");
  EXPECT_EQ(shown.lines.back(), "É necessário reindexar sua base de dados");
  EXPECT_EQ(shown.buttons, "Ok");
  // _SAIR closed the tables.
  EXPECT_TRUE(areas().open_areas().empty());
}

TEST_F(ErrorHandler, ValueTooWideNamesTheField) {
  ASSERT_TRUE(areas().create("T", {{"VALOR", 'N', 5, 2}}));
  ASSERT_GT(areas().use("T"), 0);
  ASSERT_TRUE(areas().current()->append_blank());
  testing::ShownBox shown;
  headless().then([&] { shown = box(); }).key(key::kEnd).key(key::kEnter);  // the last button
  int code = exit_code([&] { areas().current()->put(0, Value(123456)); });
  ASSERT_TRUE(shown.found);
  std::vector<std::string> expected = {"Erro DBFNTX/1021 Tamanho do dado muito longo:",
                                       "T->VALOR, N, 5, 2"};
  EXPECT_EQ(shown.lines, expected);
  if (shown.buttons == "Quit") {
    EXPECT_EQ(code, 1);
  }
}

TEST_F(ErrorHandler, OutOfFileHandlesOffersToConfigureTheSystem) {
  int configured = 0;
  routines().add("CHKCFG", [&](const Args& a) {
    EXPECT_FALSE(a.logical(2, true));
    ++configured;
    return Value(true);
  });
  ErrorRecord e;
  e.gencode = gen::kOpen;
  e.subsystem = "DBFNTX";
  e.subcode = 1001;
  e.oscode = 4;
  e.filename = "/D/A.DBF";
  e.can_retry = true;
  e.can_default = true;

  // "Cancelar": the error's own box follows, with only "Ok".
  testing::ShownBox question, shown;
  headless()
      .then([&] { question = box(); })
      .key(key::kRight)
      .key(key::kEnter)
      .then([&] { shown = box(); })
      .key(key::kEnter);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(exit_code([&] { raise_error(e); }), 1);
  ::testing::internal::GetCapturedStderr();
  std::vector<std::string> asked = {"Atençao !", "É necessário configurar os arquivos do sistema",
                                    "operacional para o correto funcionamento do sistema"};
  EXPECT_EQ(question.lines, asked);
  EXPECT_EQ(question.buttons, "Configurar agora    Cancelar");
  std::vector<std::string> expected = {"", "Muitos arquivos abertos", "(/D/A.DBF)",
                                       "(Erro do DOS 4)"};
  EXPECT_EQ(shown.lines, expected);
  EXPECT_EQ(shown.buttons, "Ok");
  EXPECT_EQ(configured, 0);

  // "Configurar agora": CHKCFG, then the program ends.
  headless().key(key::kEnter);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(exit_code([&] { raise_error(e); }), 1);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(configured, 1);
  routines().remove("CHKCFG");
}

TEST_F(ErrorHandler, ConnectNowCallsThePrinterPortRoutine) {
  // Until the printer-port routines exist, CAPIMP reports failure.
  Value args[] = {Value(true)};
  EXPECT_EQ(routines().call("CAPIMP", args).logical_or(true), false);
}

}  // namespace
}  // namespace codfix
