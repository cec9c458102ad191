#include "lib/tables/temp_tables.h"

#include <gtest/gtest.h>

#include "lib/tables/open_tables.h"
#include "platform/dbf/work_areas.h"
#include "platform/filelock/files.h"
#include "platform/filelock/memory_space.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

class TempTables : public testing::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    areas_ = std::make_unique<dbf::WorkAreas>();
  }
  void TearDown() override {
    areas_.reset();
    filelock::MemorySpace::instance().clear();
    LibraryTest::TearDown();
  }
  static Value structure() {
    return Value::array({Value::array({Value("NOME"), Value("C"), Value(10), Value(0)}),
                         Value::array({Value("CODIGO"), Value("C"), Value(5), Value(0)}),
                         Value::array({Value("VALOR"), Value("N"), Value(8), Value(2)})});
  }
  std::unique_ptr<dbf::WorkAreas> areas_;
};

TEST_F(TempTables, WorkTableWithTwoNtxKeys) {
  rt().vars.declare_private("TEMPMEM", Value(false));
  Value keys = Value::array({Value("NOME"), Value::array({Value("CODIGO"), Value("VALOR > 0")})});
  std::string alias = DBCREATETEMP(structure(), keys);
  ASSERT_FALSE(alias.empty());
  dbf::WorkArea* wa = areas_->current();
  ASSERT_NE(wa, nullptr);
  EXPECT_EQ(wa->alias(), alias);
  ASSERT_EQ(wa->order_count(), 2);
  EXPECT_EQ(wa->active_order(), 1);
  EXPECT_EQ(wa->order(1)->key_text(), "NOME");
  EXPECT_EQ(wa->order(2)->for_text(), "VALOR > 0");
  EXPECT_NE(wa->order(1)->bag(), wa->order(2)->bag());
  std::string table = DBPATH();
  EXPECT_TRUE(filelock::file_exists(table));
  std::string second_index = wa->order(2)->bag();
  EXPECT_TRUE(APAGATMP());
  EXPECT_FALSE(filelock::file_exists(table));
  EXPECT_FALSE(filelock::file_exists(second_index));
  EXPECT_EQ(areas_->open_areas().size(), 0u);
}

TEST_F(TempTables, MemoryTablesAndTheirFallback) {
  EXPECT_TRUE(ARQMEMORIA());
  std::string alias = DBCREATETEMP(structure(), Value("NOME"));
  ASSERT_FALSE(alias.empty());
  EXPECT_TRUE(filelock::is_memory_name(DBPATH()));
  APAGATMP();
  // A full memory space: the table is made on disk, and no error is shown.
  filelock::MemorySpace::instance().set_capacity(10);
  rt().vars.declare_private("TEMPMEM", Value(true));
  int errors = 0;
  rt().error_handler = [&](ErrorRecord&) {
    ++errors;
    return ErrorAnswer::fail();
  };
  alias = DBCREATETEMP(structure(), Value("NOME"));
  ASSERT_FALSE(alias.empty());
  EXPECT_FALSE(filelock::is_memory_name(DBPATH()));
  EXPECT_EQ(errors, 0);
  APAGATMP();
  filelock::MemorySpace::instance().set_capacity(filelock::MemorySpace::kDefaultCapacity);
}

TEST_F(TempTables, ExistenceQuestions) {
  put("CLIENTES.DBF", "");
  put("CLIENTES.NTX", "");
  EXPECT_TRUE(EXISTETABELA("clientes"));
  EXPECT_TRUE(EXISTETABELA("CLIENTES.DBF", true));
  EXPECT_FALSE(EXISTETABELA("FORNEC"));
  EXPECT_TRUE(EXISTEINDICE("CLIENTES"));
  EXPECT_TRUE(EXISTEINDICE("CLIENTES.NTX", true));
  EXPECT_FALSE(EXISTEINDICE("CLIENTES", false, "DBFCDX"));
  EXPECT_TRUE(APAGATABELA("CLIENTES"));
  EXPECT_FALSE(has("CLIENTES.DBF"));
}

}  // namespace
}  // namespace codfix
