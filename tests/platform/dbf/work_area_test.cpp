// Work areas: aliases and selection, navigation with hidden records and filters,
// fields through expressions, and orders: fixtures walked in index order, keys
// kept current as records change, seeks.
#include "platform/dbf/work_areas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "lib/core/date.h"
#include "platform/expr/expr.h"
#include "tests/platform/dbf/dbf_test_support.h"

namespace codfix::dbf {
namespace {

using testing::fixture;
using testing::lines_of;
using testing::read_file;

class WorkAreaTest : public testing::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    expr::register_standard_functions();
    areas_ = std::make_unique<WorkAreas>();
  }
  void TearDown() override {
    areas_.reset();
    ScratchTest::TearDown();
  }

  WorkArea& use(const std::string& name, bool exclusive = false) {
    UseOptions o;
    o.exclusive = exclusive;
    int n = areas_->use(at(name), o);
    EXPECT_NE(n, 0) << name;
    return *areas_->area(n);
  }
  // Record numbers of a walk from the top (or, reversed, from the bottom).
  static std::string walk(WorkArea& a, bool from_bottom = false) {
    std::vector<uint32_t> recs;
    if (from_bottom) {
      a.go_bottom();
      while (!a.bof()) {
        recs.push_back(a.recno());
        a.skip(-1);
      }
      std::reverse(recs.begin(), recs.end());
    } else {
      a.go_top();
      while (!a.eof()) {
        recs.push_back(a.recno());
        a.skip(1);
      }
    }
    std::string out;
    for (uint32_t r : recs) out += std::to_string(r) + "\n";
    return out;
  }
  Value eval(const std::string& text) { return expr::evaluate(text); }

  std::unique_ptr<WorkAreas> areas_;
};

TEST_F(WorkAreaTest, AliasesAndSelection) {
  copy_fixture("shapes/PLANO03.DBF");
  copy_fixture("ntx/KVITEM.DBF");
  WorkArea& plano = use("plano03.dbf");
  WorkArea& item = use("KVITEM");
  EXPECT_EQ(plano.number(), 1);
  EXPECT_EQ(item.number(), 2);
  EXPECT_EQ(plano.alias(), "PLANO03");
  EXPECT_EQ(areas_->current_area(), 2);
  EXPECT_EQ(areas_->area_of_alias("plano03"), 1);
  EXPECT_TRUE(areas_->select("Plano03"));
  EXPECT_EQ(eval("NOME").text().substr(0, 6), "ALVARO");  // record 1 of PLANO03
  EXPECT_EQ(eval("KVITEM->PRODUTO").text(), "0123456789");
  EXPECT_EQ(areas_->current_area(), 1);  // restored after the alias expression
  // The same alias twice is refused.
  UseOptions o;
  o.alias = "kvitem";
  EXPECT_EQ(areas_->use(at("PLANO03.DBF"), o), 0);
  ASSERT_FALSE(errors_.empty());
  EXPECT_EQ(errors_.back().gencode, 21);
  areas_->close_area(2);
  EXPECT_EQ(areas_->area_of_alias("KVITEM"), 0);
  EXPECT_EQ(areas_->lowest_free(), 2);
}

TEST_F(WorkAreaTest, OpenErrorsAndTheNetworkFlag) {
  copy_fixture("shapes/PLANO03.DBF");
  EXPECT_EQ(areas_->use(at("NADA")), 0);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].gencode, 21);
  EXPECT_EQ(errors_[0].oscode, 2);
  EXPECT_EQ(errors_[0].subsystem, "DBFNTX");
  EXPECT_TRUE(errors_[0].can_retry);
  EXPECT_TRUE(errors_[0].can_default);
  // A handler that does what the family's does: sharing violations set the flag.
  runtime().error_handler = [this](ErrorRecord& e) {
    errors_.push_back(e);
    if (e.gencode == 21 && e.oscode == 32 && e.can_default) runtime().net_error = true;
    return ErrorAnswer::fail();
  };
  use("PLANO03.DBF", true);
  UseOptions o;
  o.alias = "OUTRA";
  EXPECT_EQ(areas_->use(at("PLANO03.DBF"), o), 0);
  EXPECT_TRUE(runtime().net_error);
  EXPECT_EQ(errors_.back().oscode, 32);
  areas_->close_all();
  EXPECT_NE(areas_->use(at("PLANO03.DBF"), o), 0);
  EXPECT_FALSE(runtime().net_error);  // cleared by the next open
}

