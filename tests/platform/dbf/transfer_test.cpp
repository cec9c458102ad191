// Records moving between tables (APPEND FROM, COPY TO), and tables in the memory
// space.
#include "platform/dbf/transfer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/dbf/table_dump.h"
#include "platform/dbf/verify.h"
#include "platform/dbf/work_areas.h"
#include "platform/expr/expr.h"
#include "platform/filelock/files.h"
#include "platform/filelock/memory_space.h"
#include "tests/platform/dbf/dbf_test_support.h"

namespace codfix::dbf {
namespace {

using testing::fixture;
using testing::lines_of;
using testing::read_file;

class TransferTest : public testing::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    expr::register_standard_functions();
    areas_ = std::make_unique<WorkAreas>();
  }
  void TearDown() override {
    areas_.reset();
    filelock::MemorySpace::instance().clear();
    ScratchTest::TearDown();
  }
  WorkArea& use(const std::string& path, bool exclusive) {
    UseOptions o;
    o.exclusive = exclusive;
    int n = areas_->use(path, o);
    EXPECT_NE(n, 0) << path;
    return *areas_->area(n);
  }
  static std::string dump(WorkArea& a) {
    std::string out, line;
    for (uint32_t k = 1; k <= a.record_count(); ++k) {
      a.go_to(k);
      EXPECT_FALSE(dump_record(a.table(), line));
      out += line + "\n";
    }
    return out;
  }
  std::unique_ptr<WorkAreas> areas_;
};

// PLANO03: CODIGO C(8), NOME C(25), VALOR N(10,2), DATA D; records 11, 22, ... deleted.
TEST_F(TransferTest, AppendFromMatchesFieldsByNameAndKeepsMarks) {
  for (bool exclusive : {true, false}) {
    areas_->close_all();
    const std::string target = at(exclusive ? "EXCL.DBF" : "SHAR.DBF");
    ASSERT_TRUE(areas_->create(target, {{"CODIGO", 'C', 15, 0},
                                        {"NOME", 'C', 10, 0},
                                        {"VALOR", 'N', 12, 3},
                                        {"EXTRA", 'L', 1, 0}}));
    WorkArea& a = use(target, exclusive);
    IndexOptions o;
    o.key = "CODIGO+NOME";
    ASSERT_TRUE(a.create_index(at(exclusive ? "EXCL.NTX" : "SHAR.NTX"), o));
    ASSERT_TRUE(append_from(a, fixture("shapes/PLANO03.DBF")));
    ASSERT_TRUE(a.commit());
    EXPECT_EQ(a.record_count(), 80u);
    std::vector<std::string> source = lines_of(read_file(fixture("shapes/PLANO03.dump.txt")));
    std::vector<std::string> copied = lines_of(dump(a));
    ASSERT_EQ(copied.size(), 80u);
    for (size_t i = 0; i < 80; ++i) {
      const std::string& s = source[i];  // flag|CODIGO(8)|NOME(25)|VALOR(10)|DATA
      double value = std::stod(s.substr(37, 10));
      char expected_value[16];
      std::snprintf(expected_value, sizeof expected_value, "%12.3f", value);
      const std::string expected = s.substr(0, 1) + "|" + s.substr(2, 8) + "       |" +
                                   s.substr(11, 10) + "|" + expected_value + "| ";
      EXPECT_EQ(copied[i], expected) << i + 1;
    }
    std::string index = at(exclusive ? "EXCL.NTX" : "SHAR.NTX");
    areas_->close_all();
    std::vector<VerifyProblem> problems = verify_table(target, {index});
    EXPECT_TRUE(problems.empty()) << problems[0].reason;
  }
  EXPECT_TRUE(errors_.empty());
}

// Into an empty table, every attached order is made from the records as they are
// written: a key taken straight from character fields, and one evaluated under a
// condition.
TEST_F(TransferTest, AppendIntoAnEmptyTableMakesEveryAttachedOrder) {
  ASSERT_TRUE(areas_->create(
      at("T.DBF"),
      {{"CODIGO", 'C', 8, 0}, {"NOME", 'C', 25, 0}, {"VALOR", 'N', 10, 2}, {"DATA", 'D', 8, 0}}));
  WorkArea& a = use(at("T.DBF"), true);
  IndexOptions by_code;
  by_code.key = "CODIGO";
  IndexOptions by_name;
  by_name.key = "UPPER(NOME)+DTOS(DATA)";
  by_name.condition = "VALOR > 0";
  by_name.additive = true;
  ASSERT_TRUE(a.create_index(at("T1.NTX"), by_code));
  ASSERT_TRUE(a.create_index(at("T2.NTX"), by_name));
  a.set_order(1);
  ASSERT_TRUE(append_from(a, fixture("shapes/PLANO03.DBF")));
  EXPECT_EQ(a.record_count(), 80u);
  EXPECT_EQ(a.order_count(), 2);
  EXPECT_EQ(a.active_order(), 1);
  areas_->close_all();
  std::vector<VerifyProblem> problems = verify_table(at("T.DBF"), {at("T1.NTX"), at("T2.NTX")});
  EXPECT_TRUE(problems.empty()) << problems[0].file << ": " << problems[0].reason;
  EXPECT_TRUE(errors_.empty());
}

