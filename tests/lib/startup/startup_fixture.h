// The base of the start-up tests: a library test with the routines start-up and
// the error handler call by name, and the shut-down procedures run at the end so
// that no session file stays held.
#pragma once

#include "lib/core/routines.h"
#include "lib/errors/error_handler.h"
#include "lib/errors/log_files.h"
#include "lib/os/identity.h"
#include "lib/startup/startup.h"
#include "lib/tables/fechax.h"
#include "tests/support/library_test.h"

namespace codfix::testing {

class StartupTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    register_log_routines();
    register_identity_routines();
    register_error_handler_routines();
    register_fechax_routine();
    register_startup_routines();
  }
  void TearDown() override {
    rt().run_shutdown();
    LibraryTest::TearDown();
  }
};

}  // namespace codfix::testing