TEST_F(WorkAreaTest, NavigationPassesOverHiddenRecords) {
  copy_fixture("shapes/PLANO03.DBF");
  WorkArea& a = use("PLANO03.DBF");
  EXPECT_EQ(a.record_count(), 80u);
  a.go_top();
  EXPECT_EQ(a.recno(), 1u);
  EXPECT_FALSE(a.bof());
  a.skip(-1);
  EXPECT_TRUE(a.bof());
  EXPECT_EQ(a.recno(), 1u);
  a.go_bottom();
  EXPECT_EQ(a.recno(), 80u);
  a.skip(1);
  EXPECT_TRUE(a.eof());
  EXPECT_EQ(a.recno(), 81u);
  a.skip(-1);
  EXPECT_EQ(a.recno(), 80u);

  runtime().settings.deleted = true;  // records 11, 22, ..., 77 hidden
  a.go_to(10);
  a.skip(1);
  EXPECT_EQ(a.recno(), 12u);
  a.skip(-1);
  EXPECT_EQ(a.recno(), 10u);
  std::vector<std::string> rows = lines_of(walk(a));
  EXPECT_EQ(rows.size(), 73u);

  ASSERT_TRUE(a.set_filter("VALOR < 0"));
  std::string filtered = walk(a);
  for (const std::string& r : lines_of(filtered)) {
    a.go_to(static_cast<uint32_t>(std::stoul(r)));
    EXPECT_LT(a.get(2).as_double(), 0);
  }
  EXPECT_EQ(walk(a, true), filtered);
  ASSERT_TRUE(a.set_filter("VALOR > 999999999"));  // nothing passes
  a.go_top();
  EXPECT_TRUE(a.eof());
  EXPECT_TRUE(a.bof());
}

TEST_F(WorkAreaTest, LocateAndContinue) {
  copy_fixture("shapes/PLANO03.DBF");
  WorkArea& a = use("PLANO03.DBF");
  ASSERT_TRUE(a.locate("VALOR < -4000"));
  ASSERT_TRUE(a.found());
  uint32_t first = a.recno();
  EXPECT_LT(a.get(2).as_double(), -4000);
  ASSERT_TRUE(a.continue_locate());
  if (a.found()) {
    EXPECT_GT(a.recno(), first);
  }
  ASSERT_TRUE(a.locate("NOME = 'NINGUEM'"));
  EXPECT_FALSE(a.found());
  EXPECT_TRUE(a.eof());
}

// Walking each classic NTX file from the top gives its order.txt; from the bottom
// the same, reversed.
struct OrderCase {
  const char* table;
  const char* index;
};

