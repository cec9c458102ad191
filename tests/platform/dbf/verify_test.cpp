// The integrity check: clean tables and indexes (the classic tools' and ours) pass,
// each damaged fixture is reported.
#include "platform/dbf/verify.h"

#include <gtest/gtest.h>

#include "platform/dbf/transfer.h"
#include "platform/dbf/work_areas.h"
#include "platform/expr/expr.h"
#include "tests/platform/dbf/dbf_test_support.h"

namespace codfix::dbf {
namespace {

using testing::fixture;

class VerifyTest : public testing::ScratchTest {
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
  static std::string text(const std::vector<VerifyProblem>& problems) {
    std::string out;
    for (const VerifyProblem& p : problems) out += p.file + ": " + p.reason + "\n";
    return out;
  }
  std::unique_ptr<WorkAreas> areas_;
};

TEST_F(VerifyTest, CleanFixturesPass) {
  struct Case {
    const char* table;
    std::vector<const char*> indexes;
  };
  const Case cases[] = {
      {"ntx/KVPROD.DBF",
       {"ntx/KVPROD.NTX", "ntx/KVPRECO.NTX", "ntx/KVDATA.NTX", "ntx/KVATIVO.NTX", "ntx/KVSITUA.NTX",
        "ntx/KVUNICO.NTX", "ntx/KVDESC.NTX", "ntx/KVATIVOS.NTX", "ntx/KVDESCR.NTX"}},
      {"ntx/KVITEM.DBF", {"ntx/KVITEM.NTX"}},
      {"shapes/kvprod.dbf", {"shapes/kvprod.ntx"}},
      {"shapes/MEMO83.DBF", {"shapes/MEMO83.NTX"}},
      {"shapes/PLANO03.DBF", {"shapes/PLANO03.NTX"}},
      {"shapes/APAGADOS.DBF", {"shapes/APAGADOS.NTX"}},
      {"shapes/VAZIO.DBF", {"shapes/VAZIO.NTX"}},
      {"shapes/TIPOS.DBF", {}},
      {"shapes/LONGOS.DBF", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> indexes;
    for (const char* i : c.indexes) indexes.push_back(fixture(i));
    EXPECT_EQ(text(verify_table(fixture(c.table), indexes)), "") << c.table;
  }
}

TEST_F(VerifyTest, DamagedFixturesAreReported) {
  struct Case {
    const char* dir;
    const char* table;
    const char* index;
    const char* reason;  // a part of the first reason
  };
  const Case cases[] = {
      {"dbf-reccount-too-big", "PLANO03.DBF", nullptr, "counts 90 records"},
      {"dbf-hdrlen-past-eof", "PLANO03.DBF", nullptr, "past the end"},
      {"dbf-truncated-record", "PLANO03.DBF", nullptr, "cut short"},
      {"dbf-zero-length-field", "PLANO03.DBF", nullptr, "length 0"},
      {"memo-pointer-past-eof", "MEMO83.DBF", nullptr, "block 99999"},
      {"memo-file-missing", "MEMO83.DBF", nullptr, "Open error"},
      {"numeric-overflow", "ESTOURO.DBF", nullptr, "not a number"},
      {"ntx-root-unaligned", "PLANO03.DBF", "PLANO03.NTX", "2560"},
      {"ntx-item-count", "PLANO03.DBF", "PLANO03.NTX", "100 keys"},
      {"ntx-page-loop", "PLANO03.DBF", "PLANO03.NTX", "4096"},
  };
  for (const Case& c : cases) {
    const std::string dir = std::string("damaged/") + c.dir + "/";
    std::vector<std::string> indexes;
    if (c.index) indexes.push_back(fixture(dir + c.index));
    std::vector<VerifyProblem> problems = verify_table(fixture(dir + c.table), indexes);
    ASSERT_FALSE(problems.empty()) << c.dir;
    EXPECT_NE(problems[0].reason.find(c.reason), std::string::npos) << text(problems);
  }
}

TEST_F(VerifyTest, WhatWeWritePasses) {
  ASSERT_TRUE(areas_->create(at("NOVA.DBF"), {{"CODIGO", 'C', 8, 0},
                                              {"VALOR", 'N', 10, 2},
                                              {"DATA", 'D', 8, 0},
                                              {"ATIVO", 'L', 1, 0},
                                              {"OBS", 'M', 10, 0}}));
  UseOptions o;
  o.exclusive = true;
  WorkArea& a = *areas_->area(areas_->use(at("NOVA.DBF"), o));
  IndexOptions by_code;
  by_code.key = "CODIGO";
  ASSERT_TRUE(a.create_index(at("NCOD.NTX"), by_code));
  IndexOptions by_value;
  by_value.key = "VALOR";
  by_value.condition = "ATIVO";
  by_value.additive = true;
  ASSERT_TRUE(a.create_index(at("NVAL.NTX"), by_value));
  IndexOptions by_date;
  by_date.key = "DTOS(DATA)+CODIGO";
  by_date.unique = true;
  by_date.additive = true;
  ASSERT_TRUE(a.create_index(at("NDATA.NTX"), by_date));
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8) % 1000; };
  for (int i = 0; i < 600; ++i) {
    ASSERT_TRUE(a.append_blank());
    ASSERT_TRUE(a.put(0, Value("C" + std::to_string(next()))));
    ASSERT_TRUE(a.put(1, Value::number(static_cast<double>(next()) - 500.25, 2)));
    ASSERT_TRUE(a.put(2, Value::date(2451545 + static_cast<int32_t>(next()))));
    ASSERT_TRUE(a.put(3, Value(next() % 2 == 0)));
    if (i % 7 == 0) {
      ASSERT_TRUE(a.put(4, Value("nota " + std::to_string(i))));
    }
  }
  // Changes after the appends move keys around.
  for (uint32_t r = 1; r <= 600; r += 3) {
    ASSERT_TRUE(a.go_to(r));
    ASSERT_TRUE(a.put(0, Value("D" + std::to_string(next()))));
    ASSERT_TRUE(a.put(3, Value(next() % 2 == 0)));
    if (r % 2 == 0) {
      ASSERT_TRUE(a.delete_record());
    }
  }
  ASSERT_TRUE(a.close());
  areas_->close_all();
  EXPECT_EQ(text(verify_table(at("NOVA.DBF"), {at("NCOD.NTX"), at("NVAL.NTX"), at("NDATA.NTX")})),
            "");
  EXPECT_TRUE(errors_.empty());
}

TEST_F(VerifyTest, AnIndexThatMissesRecordsIsReported) {
  copy_fixture("shapes/PLANO03.DBF");
  copy_fixture("shapes/PLANO03.NTX");
  UseOptions o;
  o.exclusive = true;
  WorkArea& a = *areas_->area(areas_->use(at("PLANO03.DBF"), o));
  ASSERT_TRUE(a.append_blank());  // appended without the index attached
  ASSERT_TRUE(a.put(1, Value("NOVO")));
  areas_->close_all();
  std::vector<VerifyProblem> problems = verify_table(at("PLANO03.DBF"), {at("PLANO03.NTX")});
  ASSERT_EQ(problems.size(), 1u) << text(problems);
  EXPECT_NE(problems[0].reason.find("record 81 is missing"), std::string::npos);
}

}  // namespace
}  // namespace codfix::dbf
