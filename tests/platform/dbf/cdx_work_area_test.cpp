// The CDX driver in work areas: the classic tools' compound index opened with its
// table and walked tag by tag, and a table of our own with an FPT memo and two
// tags kept current as records change.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/cdx/production.h"
#include "platform/dbf/table_dump.h"
#include "platform/dbf/verify.h"
#include "platform/dbf/work_areas.h"
#include "platform/expr/expr.h"
#include "tests/platform/dbf/dbf_test_support.h"

namespace codfix::dbf {
namespace {

using testing::fixture;
using testing::lines_of;
using testing::read_file;

// Three records of a table whose first field is a name.
void add_three_names(WorkArea& a) {
  for (const char* name : {"pera", "uva", "abacaxi"}) {
    ASSERT_TRUE(a.append_blank());
    ASSERT_TRUE(a.put(0, Value(name)));
  }
}

class CdxWorkAreaTest : public testing::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    expr::register_standard_functions();
    runtime().settings.default_driver = "DBFCDX";
    areas_ = std::make_unique<WorkAreas>();
  }
  void TearDown() override {
    areas_.reset();
    ScratchTest::TearDown();
  }

  void copy_kvprod() {
    for (const char* ext : {".DBF", ".CDX", ".FPT"}) {
      copy_fixture(std::string("../cdx/KVPROD") + ext);
    }
  }
  WorkArea& use(const std::string& name, bool exclusive = false) {
    UseOptions o;
    o.exclusive = exclusive;
    int n = areas_->use(at(name), o);
    EXPECT_NE(n, 0) << name << ": "
                    << (errors_.empty()
                            ? std::string()
                            : std::to_string(errors_.back().gencode) + "/" +
                                  std::to_string(errors_.back().subcode) + " " +
                                  errors_.back().operation + " " + errors_.back().description +
                                  " " + errors_.back().filename);
    return *areas_->area(n);
  }
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
  uint8_t flags_byte(const std::string& table) { return static_cast<uint8_t>(get(table)[28]); }

  std::unique_ptr<WorkAreas> areas_;
};

// Opening the table attaches its production index with every tag, in natural
// order; each tag walks as the classic tools walked it, both ways.
TEST_F(CdxWorkAreaTest, ProductionIndexOfTheClassicToolsOpensAndWalks) {
  copy_kvprod();
  WorkArea& a = use("KVPROD.DBF");
  const std::vector<std::string> tags = lines_of(read_file(fixture("../cdx/KVPROD.tags.txt")));
  ASSERT_EQ(a.order_count(), static_cast<int>(tags.size()));
  EXPECT_EQ(a.active_order(), 0);
  EXPECT_EQ(a.table().locks().scheme(), LockScheme::kCdxStructural);
  // Natural order reads as the dump says, memos from the FPT included.
  const std::vector<std::string> dump = lines_of(read_file(fixture("../cdx/KVPROD.dump.txt")));
  ASSERT_EQ(dump.size(), a.record_count());
  std::string line;
  for (uint32_t k = 1; k <= dump.size(); ++k) {
    ASSERT_FALSE(a.table().go(k));
    ASSERT_FALSE(dump_record(a.table(), line));
    ASSERT_EQ(line, dump[k - 1]) << k;
  }
  for (size_t i = 0; i < tags.size(); ++i) {
    const std::string name = tags[i].substr(0, tags[i].find('|'));
    SCOPED_TRACE(name);
    const int n = a.order_by_name(name);
    ASSERT_EQ(n, static_cast<int>(i + 1));
    ASSERT_TRUE(a.set_order(n));
    const std::string expected = read_file(fixture("../cdx/KVPROD." + name + ".order.txt"));
    EXPECT_EQ(walk(a), expected);
    EXPECT_EQ(walk(a, true), expected);
    EXPECT_FALSE(a.order(n)->check());
  }
  EXPECT_TRUE(errors_.empty());
  areas_->close_area(a.number());
  EXPECT_TRUE(verify_table(at("KVPROD.DBF"), {}).empty());
}