class FixtureOrder : public WorkAreaTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(FixtureOrder, WalksAsTheClassicTools) {
  const OrderCase& c = GetParam();
  const std::string dir = std::string(c.table).substr(0, std::string(c.table).find('/'));
  copy_fixture(c.table);
  std::string table_name = std::filesystem::path(c.table).filename().string();
  std::string memo = std::string(c.table).substr(0, std::string(c.table).size() - 3) + "DBT";
  if (std::filesystem::exists(fixture(memo))) copy_fixture(memo);
  copy_fixture(dir + "/" + c.index + ".NTX");
  WorkArea& a = use(table_name);
  ASSERT_TRUE(a.add_index(at(std::string(c.index) + ".NTX")));
  const std::string expected = read_file(fixture(dir + "/" + c.index + ".order.txt"));
  EXPECT_EQ(walk(a), expected);
  EXPECT_EQ(walk(a, true), expected);
  EXPECT_TRUE(errors_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ntx, FixtureOrder,
    ::testing::Values(
        OrderCase{"ntx/KVPROD.DBF", "KVPROD"}, OrderCase{"ntx/KVPROD.DBF", "KVPRECO"},
        OrderCase{"ntx/KVPROD.DBF", "KVDATA"}, OrderCase{"ntx/KVPROD.DBF", "KVATIVO"},
        OrderCase{"ntx/KVPROD.DBF", "KVSITUA"}, OrderCase{"ntx/KVPROD.DBF", "KVUNICO"},
        OrderCase{"ntx/KVPROD.DBF", "KVDESC"}, OrderCase{"ntx/KVPROD.DBF", "KVATIVOS"},
        OrderCase{"ntx/KVPROD.DBF", "KVDESCR"}, OrderCase{"ntx/KVITEM.DBF", "KVITEM"},
        OrderCase{"shapes/PLANO03.DBF", "PLANO03"}, OrderCase{"shapes/MEMO83.DBF", "MEMO83"},
        OrderCase{"shapes/APAGADOS.DBF", "APAGADOS"}, OrderCase{"shapes/VAZIO.DBF", "VAZIO"}));

// Indexes we build walk the same way as those of the classic tools.
TEST_P(FixtureOrder, OurBuildWalksTheSame) {
  const OrderCase& c = GetParam();
  const std::string dir = std::string(c.table).substr(0, std::string(c.table).find('/'));
  copy_fixture(c.table);
  std::string table_name = std::filesystem::path(c.table).filename().string();
  std::string memo = std::string(c.table).substr(0, std::string(c.table).size() - 3) + "DBT";
  if (std::filesystem::exists(fixture(memo))) copy_fixture(memo);
  copy_fixture(dir + "/" + c.index + ".NTX", "CLASSIC.NTX");
  WorkArea& a = use(table_name, true);
  ASSERT_TRUE(a.add_index(at("CLASSIC.NTX")));
  Order* classic = a.order(1);
  IndexOptions o;
  o.key = classic->key_text();
  o.condition = classic->for_text();
  o.unique = classic->unique();
  o.descending = classic->descending();
  int calls = 0;
  o.progress = [&] { return ++calls > 0; };
  ASSERT_TRUE(a.create_index(at("NOSSO.NTX"), o));
  EXPECT_EQ(calls, static_cast<int>(a.record_count()));
  EXPECT_EQ(a.order_count(), 1);
  EXPECT_EQ(walk(a), read_file(fixture(dir + "/" + c.index + ".order.txt")));
  a.close();
  EXPECT_TRUE(errors_.empty());
}

TEST_F(WorkAreaTest, KeysFollowAppendsChangesAndDeletions) {
  ASSERT_TRUE(areas_->create(at("PROD.DBF"), {{"CODIGO", 'C', 6, 0}, {"PRECO", 'N', 8, 2}}));
  WorkArea& a = use("PROD.DBF");
  IndexOptions by_code;
  by_code.key = "CODIGO";
  ASSERT_TRUE(a.create_index(at("PRCOD"), by_code));
  IndexOptions by_price;
  by_price.key = "PRECO";
  by_price.condition = "PRECO > 0";
  by_price.additive = true;
  ASSERT_TRUE(a.create_index(at("PRPRECO"), by_price));
  const char* codes[] = {"D", "B", "E", "A", "C"};
  const double prices[] = {5, -1, 3, 0, 10};
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(a.append_blank());
    ASSERT_TRUE(a.put(0, Value(codes[i])));
    ASSERT_TRUE(a.put(1, Value::number(prices[i], 2)));
  }
  ASSERT_TRUE(a.commit());
  a.set_order(1);
  EXPECT_EQ(walk(a), "4\n2\n5\n1\n3\n");
  a.set_order(2);
  EXPECT_EQ(walk(a), "3\n1\n5\n");  // the FOR leaves out -1 and 0
  // Change keys: record 2 gets a price that passes, record 5 one that no longer does.
  a.go_to(2);
  ASSERT_TRUE(a.lock_current());
  ASSERT_TRUE(a.put(1, Value::number(4, 2)));
  ASSERT_TRUE(a.put(0, Value("F")));
  a.go_to(5);
  ASSERT_TRUE(a.lock_current());
  ASSERT_TRUE(a.put(1, Value::number(-2, 2)));
  ASSERT_TRUE(a.unlock());
  EXPECT_EQ(walk(a), "3\n2\n1\n");
  a.set_order(1);
  EXPECT_EQ(walk(a), "4\n5\n1\n3\n2\n");
  // Deleted records keep their keys; with SET DELETED on they are passed over.
  a.go_to(1);
  ASSERT_TRUE(a.lock_current());
  ASSERT_TRUE(a.delete_record());
  ASSERT_TRUE(a.unlock());
  EXPECT_EQ(walk(a), "4\n5\n1\n3\n2\n");
  runtime().settings.deleted = true;
  EXPECT_EQ(walk(a), "4\n5\n3\n2\n");
  EXPECT_EQ(walk(a, true), "4\n5\n3\n2\n");
  for (int n = 1; n <= 2; ++n) EXPECT_FALSE(a.order(n)->check()) << n;
  EXPECT_TRUE(errors_.empty());
}

