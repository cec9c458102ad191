#include "lib/core/session_vars.h"

#include <gtest/gtest.h>

#include "lib/core/runtime.h"

namespace codfix {
namespace {

TEST(SessionVars, PrivateHidesOuterUntilItsRoutineReturns) {
  RuntimeScope scope;
  SessionVars& vars = scope.runtime().vars;
  vars.declare_public("nValor", Value(1));
  {
    RoutineScope outer("OUTER", "TEST.PRG");
    vars.declare_private("NVALOR", Value(2));
    EXPECT_EQ(vars.get("nvalor").as_double(), 2);
    {
      RoutineScope inner("INNER", "TEST.PRG");
      // A called routine sees, and assigns, the caller's private.
      EXPECT_EQ(vars.get("NValor").as_double(), 2);
      vars.set("nValor", Value(3));
      vars.declare_private("cLocal", Value("x"));
    }
    EXPECT_FALSE(vars.exists("CLOCAL"));
    EXPECT_EQ(vars.get("nValor").as_double(), 3);
  }
  EXPECT_EQ(vars.get("nValor").as_double(), 1);
}

TEST(SessionVars, ExistenceAndTypeWithoutErrors) {
  RuntimeScope scope;
  SessionVars& vars = scope.runtime().vars;
  EXPECT_EQ(vars.type_of("LCONFCOR"), 'U');
  EXPECT_TRUE(vars.get("LCONFCOR").is_nil());
  vars.declare_public("lConfCor");
  EXPECT_EQ(vars.type_of("LCONFCOR"), 'L');
  EXPECT_FALSE(vars.get("lconfcor").logical());
  vars.declare_public("LCONFCOR");  // a second PUBLIC keeps nothing new
  vars.set("LCONFCOR", Value(true));
  EXPECT_TRUE(vars.get("LCONFCOR").logical());
  vars.release("LCONFCOR");
  EXPECT_FALSE(vars.exists("LCONFCOR"));
}

TEST(SessionVars, AssigningAnUndeclaredNameMakesAPrivate) {
  RuntimeScope scope;
  SessionVars& vars = scope.runtime().vars;
  {
    RoutineScope r("R", "TEST.PRG");
    vars.set("CPASTA", Value("C:\\DADOS"));
    EXPECT_TRUE(vars.exists("cPasta"));
  }
  EXPECT_FALSE(vars.exists("cPasta"));
}

}  // namespace
}  // namespace codfix
