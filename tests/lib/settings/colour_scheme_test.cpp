#include "lib/settings/colour_scheme.h"

#include <gtest/gtest.h>

#include "lib/tables/open_tables.h"
#include "lib/tables/temp_tables.h"
#include "platform/dbf/table_functions.h"
#include "platform/dbf/work_areas.h"
#include "platform/sys/environment.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

class ColourScheme : public testing::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    areas_ = std::make_unique<dbf::WorkAreas>();
    dbf::register_table_functions();
    register_open_table_routines();
    register_temp_table_routines();
  }
  void TearDown() override {
    areas_.reset();
    LibraryTest::TearDown();
  }
  // CORES.DBF with one record per {station, confcor, corsay, corget}.
  void make_cores(
      const std::vector<std::tuple<std::string, bool, std::string, std::string>>& rows) {
    dbf::Structure s = {{"ESTACAO", 'C', 20, 0}, {"CONFCOR", 'L', 1, 0}, {"CORSAY", 'C', 5, 0},
                        {"CORGET", 'C', 5, 0},   {"CORJAN", 'C', 10, 0}, {"FONTE", 'N', 2, 0}};
    ASSERT_TRUE(areas_->create(folder() + "/CORES.DBF", s));
    int area = areas_->use(folder() + "/CORES.DBF", {});
    dbf::WorkArea* a = areas_->area(area);
    for (const auto& [station, confcor, say, get] : rows) {
      a->append_blank();
      a->put(0, Value(station));
      a->put(1, Value(confcor));
      a->put(2, Value(say));
      a->put(3, Value(get));
      a->put(4, Value("GR+/B"));
      a->put(5, Value(3));
    }
    areas_->close_area(area);
  }
  std::unique_ptr<dbf::WorkAreas> areas_;
};

TEST_F(ColourScheme, DefaultsWithoutAColourTable) {
  EXPECT_TRUE(LERCORES());
  EXPECT_EQ(rt().vars.get("CCORJAN").text(), "N/W,W+/N");
  EXPECT_EQ(rt().vars.get("CCORGET").text(), "B/W,N/BG,,,B/W");
  EXPECT_EQ(rt().vars.get("NFONTE").as_double(), 0);
  EXPECT_FALSE(rt().vars.get("LCONFCOR").logical());
}

TEST_F(ColourScheme, ConfiguredColoursOfThisWorkstation) {
  std::string here = sys::host_name();
  make_cores({{"CAIXA1", true, "R/W", "W/R"}, {"  " + here, true, "W/B", "N/W"}});
  int before = areas_->current_area();
  EXPECT_TRUE(LERCORES());
  EXPECT_TRUE(rt().vars.get("LCONFCOR").logical());
  EXPECT_EQ(rt().vars.get("CCORSAY").text(), "W/B  ");
  EXPECT_EQ(rt().vars.get("CCORGET").text(), "W/B  ,N/W  ,,,W/B  ");
  EXPECT_EQ(rt().vars.get("CCORJAN").text(), "GR+/B     ");
  EXPECT_EQ(rt().vars.get("NFONTE").as_double(), 3);
  EXPECT_EQ(rt().vars.get("CCORMENU").text(), "");  // no such field: empty
  EXPECT_EQ(areas_->open_areas().size(), 0u);
  EXPECT_EQ(areas_->current_area(), before);
}

TEST_F(ColourScheme, FirstRecordWhenNoStationMatches) {
  make_cores({{"CAIXA1", false, "R/W", "W/R"}, {"CAIXA2", true, "W/B", "N/W"}});
  EXPECT_TRUE(LERCORES());
  EXPECT_FALSE(rt().vars.get("LCONFCOR").logical());
  EXPECT_EQ(rt().vars.get("CCORSAY").text(), "B/W");
}

TEST_F(ColourScheme, TrocacorRecoloursAndUndoes) {
  console::Screen& s = screen().screen();
  s.write(5, 8, "abcdefghijklmnop", 0x1F);  // W+/B
  s.write(5, 12, "XY", 0x17);               // W/B
  Value undo = TROCACOR("W/B", "W+/R", 5, 10, 5, 20);
  EXPECT_EQ(s.cell(5, 12).attr, 0x4F);
  EXPECT_EQ(s.cell(5, 12).ch, 'X');
  EXPECT_EQ(s.cell(5, 11).attr, 0x1F);
  EXPECT_EQ(undo.items().size(), 6u);
  EXPECT_TRUE(TROCACOR(undo).items().empty());
  EXPECT_EQ(s.cell(5, 12).attr, 0x17);
  EXPECT_EQ(s.cell(5, 13).attr, 0x17);
}

}  // namespace
}  // namespace codfix
