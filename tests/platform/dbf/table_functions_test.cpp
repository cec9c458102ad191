// The table functions as expressions call them.
#include "platform/dbf/table_functions.h"

#include <gtest/gtest.h>

#include "platform/dbf/work_areas.h"
#include "platform/expr/expr.h"
#include "tests/platform/dbf/dbf_test_support.h"

namespace codfix::dbf {
namespace {

class TableFunctions : public testing::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    expr::register_standard_functions();
    register_table_functions();
    areas_ = std::make_unique<WorkAreas>();
  }
  void TearDown() override {
    areas_.reset();
    ScratchTest::TearDown();
  }
  Value eval(const std::string& text) { return expr::evaluate(text); }
  std::unique_ptr<WorkAreas> areas_;
};

TEST_F(TableFunctions, StateFieldsAndAreas) {
  EXPECT_EQ(eval("RECNO()").as_double(), 0);
  EXPECT_EQ(eval("ALIAS()").text(), "");
  copy_fixture("ntx/KVITEM.DBF");
  copy_fixture("ntx/KVITEM.NTX");
  copy_fixture("shapes/PLANO03.DBF");
  eval("DBUSEAREA(.T., 'DBFNTX', '" + at("KVITEM") + "', 'ITEM', .T.)");
  eval("DBSETINDEX('" + at("KVITEM.NTX") + "')");
  eval("DBUSEAREA(.T., , '" + at("PLANO03") + "', , .T., .T.)");
  EXPECT_EQ(eval("SELECT()").as_double(), 2);
  EXPECT_EQ(eval("SELECT('item')").as_double(), 1);
  EXPECT_EQ(eval("ALIAS(1)").text(), "ITEM");
  EXPECT_EQ(eval("DBF()").text(), "PLANO03");
  EXPECT_EQ(eval("LASTREC()").as_double(), 80);
  EXPECT_EQ(eval("FCOUNT()").as_double(), 4);
  EXPECT_EQ(eval("FIELDPOS('valor')").as_double(), 3);
  EXPECT_EQ(eval("FIELDNAME(2)").text(), "NOME");
  EXPECT_EQ(eval("FIELDGET(1)").text(), "46261130");
  EXPECT_EQ(eval("LEN(DBSTRUCT())").as_double(), 4);
  EXPECT_EQ(eval("DBSTRUCT()[3][4]").as_double(), 2);
  eval("DBGOTO(11)");
  EXPECT_TRUE(eval("DELETED()").logical());
  eval("DBGOBOTTOM()");
  eval("DBSKIP()");
  EXPECT_TRUE(eval("EOF()").logical());
  EXPECT_EQ(eval("RECNO()").as_double(), 81);
  // Another area through its alias, then back.
  EXPECT_EQ(eval("ITEM->(RECNO())").as_double(), 6);  // the first in KVITEM.NTX order
  EXPECT_EQ(eval("ITEM->(INDEXKEY(1))").text(), "PRODUTO");
  EXPECT_TRUE(eval("ITEM->(DBSEEK('Zebra'))").logical());
  EXPECT_EQ(eval("ITEM->(ORDKEYNO())").as_double(), 10);
  EXPECT_EQ(eval("SELECT()").as_double(), 2);
  EXPECT_FALSE(eval("NETERR()").logical());
  EXPECT_FALSE(eval("NETERR(.T.)").logical());
  EXPECT_TRUE(eval("NETERR()").logical());
  eval("DBCLOSEALL()");
  EXPECT_FALSE(eval("USED()").logical());
  EXPECT_TRUE(errors_.empty());
}

TEST_F(TableFunctions, CreateAppendAndLocks) {
  eval("DBCREATE('" + at("NOVA") + "', {{'NOME','C',10,0},{'QTD','N',5,0}}, 'DBFNTX', .T.)");
  ASSERT_TRUE(eval("USED()").logical());
  EXPECT_EQ(eval("ALIAS()").text(), "NOVA");
  eval("DBAPPEND()");
  eval("FIELDPUT(1, 'um')");
  eval("QTD := 7");
  eval("DBCOMMIT()");
  EXPECT_EQ(eval("LASTREC()").as_double(), 1);
  EXPECT_EQ(eval("QTD").as_double(), 7);
  EXPECT_TRUE(eval("RLOCK()").logical());  // exclusive: always
  EXPECT_TRUE(errors_.empty());
}

}  // namespace
}  // namespace codfix::dbf
