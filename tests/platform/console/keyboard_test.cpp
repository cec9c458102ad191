#include <gtest/gtest.h>

#include "lib/core/error.h"
#include "lib/core/runtime.h"
#include "platform/console/console.h"
#include "platform/console/headless_backend.h"
#include "platform/console/keys.h"

namespace codfix::console {
namespace {

class Recorder : public Callable {
 public:
  std::vector<std::vector<Value>> calls;
  std::function<void()> also;
  Value call(std::span<const Value> args) override {
    calls.emplace_back(args.begin(), args.end());
    if (also) also();
    return Value();
  }
};

struct KeyboardTest : ::testing::Test {
  RuntimeScope runtime;
  HeadlessBackend* headless = nullptr;
  std::unique_ptr<ConsoleScope> scope;
  void SetUp() override {
    auto b = std::make_unique<HeadlessBackend>();
    headless = b.get();
    scope = std::make_unique<ConsoleScope>(std::move(b));
  }
  Keyboard& kb() { return scope->console().keyboard(); }
};

TEST(Keys, Codes) {
  EXPECT_EQ(key::alt('Q'), 272);
  EXPECT_EQ(key::alt('e'), 274);
  EXPECT_EQ(key::alt('I'), 279);
  EXPECT_EQ(key::alt('A'), 286);
  EXPECT_EQ(key::alt('C'), 302);
  EXPECT_EQ(key::alt('B'), 304);
  EXPECT_EQ(key::alt('M'), 306);
  EXPECT_EQ(key::alt('0'), 385);
  EXPECT_EQ(key::ctrl('D'), 516);
  EXPECT_EQ(key::ctrl('p'), 528);
  EXPECT_EQ(key::ctrl('W'), 535);
  EXPECT_EQ(key::f(1), 28);
  EXPECT_EQ(key::f(2), -1);
  EXPECT_EQ(key::f(10), -9);
  EXPECT_EQ(key::f(11), -40);
  EXPECT_EQ(key::f(12), -41);
  EXPECT_EQ(key::alt_f(1), -30);
  EXPECT_EQ(key::alt_f(10), -39);
  EXPECT_EQ(key::mask_bit(1002), key::kMaskLeftDown);
  EXPECT_EQ(key::mask_bit(-5), key::kMaskKeyboard);
}

TEST_F(KeyboardTest, TypeAheadComesBeforeTheKeyboard) {
  headless->key('z');
  kb().stuff(key::kDown);
  kb().stuff_text("ab");
  EXPECT_EQ(kb().typeahead(), (std::vector<int>{24, 'a', 'b'}));
  EXPECT_EQ(kb().next_key(), 24);
  EXPECT_EQ(kb().next_key(), 24);  // still pending
  EXPECT_EQ(kb().wait(0), 24);
  EXPECT_EQ(kb().last_key(), 24);
  kb().clear();  // the program's type-ahead goes; keys still to be typed stay
  EXPECT_TRUE(kb().typeahead().empty());
  EXPECT_EQ(kb().inkey(), 'z');
  EXPECT_EQ(kb().inkey(), 0);
  EXPECT_EQ(kb().last_key(), 'z');  // no key does not change the last key
  EXPECT_EQ(kb().wait(0), 0);       // nothing more will come
  EXPECT_EQ(kb().wait(2.5), 0);
}

TEST_F(KeyboardTest, TheEventMaskFiltersMouseEvents) {
  headless->click(3, 4).key('a').mouse(key::kWheelForward, 5, 6);
  EXPECT_EQ(kb().wait(0), 'a');  // the click is dropped: keyboard events only
  EXPECT_EQ(kb().set_event_mask(key::kMaskAll), key::kMaskKeyboard);
  EXPECT_EQ(kb().wait(0), key::kWheelForward);
  EXPECT_EQ(kb().mouse_row(), 5);
  EXPECT_EQ(kb().mouse_col(), 6);
  headless->click(1, 2);
  EXPECT_EQ(kb().wait(0, key::kMaskKeyboard), 0);
}

TEST_F(KeyboardTest, HotKeysRunDuringDialogWaitsOnly) {
  auto rec = std::make_shared<Recorder>();
  kb().hot_keys().bind(key::f(2), rec);
  EXPECT_TRUE(kb().hot_keys().bound(-1));
  RoutineScope routine("CADCLI", "CADCLI.PRG", 120);
  headless->keys({-1, 'x', -1});
  EXPECT_EQ(kb().wait(0), -1);  // a plain wait returns the key
  EXPECT_TRUE(rec->calls.empty());
  EXPECT_EQ(kb().wait_dialog(0, -1, "CNOME"), 'x');
  ASSERT_EQ(rec->calls.size(), 0u);
  EXPECT_EQ(kb().wait_dialog(0, -1, "CNOME"), 0);  // ran F2, then input ended
  ASSERT_EQ(rec->calls.size(), 1u);
  EXPECT_EQ(rec->calls[0][0].text(), "CADCLI");
  EXPECT_EQ(rec->calls[0][1].as_double(), 120);
  EXPECT_EQ(rec->calls[0][2].text(), "CNOME");
}

TEST_F(KeyboardTest, AHotKeyMayUnbindItself) {
  auto rec = std::make_shared<Recorder>();
  rec->also = [&] { kb().hot_keys().unbind(-1); };
  kb().hot_keys().bind(-1, rec);
  kb().hot_keys().bind(304, rec);
  headless->keys({-1, -1});
  EXPECT_EQ(kb().wait_dialog(0, -1, ""), -1);  // the second F2 is no longer bound
  EXPECT_EQ(rec->calls.size(), 1u);
  auto list = kb().hot_keys().bindings();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].first, 304);
  kb().hot_keys().bind(304, nullptr);
  EXPECT_FALSE(kb().hot_keys().bound(304));
}

TEST_F(KeyboardTest, DialogWaitTellsATimeOutFromTheEndOfInput) {
  bool timed_out = true;
  EXPECT_EQ(kb().wait_dialog(0, -1, "", &timed_out), 0);
  EXPECT_FALSE(timed_out);
  EXPECT_EQ(kb().wait_dialog(3, -1, "", &timed_out), 0);
  EXPECT_TRUE(timed_out);
}

TEST_F(KeyboardTest, AltCEndsTheProgramUnlessCancellationIsOff) {
  headless->keys({302, 302});
  EXPECT_TRUE(kb().set_cancel(false));
  EXPECT_EQ(kb().wait(0), 302);
  kb().set_cancel(true);
  EXPECT_THROW(kb().wait(0), ProgramExit);
}

}  // namespace
}  // namespace codfix::console
