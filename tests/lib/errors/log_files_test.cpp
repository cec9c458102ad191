#include "lib/errors/log_files.h"

#include <gtest/gtest.h>

#include "lib/settings/settings_file.h"
#include "platform/fs/file_ops.h"
#include "platform/fs/whole_file.h"
#include "platform/fs/wildcard.h"
#include "platform/text/literal.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

using namespace text::literals;

class LogFiles : public testing::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    register_log_routines();
    setenv("USERNAME", "ana", 1);
  }
};

TEST_F(LogFiles, HeaderBlockOfTheFirstEntry) {
  rt().vars.declare_public("c_Versao", Value("v1.2"));
  rt().vars.declare_public("CUSERLOG", Value("caixa"));
  GRAVALOG("CODFIX.LOG", Value("primeira"));
  std::string log = get("CODFIX.LOG");
  std::string underscores(80, '_');
  ASSERT_EQ(log.substr(0, 82), underscores + "\r\n");
  std::string rest = log.substr(82);
  std::string prefix("Terminal/Usuário: "_cp850);
  ASSERT_EQ(rest.substr(0, prefix.size()), prefix);
  EXPECT_TRUE(fs::wildcard_match("*/ana/caixa\r\nv1.2  Data: ?\?/?\?/?? as ??:??\r\nprimeira\r\n",
                                 rest.substr(prefix.size())))
      << rest;
}

TEST_F(LogFiles, HeadlessEntriesAppendDirectly) {
  GRAVALOG("A.LOG", Value("um"), false);
  GRAVALOG("A.LOG", Value("dois"), false, false);
  GRAVALOG("A.LOG", Value(3), false);
  EXPECT_EQ(get("A.LOG"), "um\r\ndois3\r\n");
}

TEST_F(LogFiles, RestartsAt63000Bytes) {
  put("A.LOG", std::string(62990, 'x'));
  GRAVALOG("A.LOG", Value("123456789"), false);  // 62990 + 9 < 63000: appended
  EXPECT_EQ(get("A.LOG").size(), 62990u + 9 + 2);
  GRAVALOG("A.LOG", Value("z"), false);
  EXPECT_EQ(get("A.LOG"), "Arquivo re-criado \r\nz\r\n");
}

TEST_F(LogFiles, CallStackInnermostFirst) {
  RoutineScope outer("MAIN", "CODFIX.PRG", 10);
  RoutineScope inner("CHKESTPROD", "CODFIX.PRG", 55);
  Value stack = GETCALLSTACK();
  ASSERT_EQ(stack.items().size(), 2u);
  EXPECT_EQ(stack.at(1).at(1).text(), "CODFIX.PRG->CHKESTPROD(55)");
  EXPECT_EQ(stack.at(2).at(1).text(), "CODFIX.PRG->MAIN(10)");
}

TEST_F(LogFiles, RecordLog) {
  std::string log = record_log_path();
  (void)fs::remove_file(log);
  GRAVALOG_("venda.log", "linha\r1");
  GRAVALOG_("VENDA", "mais", false);
  GRAVALOG_("VENDA", "outra");
  // The log lies beside the executable, under its upper-cased name.
  std::string text = fs::read_file(log).value_or("");
  (void)fs::remove_file(log);
  EXPECT_TRUE(fs::wildcard_match(
      "\r\n\"ID\";\"Terminal\";\"Usuario\";\"Versao\";\"Data\";\"Hora\";\"Ocorrencia\";\r\n"
      "\"VENDA\";\"*\";\"*\";\"\";\"?\?/?\?/??\";\"??:??:??\";\"\"linha1\"\n"
      "\"mais\"\";\r\n"
      "\"VENDA\";*;\"\"outra\"",
      text))
      << text;
  // An identifier found in the log's own path writes nothing.
  GRAVALOG_("", "nada");
  EXPECT_FALSE(fs::exists(log));
}

}  // namespace
}  // namespace codfix
