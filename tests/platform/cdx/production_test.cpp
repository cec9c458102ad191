// The production index of a table: its name beside the table, found ignoring case,
// recognised among index names, and the table header flag bit.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/cdx/production.h"
#include "tests/platform/cdx/fixture_support.h"

namespace codfix::cdx {
namespace {

TEST(CdxProduction, NameFollowsTheTable) {
  EXPECT_EQ(production_index_name("/dados/KVPROD.DBF"), "/dados/KVPROD.CDX");
  EXPECT_EQ(production_index_name("/dados/kvprod.dbf"), "/dados/kvprod.cdx");
  EXPECT_EQ(production_index_name("KVPROD"), "KVPROD.CDX");
  EXPECT_EQ(production_index_name("C:\\DADOS\\Clientes.dbf"), "C:\\DADOS\\Clientes.cdx");
}

TEST(CdxProduction, FoundBesideTheTableIgnoringCase) {
  std::string table = testing::scratch_file("NOMES2.DBF");
  std::string folder = std::filesystem::path(table).parent_path().string();
  EXPECT_FALSE(find_production_index(table).has_value());
  testing::write_file(folder + "/nomes2.cdx", "x");
  auto found = find_production_index(table);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(*found, folder + "/nomes2.cdx");
  // Another folder's index of the same name is not the production index.
  std::filesystem::create_directories(folder + "/outra");
  EXPECT_FALSE(find_production_index(folder + "/outra/NOMES2.DBF").has_value());
}

TEST(CdxProduction, RecognisedAmongIndexNames) {
  const struct {
    const char* table;
    const char* index;
    bool production;
  } cases[] = {
      {"/d/KVPROD.DBF", "/d/KVPROD.CDX", true},  {"/d/KVPROD.DBF", "/d/kvprod.cdx", true},
      {"/d/KVPROD.DBF", "/d/KVPROD.NTX", false}, {"/d/KVPROD.DBF", "/d/OUTRO.CDX", false},
      {"/d/KVPROD.DBF", "/e/KVPROD.CDX", false}, {"KVPROD.DBF", "./KVPROD.CDX", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(is_production_index(c.table, c.index), c.production) << c.table << " " << c.index;
}

TEST(CdxProduction, HeaderFlagBit) {
  EXPECT_FALSE(has_production_flag(0x00));
  EXPECT_TRUE(has_production_flag(0x01));
  EXPECT_TRUE(has_production_flag(0x03));
  EXPECT_EQ(with_production_flag(0x02, true), 0x03);
  EXPECT_EQ(with_production_flag(0x03, false), 0x02);
  // The fixtures made by the CDX driver carry the bit.
  std::string dbf = testing::read_file(testing::data_path("cdx/KVPROD.DBF"));
  EXPECT_TRUE(has_production_flag(static_cast<uint8_t>(dbf[kTableFlagsOffset])));
  dbf = testing::read_file(testing::data_path("cp850/NOMES.DBF"));
  EXPECT_FALSE(has_production_flag(static_cast<uint8_t>(dbf[kTableFlagsOffset])));
}

}  // namespace
}  // namespace codfix::cdx