// An order whose file cannot be made again is reported and left out; the others
// are made from the records as usual.
TEST_F(TransferTest, AnOrderThatCannotBeMadeAgainIsLeftOut) {
  ASSERT_TRUE(areas_->create(at("T.DBF"), {{"CODIGO", 'C', 8, 0}, {"NOME", 'C', 25, 0}}));
  WorkArea& a = use(at("T.DBF"), true);
  IndexOptions by_code;
  by_code.key = "CODIGO";
  IndexOptions by_name;
  by_name.key = "NOME";
  by_name.additive = true;
  ASSERT_TRUE(a.create_index(at("T1.NTX"), by_code));
  ASSERT_TRUE(a.create_index(at("T2.NTX"), by_name));
  // The second file's name now belongs to a folder.
  std::filesystem::remove(at("T2.NTX"));
  std::filesystem::create_directory(at("T2.NTX"));
  ASSERT_TRUE(append_from(a, fixture("shapes/PLANO03.DBF")));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].filename.substr(errors_[0].filename.size() - 6), "T2.NTX");
  EXPECT_EQ(a.order_count(), 1);
  EXPECT_EQ(a.record_count(), 80u);
  areas_->close_all();
  std::vector<VerifyProblem> problems = verify_table(at("T.DBF"), {at("T1.NTX")});
  EXPECT_TRUE(problems.empty()) << problems[0].file << ": " << problems[0].reason;
}

// A large table of plain fields is copied by two threads, each taking a half:
// every record lands in its place, marks included, and the index is whole; so
// is an index made over it afterwards.
TEST_F(TransferTest, LargeCopiesAreSharedAndKeepEveryRecordInPlace) {
  const uint32_t n = 70001;  // two unequal halves
  Failure failure;
  {
    std::unique_ptr<Table> src = Table::create(
        at("BIG.DBF"), {{"CODIGO", 'C', 10, 0}, {"NOME", 'C', 12, 0}}, "DBFNTX", failure);
    ASSERT_TRUE(src) << failure.detail;
    std::string records;
    char line[32];
    for (uint32_t k = 1; k <= n; ++k) {
      std::snprintf(line, sizeof line, "%c%010u%-12s", k % 7 == 0 ? '*' : ' ', (k * 7919u) % n,
                    k % 2 ? "impar" : "par");
      records.append(line, 23);
    }
    uint32_t first = 0;
    ASSERT_FALSE(src->append_records(records.data(), n, first));
    ASSERT_FALSE(src->commit());
  }
  ASSERT_TRUE(areas_->create(at("T.DBF"), {{"CODIGO", 'C', 15, 0}, {"NOME", 'C', 12, 0}}));
  WorkArea& a = use(at("T.DBF"), true);
  IndexOptions o;
  o.key = "CODIGO";
  ASSERT_TRUE(a.create_index(at("T.NTX"), o));
  ASSERT_TRUE(append_from(a, at("BIG.DBF")));
  ASSERT_EQ(a.record_count(), n);
  for (uint32_t k : {1u, 7u, n / 2, n / 2 + 1, n - 1, n}) {
    ASSERT_TRUE(a.go_to(k));
    char code[16];
    std::snprintf(code, sizeof code, "%010u     ", (k * 7919u) % n);
    EXPECT_EQ(a.get(0).text(), code) << k;
    EXPECT_EQ(a.deleted(), k % 7 == 0) << k;
  }
  // An index made over the large table: its keys are read by two threads too.
  IndexOptions by_name;
  by_name.key = "NOME+CODIGO";
  ASSERT_TRUE(a.create_index(at("N.NTX"), by_name));
  EXPECT_EQ(a.order_key_count(), n);
  areas_->close_all();
  std::vector<VerifyProblem> problems = verify_table(at("T.DBF"), {at("T.NTX"), at("N.NTX")});
  EXPECT_TRUE(problems.empty()) << problems[0].file << ": " << problems[0].reason;
  EXPECT_TRUE(errors_.empty());
}