TEST_F(WorkAreaTest, SeekExactSoftAndLast) {
  copy_fixture("ntx/KVITEM.DBF");
  copy_fixture("ntx/KVITEM.NTX");
  WorkArea& a = use("KVITEM.DBF");
  ASSERT_TRUE(a.add_index(at("KVITEM.NTX")));
  // Walk: 6 8 1 3 2 7 5 10 12 9 11 4 (empty, leading blank, digits, AGUA001, ...).
  ASSERT_TRUE(a.seek(Value("AGUA"), false));
  EXPECT_TRUE(a.found());
  EXPECT_EQ(a.recno(), 3u);
  ASSERT_TRUE(a.seek(Value("AGUB"), false));
  EXPECT_FALSE(a.found());
  EXPECT_TRUE(a.eof());
  ASSERT_TRUE(a.seek(Value("AGUB"), true));
  EXPECT_FALSE(a.found());
  EXPECT_FALSE(a.eof());
  EXPECT_EQ(a.recno(), 2u);  // ÁGUA001 sorts right after AGUA001
  ASSERT_TRUE(a.seek(Value("zzz"), true));
  EXPECT_TRUE(a.eof());
  EXPECT_EQ(a.order_position(), 0u);
  ASSERT_TRUE(a.seek(Value("Zebra"), false));
  EXPECT_EQ(a.recno(), 9u);
  EXPECT_EQ(a.order_position(), 10u);
  // Wrong type and no order.
  EXPECT_FALSE(a.seek(Value(5), false));
  EXPECT_EQ(errors_.back().gencode, 33);
  a.set_order(0);
  EXPECT_FALSE(a.seek(Value("A"), false));
  EXPECT_EQ(errors_.back().gencode, 36);
}

