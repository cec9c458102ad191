// Every table written by the classic tools reads exactly as its dump says, and
// every damaged one is refused with a clear error.
#include <gtest/gtest.h>

#include "platform/dbf/table.h"
#include "platform/dbf/table_dump.h"
#include "tests/platform/dbf/dbf_test_support.h"

namespace codfix::dbf {
namespace {

using testing::fixture;
using testing::read_file;

std::string dump_all(Table& t, Failure& failure) {
  std::string out, line;
  uint32_t n = 0;
  failure = t.count(n);
  for (uint32_t k = 1; k <= n && !failure; ++k) {
    failure = t.go(k);
    if (!failure) failure = dump_record(t, line);
    out += line + "\n";
  }
  return out;
}

// Reads every field of every record as a value; the first failure.
Failure read_all(Table& t) {
  uint32_t n = 0;
  Failure failure = t.count(n);
  Value v;
  for (uint32_t k = 1; k <= n && !failure; ++k) {
    failure = t.go(k);
    for (int i = 0; i < t.field_count() && !failure; ++i) failure = t.get(i, v);
  }
  return failure;
}

// The info text without the memo line, as the fixtures' info files have it.
std::string info_without_memo(const Table& t) {
  std::string out;
  for (const std::string& line : testing::lines_of(format_info(t))) {
    if (line.rfind("memo ", 0) != 0) out += line + "\n";
  }
  return out;
}

class FixtureTable : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureTable, ReadsAsTheDumpSays) {
  const std::string base = fixture(GetParam());
  for (bool exclusive : {false, true}) {
    Failure failure;
    OpenOptions options;
    options.exclusive = exclusive;
    options.read_only = true;
    std::unique_ptr<Table> t = Table::open(base + ".DBF", options, failure);
    if (!t) t = Table::open(base + ".dbf", options, failure);
    ASSERT_TRUE(t) << failure.detail;
    EXPECT_EQ(info_without_memo(*t), read_file(base + ".info.txt"));
    std::string dump = dump_all(*t, failure);
    ASSERT_FALSE(failure) << failure.detail;
    EXPECT_TRUE(dump == read_file(base + ".dump.txt")) << GetParam();
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, FixtureTable,
                         ::testing::Values("shapes/VAZIO", "shapes/LONGOS", "shapes/APAGADOS",
                                           "shapes/kvprod", "shapes/TIPOS", "shapes/MEMO83",
                                           "shapes/PLANO03", "shapes/CDXMINI", "ntx/KVPROD",
                                           "ntx/KVITEM"));

TEST(FixtureTable, FindsTheTableWithoutExtensionAndInAnotherCase) {
  Failure failure;
  OpenOptions options;
  options.read_only = true;
  // kvprod.dbf is on disk in lower case; its memo file kvprod.dbt too.
  std::unique_ptr<Table> t = Table::open(fixture("shapes/KVPROD"), options, failure);
  ASSERT_TRUE(t) << failure.detail;
  uint32_t n = 0;
  EXPECT_FALSE(t->count(n));
  EXPECT_EQ(n, 40u);
  EXPECT_EQ(t->header().memo, MemoKind::kDbt);
}

TEST(FixtureTable, ValuesFollowTheFieldTypes) {
  Failure failure;
  OpenOptions options;
  options.read_only = true;
  std::unique_ptr<Table> t = Table::open(fixture("shapes/TIPOS.DBF"), options, failure);
  ASSERT_TRUE(t);
  ASSERT_FALSE(t->go(2));
  Value v;
  ASSERT_FALSE(t->get(t->field_index("VALOR"), v));
  EXPECT_DOUBLE_EQ(v.as_double(), -99999999.99);
  EXPECT_EQ(v.num().width, 9);
  EXPECT_EQ(v.num().decimals, 2);
  ASSERT_FALSE(t->get(t->field_index("INTEIRO"), v));
  EXPECT_EQ(v.num().width, 6);
  EXPECT_EQ(v.num().decimals, 0);
  ASSERT_FALSE(t->get(t->field_index("LOGICO"), v));
  EXPECT_FALSE(v.logical());
  ASSERT_FALSE(t->get(t->field_index("DATA"), v));
  EXPECT_EQ(v.as_date().day, 2415021);  // 1900-01-01
  ASSERT_FALSE(t->go(1));
  ASSERT_FALSE(t->get(t->field_index("MEMO"), v));
  EXPECT_TRUE(v.is_memo());
  ASSERT_FALSE(t->get(t->field_index("FLUT"), v));
  EXPECT_EQ(v.num().decimals, 4);
  ASSERT_FALSE(t->go(7));  // APPEND BLANK: blank numbers read as 0, blank date empty
  ASSERT_FALSE(t->get(t->field_index("GRANDE"), v));
  EXPECT_EQ(v.as_double(), 0);
  ASSERT_FALSE(t->get(t->field_index("DATA"), v));
  EXPECT_TRUE(v.as_date().empty());
}

struct DamagedCase {
  const char* table;  // relative to tests/data/dbf/damaged
  int gencode;        // of the first failure: at open, else while reading
  int oscode;
  bool at_open;
};

class DamagedTable : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedTable, IsRefusedWithAClearError) {
  const DamagedCase& c = GetParam();
  for (bool exclusive : {false, true}) {
    Failure failure;
    OpenOptions options;
    options.exclusive = exclusive;
    options.read_only = true;
    std::unique_ptr<Table> t =
        Table::open(fixture(std::string("damaged/") + c.table), options, failure);
    if (t) {
      EXPECT_FALSE(c.at_open) << c.table << " opened";
      failure = read_all(*t);
    } else {
      EXPECT_TRUE(c.at_open) << c.table << ": " << failure.detail;
    }
    EXPECT_EQ(failure.gencode, c.gencode) << c.table << ": " << failure.detail;
    EXPECT_EQ(failure.oscode, c.oscode) << c.table;
    EXPECT_FALSE(failure.filename.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Damaged, DamagedTable,
    ::testing::Values(DamagedCase{"dbf-reccount-too-big/PLANO03.DBF", 32, 0, true},
                      DamagedCase{"dbf-hdrlen-past-eof/PLANO03.DBF", 32, 0, true},
                      DamagedCase{"dbf-truncated-record/PLANO03.DBF", 32, 0, true},
                      DamagedCase{"dbf-zero-length-field/PLANO03.DBF", 32, 0, true},
                      DamagedCase{"memo-pointer-past-eof/MEMO83.DBF", 32, 0, false},
                      DamagedCase{"memo-file-missing/MEMO83.DBF", 21, 2, true},
                      DamagedCase{"numeric-overflow/ESTOURO.DBF", 32, 0, false}));

TEST(DamagedTable, MissingTableIsOpenErrorWithOsCode2) {
  Failure failure;
  std::unique_ptr<Table> t = Table::open(fixture("shapes/NAOEXISTE"), OpenOptions{}, failure);
  EXPECT_FALSE(t);
  EXPECT_EQ(failure.gencode, 21);
  EXPECT_EQ(failure.subcode, 1001);
  EXPECT_EQ(failure.oscode, 2);
}

}  // namespace
}  // namespace codfix::dbf