// Tags we build from the classic tags' definitions walk the same way.
TEST_F(CdxWorkAreaTest, OurTagsWalkAsTheClassicOnes) {
  copy_kvprod();
  WorkArea& a = use("KVPROD.DBF", true);
  const int classic = a.order_count();
  ASSERT_GT(classic, 0);
  for (int n = 1; n <= classic; ++n) {
    Order* o = a.order(n);
    IndexOptions opt;
    opt.key = o->key_text();
    opt.condition = o->for_text();
    opt.unique = o->unique();
    opt.descending = o->descending();
    opt.tag = o->name();
    opt.additive = true;
    ASSERT_TRUE(a.create_index(at("NOSSO"), opt)) << o->name();
  }
  ASSERT_EQ(a.order_count(), 2 * classic);
  for (int n = 1; n <= classic; ++n) {
    SCOPED_TRACE(a.order(n)->name());
    ASSERT_EQ(a.order(classic + n)->name(), a.order(n)->name());
    a.set_order(classic + n);
    EXPECT_EQ(walk(a), read_file(fixture("../cdx/KVPROD." + a.order(n)->name() + ".order.txt")));
  }
  EXPECT_TRUE(errors_.empty());
}

// A table made under DBFCDX: its memo goes to an FPT, its first tag makes the
// production index (header byte 28 set), a second tag joins the same file, and
// both follow appends, changes and deletions; reopened, the index comes back.
TEST_F(CdxWorkAreaTest, OwnTableKeepsTwoTagsCurrent) {
  ASSERT_TRUE(areas_->create(at("PROD.DBF"),
                             {{"CODIGO", 'C', 6, 0}, {"PRECO", 'N', 8, 2}, {"OBS", 'M', 10, 0}}));
  EXPECT_TRUE(std::filesystem::exists(at("PROD.FPT")));
  EXPECT_FALSE(cdx::has_production_flag(flags_byte("PROD.DBF")));
  WorkArea& a = use("PROD.DBF");
  IndexOptions by_code;
  by_code.key = "CODIGO";
  by_code.tag = "CODIGO";
  ASSERT_TRUE(a.create_index(at("PROD"), by_code));
  EXPECT_TRUE(std::filesystem::exists(at("PROD.CDX")));
  EXPECT_TRUE(cdx::has_production_flag(flags_byte("PROD.DBF")));
  IndexOptions by_price;
  by_price.key = "PRECO";
  by_price.condition = "PRECO > 0";
  by_price.tag = "PRECO";
  by_price.additive = true;
  ASSERT_TRUE(a.create_index(at("PROD"), by_price));
  ASSERT_EQ(a.order_count(), 2);
  EXPECT_EQ(a.order(1)->name(), "CODIGO");
  EXPECT_EQ(a.order(2)->name(), "PRECO");
  const char* codes[] = {"D", "B", "E", "A", "C"};
  const double prices[] = {5, -1, 3, 0, 10};
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(a.append_blank());
    ASSERT_TRUE(a.put(0, Value(codes[i])));
    ASSERT_TRUE(a.put(1, Value::number(prices[i], 2)));
    ASSERT_TRUE(a.put(2, Value(std::string("nota ") + codes[i])));
  }
  ASSERT_TRUE(a.commit());
  a.set_order(1);
  EXPECT_EQ(walk(a), "4\n2\n5\n1\n3\n");
  a.set_order(2);
  EXPECT_EQ(walk(a), "3\n1\n5\n");
  a.go_to(2);
  ASSERT_TRUE(a.lock_current());
  ASSERT_TRUE(a.put(1, Value::number(4, 2)));
  ASSERT_TRUE(a.put(0, Value("F")));
  a.go_to(5);
  ASSERT_TRUE(a.lock_current());
  ASSERT_TRUE(a.put(1, Value::number(-2, 2)));
  ASSERT_TRUE(a.unlock());
  EXPECT_EQ(walk(a), "3\n2\n1\n");
  EXPECT_EQ(walk(a, true), "3\n2\n1\n");
  a.set_order(1);
  EXPECT_EQ(walk(a), "4\n5\n1\n3\n2\n");
  ASSERT_TRUE(a.seek(Value("C"), false));
  EXPECT_TRUE(a.found());
  EXPECT_EQ(a.recno(), 5u);
  ASSERT_TRUE(a.seek(Value("CA"), true));
  EXPECT_FALSE(a.found());
  EXPECT_EQ(a.recno(), 1u);  // soft: the next key, "D"
  a.set_order(2);
  ASSERT_TRUE(a.seek(Value::number(4, 2), false));
  EXPECT_TRUE(a.found());
  EXPECT_EQ(a.recno(), 2u);
  a.set_order(1);
  a.go_to(1);
  ASSERT_TRUE(a.lock_current());
  ASSERT_TRUE(a.delete_record());
  ASSERT_TRUE(a.unlock());
  runtime().settings.deleted = true;
  EXPECT_EQ(walk(a), "4\n5\n3\n2\n");
  runtime().settings.deleted = false;
  for (int n = 1; n <= 2; ++n) EXPECT_FALSE(a.order(n)->check()) << n;
  // Clearing the order list keeps the production index.
  a.clear_orders();
  EXPECT_EQ(a.order_count(), 2);
  areas_->close_area(a.number());
  EXPECT_TRUE(errors_.empty());
  std::vector<VerifyProblem> problems = verify_table(at("PROD.DBF"), {});
  for (const VerifyProblem& p : problems) ADD_FAILURE() << p.file << ": " << p.reason;

  WorkArea& b = use("PROD.DBF");
  ASSERT_EQ(b.order_count(), 2);
  EXPECT_EQ(b.active_order(), 0);
  EXPECT_EQ(b.table().locks().scheme(), LockScheme::kCdxStructural);
  b.set_order(b.order_by_name("preco"));
  EXPECT_EQ(walk(b), "3\n2\n1\n");
  EXPECT_TRUE(errors_.empty());
  // Deleting the tags: the file and the production mark go with the last one.
  ASSERT_TRUE(b.delete_tag(b.order_by_name("PRECO")));
  EXPECT_EQ(b.order_count(), 1);
  EXPECT_EQ(b.active_order(), 0);
  EXPECT_TRUE(cdx::has_production_flag(flags_byte("PROD.DBF")));
  ASSERT_TRUE(b.delete_tag(1));
  EXPECT_EQ(b.order_count(), 0);
  EXPECT_FALSE(std::filesystem::exists(at("PROD.CDX")));
  EXPECT_FALSE(cdx::has_production_flag(flags_byte("PROD.DBF")));
  EXPECT_EQ(b.table().locks().scheme(), LockScheme::kCdx);
  EXPECT_TRUE(errors_.empty());
}

