// Tables and memo files our engine writes: the bytes on disk follow the classic
// tools' layout, and what is written reads back.
#include <gtest/gtest.h>

#include "lib/core/date.h"
#include "platform/dbf/table.h"
#include "platform/dbf/table_dump.h"
#include "tests/platform/dbf/dbf_test_support.h"

namespace codfix::dbf {
namespace {

class TableWrite : public testing::ScratchTest {
 protected:
  std::unique_ptr<Table> make(const std::string& name, const Structure& s) {
    Failure failure;
    std::unique_ptr<Table> t = Table::create(at(name), s, "DBFNTX", failure);
    EXPECT_TRUE(t) << failure.detail;
    return t;
  }
  std::unique_ptr<Table> reopen(const std::string& name, bool exclusive = true) {
    Failure failure;
    OpenOptions o;
    o.exclusive = exclusive;
    std::unique_ptr<Table> t = Table::open(at(name), o, failure);
    EXPECT_TRUE(t) << failure.detail;
    return t;
  }
  static Structure worked_example() {
    return {{"CODIGO", 'C', 15, 0}, {"DESCR", 'C', 300, 0}, {"PRECO", 'N', 12, 2},
            {"DATA", 'D', 8, 0},    {"ATIVO", 'L', 1, 0},   {"OBS", 'M', 10, 0}};
  }
};

TEST_F(TableWrite, CreateWritesTheClassicLayout) {
  std::unique_ptr<Table> t = make("NOVA.DBF", worked_example());
  ASSERT_TRUE(t);
  ASSERT_FALSE(t->close());
  const std::string bytes = get("NOVA.DBF");
  ASSERT_EQ(bytes.size(), 227u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 0x83);
  HeaderDate d = today();
  EXPECT_EQ(static_cast<uint8_t>(bytes[1]), d.year - 1900);
  EXPECT_EQ(bytes.substr(4, 8), std::string("\0\0\0\0\xE2\0\x5B\x01", 8));
  EXPECT_EQ(bytes.substr(12, 20), std::string(20, '\0'));
  EXPECT_EQ(bytes.substr(32, 16), std::string("CODIGO\0\0\0\0\0C\0\0\0\0", 16));
  EXPECT_EQ(bytes.substr(48, 16), std::string("\x0F\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16));
  EXPECT_EQ(bytes.substr(80, 2), std::string("\x2C\x01", 2));   // DESCR C(300)
  EXPECT_EQ(bytes.substr(112, 2), std::string("\x0C\x02", 2));  // PRECO N(12,2)
  EXPECT_EQ(bytes.substr(224), std::string("\x0D\0\x1A", 3));
  // A bare DBT header beside it: next free block 1, block size 512.
  const std::string memo = get("NOVA.DBT");
  ASSERT_EQ(memo.size(), 512u);
  EXPECT_EQ(memo.substr(0, 8), std::string("\x01\0\0\0\0\x02\0\0", 8));
}

TEST_F(TableWrite, SharedAppendWritesTheRecordAndHeaderWithoutEndMark) {
  make("NOVA.DBF", worked_example())->close();
  std::unique_ptr<Table> t = reopen("NOVA.DBF", false);
  ASSERT_FALSE(t->append_blank());
  EXPECT_EQ(t->recno(), 1u);
  EXPECT_TRUE(t->record_locked(1));
  ASSERT_FALSE(t->put(0, Value("ABC")));
  ASSERT_FALSE(t->put(2, Value::number(-1234.5, 1)));
  ASSERT_FALSE(t->put(3, Value(dtos_to_date("20250307"))));
  ASSERT_FALSE(t->put(4, Value(true)));
  ASSERT_FALSE(t->put(5, Value("Linha 1\r\nfim")));
  ASSERT_FALSE(t->commit());
  const std::string bytes = get("NOVA.DBF");
  ASSERT_EQ(bytes.size(), 226u + 347u);  // no 0x1A after a shared append
  EXPECT_EQ(bytes.substr(4, 4), std::string("\x01\0\0\0", 4));
  std::string expected = " ABC" + std::string(12, ' ') + std::string(300, ' ') + "    -1234.50" +
                         "20250307" + "T" + "         1";
  EXPECT_EQ(bytes.substr(226), expected);
  EXPECT_EQ(get("NOVA.DBT").substr(512), std::string("Linha 1\r\nfim\x1A\x1A"));
}

TEST_F(TableWrite, ExclusiveAppendsRewriteHeaderAndEndMarkAtClose) {
  std::unique_ptr<Table> t = make("NOVA.DBF", {{"NOME", 'C', 5, 0}});
  for (const char* name : {"um", "dois", "tres"}) {
    ASSERT_FALSE(t->append_blank());
    ASSERT_FALSE(t->put(0, Value(name)));
  }
  ASSERT_FALSE(t->close());
  const std::string bytes = get("NOVA.DBF");
  ASSERT_EQ(bytes.size(), 32u + 32u + 2u + 3u * 6u + 1u);
  EXPECT_EQ(bytes[4], 3);
  EXPECT_EQ(bytes.back(), '\x1A');
  EXPECT_EQ(bytes.substr(66, 18), " um    dois  tres ");
}

TEST_F(TableWrite, NumbersAreRoundedAndOverflowLeavesAsterisks) {
  struct Case {
    double value;
    int width, decimals;
    const char* stored;
    bool overflow;
  };
  const Case cases[] = {
      {-1234.5, 10, 2, "  -1234.50", false},
      {1234.567, 5, 0, " 1235", false},
      {-0.5, 5, 0, "   -1", false},
      {2.5, 5, 0, "    3", false},
      {1.005, 8, 2, "    1.01", false},
      {8.995, 8, 2, "    9.00", false},
      {-0.004, 8, 2, "    0.00", false},
      {42, 6, 2, " 42.00", false},
      {99999.995, 8, 2, "********", true},
      {123456, 5, 0, "*****", true},
      {1, 3, 2, "***", true},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Table> t = make("NUM.DBF", {{"V", 'N', c.width, c.decimals}});
    ASSERT_FALSE(t->append_blank());
    Failure f = t->put(0, Value::number(c.value, 3));
    EXPECT_EQ(f.gencode, c.overflow ? 34 : 0) << c.value;
    if (c.overflow) {
      EXPECT_EQ(f.subcode, 1021);
      EXPECT_EQ(f.operation, "V");
    }
    EXPECT_EQ(t->field_bytes(0), c.stored) << c.value;
    ASSERT_FALSE(t->close());
  }
}

TEST_F(TableWrite, TextIsPaddedOrCutAndTypesAreChecked) {
  std::unique_ptr<Table> t = make("T.DBF", {{"C", 'C', 4, 0}, {"L", 'L', 1, 0}});
  ASSERT_FALSE(t->append_blank());
  ASSERT_FALSE(t->put(0, Value("abcdef")));
  EXPECT_EQ(t->field_bytes(0), "abcd");
  ASSERT_FALSE(t->put(0, Value("x")));
  EXPECT_EQ(t->field_bytes(0), "x   ");
  Failure f = t->put(1, Value("T"));
  EXPECT_EQ(f.gencode, 33);
  EXPECT_EQ(t->field_bytes(1), " ");
}

TEST_F(TableWrite, MemoUpdatesAppendAndNeverReuseBlocks) {
  // Every assignment goes to the next free block. A 511-byte text takes two blocks
  // (room for both end marks; the classic tools give it one and let the second
  // 0x1A spill into the next memo), so "curto" is in block 4 and its replacement
  // in block 5.
  std::unique_ptr<Table> t = make("M.DBF", {{"OBS", 'M', 10, 0}});
  for (int i = 0; i < 3; ++i) ASSERT_FALSE(t->append_blank());
  ASSERT_FALSE(t->go(1));
  ASSERT_FALSE(t->put(0, Value("Linha 1\r\nfim")));
  ASSERT_FALSE(t->go(2));
  ASSERT_FALSE(t->put(0, Value(std::string(511, 'a'))));
  ASSERT_FALSE(t->go(3));
  ASSERT_FALSE(t->put(0, Value("curto")));
  ASSERT_FALSE(t->put(0, Value("substituido")));
  ASSERT_FALSE(t->close());
  const std::string memo = get("M.DBT");
  EXPECT_EQ(memo.substr(0, 4), std::string("\x06\0\0\0", 4));
  EXPECT_EQ(memo.substr(2048, 7), "curto\x1A\x1A");
  EXPECT_EQ(memo.substr(2560), "substituido\x1A\x1A");

  t = reopen("M.DBF");
  Value v;
  ASSERT_FALSE(t->go(2));
  ASSERT_FALSE(t->get(0, v));
  EXPECT_EQ(v.text(), std::string(511, 'a'));
  ASSERT_FALSE(t->go(3));
  ASSERT_FALSE(t->get(0, v));
  EXPECT_EQ(v.text(), "substituido");
  EXPECT_TRUE(v.is_memo());
  // An empty text is not stored: the field becomes blanks.
  ASSERT_FALSE(t->put(0, Value("")));
  EXPECT_EQ(t->field_bytes(0), std::string(10, ' '));
}

TEST_F(TableWrite, SharedChangesNeedTheRecordLock) {
  make("S.DBF", {{"C", 'C', 3, 0}})->close();
  {
    std::unique_ptr<Table> t = reopen("S.DBF");
    ASSERT_FALSE(t->append_blank());
  }
  std::unique_ptr<Table> t = reopen("S.DBF", false);
  ASSERT_FALSE(t->go(1));
  Failure f = t->put(0, Value("x"));
  EXPECT_EQ(f.gencode, 38);
  EXPECT_EQ(f.subcode, 1022);
  bool granted = false;
  ASSERT_FALSE(t->lock_record(1, true, granted));
  ASSERT_TRUE(granted);
  EXPECT_FALSE(t->put(0, Value("x")));
  ASSERT_FALSE(t->unlock_all());
  EXPECT_EQ(get("S.DBF").substr(66 + 1, 3), "x  ");
}

TEST_F(TableWrite, PackRemovesDeletedRecordsAndCompactsMemos) {
  std::unique_ptr<Table> t = make("P.DBF", {{"N", 'N', 3, 0}, {"OBS", 'M', 10, 0}});
  for (int i = 1; i <= 6; ++i) {
    ASSERT_FALSE(t->append_blank());
    ASSERT_FALSE(t->put(0, Value(i)));
    ASSERT_FALSE(t->put(1, Value("memo " + std::to_string(i))));
    if (i % 2 == 0) {
      ASSERT_FALSE(t->set_deleted(true));
    }
  }
  ASSERT_FALSE(t->pack());
  uint32_t n = 0;
  ASSERT_FALSE(t->count(n));
  EXPECT_EQ(n, 3u);
  ASSERT_FALSE(t->close());
  t = reopen("P.DBF");
  std::string dump, line;
  for (uint32_t k = 1; k <= 3; ++k) {
    ASSERT_FALSE(t->go(k));
    ASSERT_FALSE(dump_record(*t, line));
    dump += line + "\n";
  }
  EXPECT_EQ(dump, " |  1|memo 1\n |  3|memo 3\n |  5|memo 5\n");
  EXPECT_EQ(get("P.DBT").size(), 512u * 3 + 8);
  EXPECT_EQ(get("P.DBF").back(), '\x1A');
}

TEST_F(TableWrite, ZapEmptiesTableAndMemo) {
  std::unique_ptr<Table> t = make("Z.DBF", {{"OBS", 'M', 10, 0}});
  ASSERT_FALSE(t->append_blank());
  ASSERT_FALSE(t->put(0, Value("x")));
  ASSERT_FALSE(t->zap());
  ASSERT_FALSE(t->close());
  EXPECT_EQ(get("Z.DBF").size(), 32u + 32u + 2u + 1u);
  EXPECT_EQ(get("Z.DBT").size(), 512u);
}

TEST_F(TableWrite, PackAndZapNeedExclusiveUse) {
  make("E.DBF", {{"C", 'C', 1, 0}})->close();
  std::unique_ptr<Table> t = reopen("E.DBF", false);
  EXPECT_EQ(t->pack().gencode, 37);
  EXPECT_EQ(t->zap().subcode, 1023);
}

TEST_F(TableWrite, CreateRefusesBadStructures) {
  const Structure bad[] = {
      {},
      {{"", 'C', 1, 0}},
      {{"A", 'C', 0, 0}},
      {{"A", 'X', 1, 0}},
      {{"A", 'N', 256, 0}},
      {{"A", 'C', 1, 0}, {"a", 'C', 1, 0}},
      {{"NOMEMUITOLONGO", 'C', 1, 0}},
  };
  for (const Structure& s : bad) {
    Failure failure;
    EXPECT_FALSE(Table::create(at("BAD.DBF"), s, "DBFNTX", failure));
    EXPECT_EQ(failure.gencode, 20);
  }
}

TEST_F(TableWrite, LongCharacterFieldsSplitTheirWidth) {
  std::unique_ptr<Table> t = make("L.DBF", {{"T1024", 'C', 1024, 0}});
  ASSERT_FALSE(t->append_blank());
  ASSERT_FALSE(t->put(0, Value(std::string(1000, ' ') + "fim")));
  ASSERT_FALSE(t->close());
  const std::string bytes = get("L.DBF");
  EXPECT_EQ(bytes.substr(48, 2), std::string("\0\x04", 2));
  t = reopen("L.DBF");
  Value v;
  ASSERT_FALSE(t->get(0, v));
  EXPECT_EQ(v.text().size(), 1024u);
  EXPECT_EQ(v.text().substr(1000, 3), "fim");
}

}  // namespace
}  // namespace codfix::dbf
