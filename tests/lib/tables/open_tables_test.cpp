#include "lib/tables/open_tables.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "lib/core/error.h"
#include "platform/console/keys.h"
#include "platform/dbf/work_areas.h"
#include "tests/support/library_test.h"
#include "tests/support/table_holder.h"

namespace codfix {
namespace {

using Holder = testing::TableHolder;

class OpenTables : public testing::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    areas_ = std::make_unique<dbf::WorkAreas>();
    // The network situations become the flag, as the application's handler does.
    rt().error_handler = [this](ErrorRecord& e) {
      errors.push_back(e.gencode);
      if ((e.gencode == gen::kOpen && e.oscode == 32 && e.can_default) ||
          (e.gencode == gen::kAppendLock && e.can_default)) {
        rt().net_error = true;
      }
      return ErrorAnswer::fail();
    };
    dbf::Structure s = {{"CODIGO", 'C', 10, 0}, {"NOME", 'C', 20, 0}};
    ASSERT_TRUE(areas_->create(folder() + "/KVPROD.DBF", s));
    ASSERT_TRUE(areas_->create(folder() + "/MEU ARQ.DBF", s));
  }
  void TearDown() override {
    areas_.reset();
    LibraryTest::TearDown();
  }
  std::unique_ptr<dbf::WorkAreas> areas_;
  std::vector<int> errors;
};

TEST_F(OpenTables, AliasesAndAreas) {
  EXPECT_EQ(alias_for("C:\\DADOS\\KVPROD.dbf"), "KVPROD");
  EXPECT_EQ(alias_for("mem:tm1234"), "TM1234");
  int a = ABREARQ(folder() + "/kvprod.dbf");
  ASSERT_GT(a, 0);
  EXPECT_EQ(areas_->current()->alias(), "KVPROD");
  int b = ABREARQ(folder() + "/MEU ARQ");
  EXPECT_NE(a, b);
  EXPECT_EQ(areas_->current()->alias(), "MEU_ARQ");
  // Already open under that alias: selected, nothing attached.
  OpenArgs with_index;
  with_index.indexes = {"NOSUCH.NTX"};
  EXPECT_EQ(ABREARQ(folder() + "/KVPROD", with_index), a);
  EXPECT_EQ(areas_->current_area(), a);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(rt().vars.get("_ABRINDO").text(), "");
  EXPECT_EQ(rt().settings.dates.epoch, 1940);
}

TEST_F(OpenTables, ModesAndTheInUseTest) {
  OpenArgs read_only;
  read_only.mode = 3;
  int a = ABREARQ(folder() + "/KVPROD", read_only);
  EXPECT_TRUE(areas_->area(a)->table().read_only());
  // Open here under the alias given: EMUSO does not test.
  EXPECT_FALSE(EMUSO("KVPROD"));
  areas_->close_all();
  EXPECT_FALSE(EMUSO(folder() + "/KVPROD"));
  EXPECT_EQ(areas_->open_areas().size(), 0u);
}

TEST_F(OpenTables, InUseElsewhere) {
  Holder other(folder() + "/KVPROD.DBF", Holder::How::kExclusive, 3);
  ASSERT_TRUE(other.held());
  EXPECT_TRUE(EMUSO(folder() + "/KVPROD"));
  headless().keys({console::key::kRight, console::key::kEnter});  // "Cancelar"
  EXPECT_TRUE(EMUSO(folder() + "/KVPROD", true));
  EXPECT_TRUE(headless().exhausted());
}

TEST_F(OpenTables, SharedOpenWaitsForTheExclusiveHolder) {
  auto start = std::chrono::steady_clock::now();
  int area;
  {
    Holder other(folder() + "/KVPROD.DBF", Holder::How::kExclusive, 1.5);
    ASSERT_TRUE(other.held());
    area = ABREARQ(folder() + "/KVPROD");
  }
  double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GT(area, 0);
  EXPECT_GE(waited, 1.0);
  EXPECT_EQ(areas_->current()->alias(), "KVPROD");
  EXPECT_EQ(screen().screen().row_text(16).find("Sendo Usado"), std::string::npos)
      << "the notice is removed";
}

TEST_F(OpenTables, AppendGivesUpAfterItsTries) {
  Holder other(folder() + "/KVPROD.DBF", Holder::How::kFileLock, 1);
  ASSERT_TRUE(other.held());
  ABREARQ(folder() + "/KVPROD");
  std::string before = screen().save(11, 15, 13, 63);
  EXPECT_FALSE(ABREREG(2));
  // Three appends: the first, then the second at once, then one more after a wait.
  EXPECT_EQ(std::count(errors.begin(), errors.end(), gen::kAppendLock), 3);
  EXPECT_EQ(screen().save(11, 15, 13, 63), before);
  EXPECT_EQ(areas_->current()->record_count(), 0u);
}

TEST_F(OpenTables, AppendAndLockWithoutContention) {
  ABREARQ(folder() + "/KVPROD");
  EXPECT_TRUE(ABREREG());
  EXPECT_EQ(areas_->current()->record_count(), 1u);
  EXPECT_TRUE(BLOQREG());
}

TEST_F(OpenTables, DriverMapByWildcard) {
  EXPECT_EQ(ASSOCIATABELA("KVPROD"), "DBFNTX");
  rt().settings.default_driver = "DBFCDX";
  rt().vars.declare_private("ATABELARDD",
                            Value::array({Value::array({Value("kv*"), Value("DBFNTX")})}));
  EXPECT_EQ(ASSOCIATABELA("C:\\DADOS\\KVPROD.DBF"), "DBFNTX");
  EXPECT_EQ(ASSOCIATABELA("CLIENTES"), "DBFCDX");
}

}  // namespace
}  // namespace codfix