// A second bag beside the production index: its tags attach as orders named
// after them, and the tag name defaults to the bag's base name.
TEST_F(CdxWorkAreaTest, OtherBagTakesTagsAndDefaultName) {
  ASSERT_TRUE(areas_->create(at("ITEM.DBF"), {{"NOME", 'C', 8, 0}}));
  WorkArea& a = use("ITEM.DBF", true);
  add_three_names(a);
  IndexOptions o;
  o.key = "UPPER(NOME)";
  ASSERT_TRUE(a.create_index(at("OUTRO"), o));
  EXPECT_EQ(a.order(1)->name(), "OUTRO");
  EXPECT_FALSE(cdx::has_production_flag(flags_byte("ITEM.DBF")));
  EXPECT_EQ(a.table().locks().scheme(), LockScheme::kCdx);
  EXPECT_EQ(walk(a), "3\n1\n2\n");
  a.clear_orders();
  EXPECT_EQ(a.order_count(), 0);
  ASSERT_TRUE(a.add_index(at("OUTRO.CDX")));
  EXPECT_EQ(a.order_count(), 1);
  EXPECT_EQ(walk(a), "3\n1\n2\n");
  // Made again, the tag replaces its order and walks the same.
  ASSERT_TRUE(a.reindex());
  EXPECT_EQ(a.order_count(), 1);
  EXPECT_EQ(walk(a), "3\n1\n2\n");
  EXPECT_FALSE(a.order(1)->check());
  EXPECT_TRUE(errors_.empty());
}