TEST_F(WorkAreaTest, SeekLastFindsTheLastOfEqualKeys) {
  ASSERT_TRUE(areas_->create(at("D.DBF"), {{"K", 'C', 3, 0}}));
  WorkArea& a = use("D.DBF", true);
  for (const char* k : {"B", "A", "B", "C", "B"}) {
    ASSERT_TRUE(a.append_blank());
    ASSERT_TRUE(a.put(0, Value(k)));
  }
  IndexOptions o;
  o.key = "K";
  ASSERT_TRUE(a.create_index(at("D.NTX"), o));
  ASSERT_TRUE(a.seek(Value("B"), false));
  EXPECT_EQ(a.recno(), 1u);
  ASSERT_TRUE(a.seek(Value("B"), false, true));
  EXPECT_TRUE(a.found());
  EXPECT_EQ(a.recno(), 5u);
  a.skip(1);
  EXPECT_EQ(a.recno(), 4u);
}

TEST_F(WorkAreaTest, DamagedIndexesAreRefusedOrReported) {
  for (const char* dir : {"ntx-root-unaligned", "ntx-item-count", "ntx-page-loop"}) {
    errors_.clear();
    areas_->close_all();
    copy_fixture(std::string("damaged/") + dir + "/PLANO03.DBF");
    copy_fixture(std::string("damaged/") + dir + "/PLANO03.NTX");
    WorkArea& a = use("PLANO03.DBF");
    if (a.add_index(at("PLANO03.NTX"))) {
      walk(a);
      walk(a, true);
      a.seek(Value("ZZZ"), true);
    }
    ASSERT_FALSE(errors_.empty()) << dir;
    EXPECT_EQ(errors_.front().gencode, 32) << dir;
    EXPECT_NE(errors_.front().filename.find("PLANO03.NTX"), std::string::npos);
  }
}

TEST_F(WorkAreaTest, AStoppedBuildLeavesAPartialIndex) {
  copy_fixture("shapes/PLANO03.DBF");
  WorkArea& a = use("PLANO03.DBF", true);
  IndexOptions o;
  o.key = "NOME";
  int seen = 0;
  o.progress = [&] { return ++seen <= 10; };
  ASSERT_TRUE(a.create_index(at("PARCIAL.NTX"), o));
  EXPECT_EQ(a.order_key_count(), 10u);
  EXPECT_EQ(get("PARCIAL.NTX")[0] & 0x08, 0x08);
  // Changing a record whose key is missing is not taken for damage.
  a.go_to(50);
  ASSERT_TRUE(a.put(1, Value("NOVO NOME")));
  ASSERT_TRUE(a.commit());
  EXPECT_TRUE(errors_.empty());
}

// An index made again over an existing file is written over it and cut to its
// own length: the same bytes as when made into a new file.
TEST_F(WorkAreaTest, AnIndexMadeOverALongerFileIsTheSameAsANewOne) {
  copy_fixture("shapes/PLANO03.DBF");
  WorkArea& a = use("PLANO03.DBF", true);
  IndexOptions o;
  o.key = "NOME";
  ASSERT_TRUE(a.create_index(at("NOVO.NTX"), o));
  const std::string fresh = get("NOVO.NTX");
  a.clear_orders();
  {
    std::ofstream longer(at("NOVO.NTX"), std::ios::binary | std::ios::trunc);
    longer << std::string(fresh.size() * 3, '\xFF');
  }
  ASSERT_TRUE(a.create_index(at("NOVO.NTX"), o));
  EXPECT_EQ(get("NOVO.NTX"), fresh);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(WorkAreaTest, DataWidthErrorNamesTheField) {
  ASSERT_TRUE(areas_->create(at("W.DBF"), {{"VALOR", 'N', 5, 2}}));
  WorkArea& a = use("W.DBF", true);
  ASSERT_TRUE(a.append_blank());
  EXPECT_FALSE(a.put(0, Value(1000)));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].gencode, 34);
  EXPECT_EQ(errors_[0].operation, "VALOR");
  EXPECT_TRUE(errors_[0].can_default);
  // Assignment through an expression reaches the field too.
  EXPECT_EQ(eval("VALOR := 1.5").as_double(), 1.5);
  EXPECT_EQ(a.table().field_bytes(0), " 1.50");
}

}  // namespace
}  // namespace codfix::dbf
