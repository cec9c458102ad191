#include "lib/core/error.h"

#include <gtest/gtest.h>

#include "lib/core/call_stack.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"

namespace codfix {
namespace {

TEST(Errors, RetryCountsTriesAndHonoursTheAnswer) {
  RuntimeScope scope;
  std::vector<int> seen;
  scope.runtime().error_handler = [&](ErrorRecord& e) {
    seen.push_back(e.tries);
    return e.tries < 2 ? ErrorAnswer::retry() : ErrorAnswer::fail();
  };
  ErrorRecord e;
  e.gencode = gen::kOpen;
  e.can_retry = e.can_default = true;
  int attempts = 0;
  EXPECT_FALSE(retry_loop(e, [&](ErrorRecord&) { return ++attempts > 10; }));
  EXPECT_EQ(attempts, 3);
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
}

TEST(Errors, SubstituteOnlyWhereAllowed) {
  RuntimeScope scope;
  scope.runtime().error_handler = [](ErrorRecord&) { return ErrorAnswer::substitute(Value(0)); };
  ErrorRecord e;
  EXPECT_EQ(raise_error(e).action, ErrorAction::Default);
  e.can_substitute = true;
  EXPECT_EQ(raise_error(e).action, ErrorAction::Substitute);
}

TEST(Errors, DefaultHandlerEndsTheProgramWithCodeOne) {
  RuntimeScope scope;
  RoutineScope r("MAIN", "CODFIX.PRG", 12);
  ErrorRecord e;
  e.gencode = gen::kOpen;
  e.subsystem = "DBFNTX";
  e.subcode = 1001;
  e.description = "Open error";
  e.filename = "KVITEM.DBF";
  try {
    raise_error(e);
    FAIL() << "the default handler must end the program";
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.code, 1);
  }
  EXPECT_EQ(error_one_line(e), "Error DBFNTX/1001  Open error: KVITEM.DBF");
}

TEST(Errors, RecordIsAnObjectWithNamedFields) {
  ErrorRecord e;
  Value v;
  EXPECT_TRUE(e.set("filename", Value("X.DBF")));
  EXPECT_TRUE(e.set("CanDefault", Value(true)));
  EXPECT_TRUE(e.get("FILENAME", v));
  EXPECT_EQ(v.text(), "X.DBF");
  EXPECT_TRUE(e.can_default);
  EXPECT_FALSE(e.get("NOSUCH", v));
}

TEST(CallStack, RoutineTexts) {
  EXPECT_EQ(routine_text({"MAIN", "CODFIX.PRG", 40}), "CODFIX->MAIN(40)");
  EXPECT_EQ(routine_text({"CODFIX", "CODFIX.PRG", 3}), "CODFIX(3)");
  EXPECT_EQ(routine_text({"ABREARQ", "tabelas.prg", 7}), "tabelas.prg->ABREARQ(7)");
  EXPECT_EQ(routine_text({"(b)MAIN", "MAIN.PRG", 9}), "(b)MAIN(9)");
}

TEST(Routines, CaseInsensitiveRegistryAndUndefinedFunction) {
  RuntimeScope scope;
  Routines r;
  r.add("_GravaLog", [](const Args& a) { return Value(a.text(1, "def") + a.text(2, "!")); });
  EXPECT_TRUE(r.exists("_GRAVALOG"));
  EXPECT_FALSE(r.exists("GRAVALOG"));
  Value args[] = {Value(), Value("x")};
  EXPECT_EQ(r.call("_gravalog", args).text(), "defx");
  int gencode = 0;
  scope.runtime().error_handler = [&](ErrorRecord& e) {
    gencode = e.gencode;
    return ErrorAnswer::fail();
  };
  EXPECT_TRUE(r.call("NOSUCH", {}).is_nil());
  EXPECT_EQ(gencode, gen::kNoFunc);
}

}  // namespace
}  // namespace codfix
