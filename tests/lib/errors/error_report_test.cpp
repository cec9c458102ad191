// The report the handler writes to ERRO.LOG, line by line.
#include "lib/errors/error_report.h"

#include <gtest/gtest.h>

#include <optional>

#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "platform/console/console.h"
#include "platform/dbf/work_areas.h"
#include "platform/sys/environment.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

class ErrorReport : public testing::LibraryTest {};

std::vector<std::string> lines_of(const std::string& report) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = report.find("\r\n", start);
    out.push_back(report.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return out;
}

TEST_F(ErrorReport, EveryLineInOrder) {
  rt().vars.declare_public("CFILESISTEMA", Value("CODFIX12.usr"));
  screen().keyboard().set_last_key(13);
  std::optional<dbf::WorkAreas> areas;
  areas.emplace();
  ASSERT_TRUE(areas->create("A", {{"NOME", 'C', 10, 0}}));
  ASSERT_TRUE(areas->create("B", {{"NOME", 'C', 10, 0}}));
  ASSERT_GT(areas->use("A"), 0);
  dbf::IndexOptions index;
  index.key = "NOME";
  ASSERT_TRUE(areas->current()->create_index("A1", index));
  ASSERT_GT(areas->use("B"), 0);

  RoutineScope main("MAIN", "CODFIX.PRG", 7);
  RoutineScope abre("ABREARQ", "ABREARQ.PRG", 120);
  RoutineScope callback("(b)ERRORSYS", "ERRORSYS.PRG", 12);
  RoutineScope handler("DEFERROR", "ERRORSYS.PRG");

  ErrorRecord e;
  e.gencode = 21;
  e.subsystem = "DBFNTX";
  e.subcode = 1001;
  e.description = "Open error";
  e.filename = "/D/A.DBF";
  e.oscode = 2;
  e.args = {Value(1), Value("abc")};
  e.can_default = true;
  std::vector<std::string> expected = {
      "CODFIX12.usr",
      "Sistema Operacional: " + sys::os_name_version(),
      sys::platform_version(),
      "SubSystem  : DBFNTX",
      "SubCode    : 1001",
      "Description: Open error",
      "Operation  : ",
      "FileName   : /D/A.DBF",
      "OsCode     : 2",
      "Args       : 1, abc",
      "CanDefault : Verdadeiro",
      "CanRetry   : Falso",
      "CanSubstit : Falso",
      "Cargo      : Nil",
      "GenCode    : 21",
      "Severity   : 2",
      "Tries      : 0",
      "",
      "LASTKEY    : 13",
      "DATE FORMAT: dd/mm/yy",
      "PATH       : ",
      "DEFAULT    : ",
      "DELETED    : Falso",
      "DEVICE     : SCREEN",
      "EXTRA      : Falso",
      "EXTRAFILE  : ",
      "PRINTER    : Falso",
      "PRINTFILE  : ",
      "------Rotinas-------",
      "ABREARQ(120)",
      "CODFIX->MAIN(7)",
      "------------Tabelas abertas-------------",
      "A ->A1*",
      "B*",
  };
  EXPECT_EQ(lines_of(error_report(e)), expected);
}

TEST_F(ErrorReport, WithoutSessionOrTablesThoseLinesAreLeftOut) {
  ErrorRecord e;
  e.operation = "TOLEAUTO:OPEN";
  last_automation_error() = {"Classe não registrada", 80040154};
  std::vector<std::string> lines = lines_of(error_report(e));
  EXPECT_EQ(lines.front().rfind("Sistema Operacional: ", 0), 0u);
  EXPECT_EQ(lines[lines.size() - 2], "(Classe não registrada 80040154)");
  EXPECT_EQ(lines.back(), "------Rotinas-------");
  last_automation_error() = {};
}

}  // namespace
}  // namespace codfix