// A build stopped by its progress callback leaves a partial tag: changing a
// record it never saw is not taken for damage.
TEST_F(CdxWorkAreaTest, StoppedBuildMakesAPartialTag) {
  ASSERT_TRUE(areas_->create(at("ITEM.DBF"), {{"NOME", 'C', 8, 0}}));
  WorkArea& a = use("ITEM.DBF", true);
  add_three_names(a);
  IndexOptions o;
  o.key = "NOME";
  o.tag = "NOME";
  int calls = 0;
  o.progress = [&] { return ++calls < 2; };
  ASSERT_TRUE(a.create_index(at("ITEM"), o));
  EXPECT_EQ(walk(a), "1\n");
  a.go_to(3);
  ASSERT_TRUE(a.put(0, Value("banana")));
  ASSERT_TRUE(a.commit());
  EXPECT_EQ(walk(a), "3\n1\n");
  EXPECT_TRUE(errors_.empty());
}

// ITEM.DBF with a production index ITEM.CDX (tag NOME) and three records.
void make_item_with_production(WorkAreas& areas, const std::string& table, const std::string& bag) {
  ASSERT_TRUE(areas.create(table, {{"NOME", 'C', 8, 0}}));
  UseOptions o;
  o.exclusive = true;
  const int n = areas.use(table, o);
  ASSERT_NE(n, 0);
  WorkArea& a = *areas.area(n);
  add_three_names(a);
  IndexOptions index;
  index.key = "NOME";
  index.tag = "NOME";
  ASSERT_TRUE(a.create_index(bag, index));
  areas.close_all();
}