TEST_F(TransferTest, AppendFromCopiesMemosAndSkipsDeletedWhenHidden) {
  ASSERT_TRUE(areas_->create(at("M.DBF"), {{"CODIGO", 'C', 8, 0}, {"OBS", 'M', 10, 0}}));
  WorkArea& a = use(at("M.DBF"), true);
  runtime().settings.deleted = true;
  ASSERT_TRUE(append_from(a, fixture("shapes/MEMO83.DBF")));
  EXPECT_EQ(a.record_count(), 56u);  // 60 less 4 deleted
  std::vector<std::string> source = lines_of(read_file(fixture("shapes/MEMO83.dump.txt")));
  std::vector<std::string> copied = lines_of(dump(a));
  size_t j = 0;
  for (const std::string& s : source) {
    if (s[0] == '*') continue;
    ASSERT_LT(j, copied.size());
    EXPECT_EQ(copied[j], s.substr(0, 10) + s.substr(36)) << j;  // without NOME
    ++j;
  }
}

TEST_F(TransferTest, AppendFromReportsNumbersThatNoLongerFit) {
  ASSERT_TRUE(areas_->create(at("N.DBF"), {{"VALOR", 'N', 5, 1}}));
  WorkArea& a = use(at("N.DBF"), true);
  ASSERT_TRUE(append_from(a, fixture("shapes/PLANO03.DBF")));  // the handler answers default
  ASSERT_FALSE(errors_.empty());
  EXPECT_EQ(errors_[0].gencode, 34);
  EXPECT_EQ(errors_[0].operation, "VALOR");
  EXPECT_EQ(a.record_count(), 80u);
}

TEST_F(TransferTest, CopyToTakesConditionWhileAndOrder) {
  copy_fixture("shapes/PLANO03.DBF");
  copy_fixture("shapes/PLANO03.NTX");
  WorkArea& a = use(at("PLANO03.DBF"), false);
  ASSERT_TRUE(a.add_index(at("PLANO03.NTX")));
  ASSERT_TRUE(a.seek(Value("B"), true));  // from the first name at or after B
  const uint32_t start = a.recno();
  CopyOptions o;
  o.condition = "VALOR > 0";
  o.while_condition = "NOME < 'M'";
  ASSERT_TRUE(copy_to(a, at("COPIA.DBF"), o));
  // The same walk by hand.
  std::vector<std::string> expected;
  a.go_to(start);
  while (!a.eof() && expr::evaluate("NOME < 'M'").logical()) {
    if (a.get(2).as_double() > 0) {
      std::string line;
      ASSERT_FALSE(dump_record(a.table(), line));
      expected.push_back(line);
    }
    a.skip(1);
  }
  ASSERT_FALSE(expected.empty());
  WorkArea& c = use(at("COPIA.DBF"), true);
  EXPECT_EQ(lines_of(dump(c)), expected);
  EXPECT_EQ(c.table().structure(), a.table().structure());
  ASSERT_TRUE(copy_structure(a, at("VAZIA.DBF")));
  WorkArea& v = use(at("VAZIA.DBF"), true);
  EXPECT_EQ(v.record_count(), 0u);
}

TEST_F(TransferTest, MemoryTablesLiveInTheMemorySpace) {
  filelock::MemorySpace& space = filelock::MemorySpace::instance();
  const uint64_t capacity = space.capacity();
  ASSERT_TRUE(areas_->create("MEM:TEMPO", {{"NOME", 'C', 25, 0}, {"OBS", 'M', 10, 0}}));
  EXPECT_TRUE(filelock::file_exists("MEM:TEMPO.DBF"));
  EXPECT_TRUE(filelock::file_exists("MEM:TEMPO.DBT"));
  WorkArea& m = use("MEM:TEMPO", true);
  EXPECT_EQ(m.alias(), "TEMPO");
  ASSERT_TRUE(append_from(m, fixture("shapes/MEMO83.DBF")));
  IndexOptions o;
  o.key = "NOME";
  ASSERT_TRUE(m.create_index("MEM:TEMPO", o));
  EXPECT_TRUE(filelock::file_exists("MEM:TEMPO.NTX"));
  m.go_top();
  std::vector<std::string> walk;
  while (!m.eof()) {
    walk.push_back(std::to_string(m.recno()));
    m.skip(1);
  }
  std::vector<std::string> expected = lines_of(read_file(fixture("shapes/MEMO83.order.txt")));
  EXPECT_EQ(walk, expected);
  areas_->close_all();
  EXPECT_TRUE(verify_table("MEM:TEMPO.DBF", {"MEM:TEMPO.NTX"}).empty());

  // A full space refuses new files with OS code 1130.
  space.set_capacity(space.used());
  EXPECT_FALSE(areas_->create("MEM:OUTRA", {{"C", 'C', 1, 0}}));
  ASSERT_FALSE(errors_.empty());
  EXPECT_EQ(errors_.back().gencode, 20);
  EXPECT_EQ(errors_.back().oscode, 1130);
  space.set_capacity(capacity);
}

}  // namespace
}  // namespace codfix::dbf