// Which opens attach the production index: by default whenever the file is
// there; in strict structural mode exactly when the header says so, a missing
// file being an open error; never with automatic opening off.
TEST_F(CdxWorkAreaTest, ProductionIndexOpensByTheHeaderInStrictMode) {
  make_item_with_production(*areas_, at("ITEM.DBF"), at("ITEM"));
  auto orders_on_open = [&]() {
    const int n = areas_->use(at("ITEM.DBF"), UseOptions{});
    const int orders = n == 0 ? -1 : areas_->area(n)->order_count();
    areas_->close_all();
    return orders;
  };
  RuntimeSettings& s = runtime().settings;
  EXPECT_EQ(orders_on_open(), 1);
  s.strict_structural = true;
  EXPECT_EQ(orders_on_open(), 1);
  s.strict_structural = false;
  s.auto_open = false;
  EXPECT_EQ(orders_on_open(), 0);
  s.auto_open = true;

  // The header's mark cleared, the file still there.
  {
    std::fstream f(at("ITEM.DBF"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(28);
    f.put('\0');
  }
  EXPECT_EQ(orders_on_open(), 1);
  s.strict_structural = true;
  EXPECT_EQ(orders_on_open(), 0);
  ASSERT_TRUE(errors_.empty());

  // The mark set, the file gone.
  {
    std::fstream f(at("ITEM.DBF"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(28);
    f.put('\x01');
  }
  std::filesystem::remove(at("ITEM.CDX"));
  EXPECT_EQ(orders_on_open(), -1);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].gencode, 21);
  EXPECT_EQ(errors_[0].oscode, 2);
  s.strict_structural = false;
  EXPECT_EQ(orders_on_open(), 0);
}

// Making the production index while records are locked moves the locks to the
// layout of the structural index, where every other opener now looks for them.
TEST_F(CdxWorkAreaTest, MakingTheProductionIndexMovesHeldLocks) {
  ASSERT_TRUE(areas_->create(at("ITEM.DBF"), {{"NOME", 'C', 8, 0}}));
  WorkArea& a = use("ITEM.DBF");
  add_three_names(a);
  ASSERT_TRUE(a.unlock());
  ASSERT_TRUE(a.go_to(2));
  ASSERT_TRUE(a.lock_current());
  EXPECT_EQ(a.table().locks().scheme(), LockScheme::kCdx);
  IndexOptions index;
  index.key = "NOME";
  index.tag = "NOME";
  ASSERT_TRUE(a.create_index(at("ITEM"), index));
  EXPECT_EQ(a.table().locks().scheme(), LockScheme::kCdxStructural);
  EXPECT_TRUE(a.table().record_locked(2));

  UseOptions second;
  second.alias = "OUTRA";
  const int nb = areas_->use(at("ITEM.DBF"), second);
  ASSERT_NE(nb, 0);
  WorkArea& b = *areas_->area(nb);  // opens the production index: the same layout
  EXPECT_EQ(b.table().locks().scheme(), LockScheme::kCdxStructural);
  ASSERT_TRUE(b.go_to(2));
  EXPECT_FALSE(b.lock_current());
  ASSERT_TRUE(b.go_to(3));
  EXPECT_TRUE(b.lock_current());
  errors_.clear();

  // Deleting a tag that the other area reads is refused.
  EXPECT_FALSE(a.delete_tag(1));
  ASSERT_FALSE(errors_.empty());
  EXPECT_EQ(errors_.back().gencode, 37);
  EXPECT_EQ(b.order_count(), 1);
}

// Two work areas of one process share a table and its production index: keys
// one of them adds are found by the other.
TEST_F(CdxWorkAreaTest, TwoSharedAreasSeeEachOthersKeys) {
  ASSERT_TRUE(areas_->create(at("PROD.DBF"), {{"CODIGO", 'C', 6, 0}}));
  {
    WorkArea& a = use("PROD.DBF", true);
    IndexOptions o;
    o.key = "CODIGO";
    ASSERT_TRUE(a.create_index(at("PROD"), o));
    areas_->close_area(a.number());
  }
  UseOptions shared;
  WorkArea& a = *areas_->area(areas_->use(at("PROD.DBF"), shared));
  shared.alias = "OUTRA";
  shared.new_area = true;
  const int nb = areas_->use(at("PROD.DBF"), shared);
  ASSERT_NE(nb, 0);
  WorkArea& b = *areas_->area(nb);
  ASSERT_EQ(b.order_count(), 1);
  for (const char* code : {"M", "C", "X"}) {
    ASSERT_TRUE(a.append_blank());
    ASSERT_TRUE(a.put(0, Value(code)));
    ASSERT_TRUE(a.commit());
    ASSERT_TRUE(a.unlock());
  }
  b.set_order(1);
  EXPECT_EQ(walk(b), "2\n1\n3\n");
  EXPECT_FALSE(b.order(1)->check());
  EXPECT_TRUE(errors_.empty());
}

// A damaged production index makes the open fail with 32/1012 naming the file;
// an index file that is not there at all is simply not attached.
TEST_F(CdxWorkAreaTest, DamagedProductionIndexFailsTheOpen) {
  copy_kvprod();
  std::filesystem::resize_file(at("KVPROD.CDX"), 1024);
  UseOptions o;
  EXPECT_EQ(areas_->use(at("KVPROD.DBF"), o), 0);
  ASSERT_FALSE(errors_.empty());
  EXPECT_EQ(errors_.back().gencode, 32);
  EXPECT_EQ(errors_.back().subcode, 1012);
  EXPECT_NE(errors_.back().filename.find("KVPROD.CDX"), std::string::npos);
  errors_.clear();
  std::filesystem::remove(at("KVPROD.CDX"));
  WorkArea& a = use("KVPROD.DBF");
  EXPECT_EQ(a.order_count(), 0);
  EXPECT_EQ(a.table().locks().scheme(), LockScheme::kCdx);
  EXPECT_TRUE(errors_.empty());
}

}  // namespace
}  // namespace codfix::dbf
