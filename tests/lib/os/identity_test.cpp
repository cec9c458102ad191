// Machine, network and user identity on POSIX: the host and login names, no
// redirected devices, the console's title.
#include "lib/os/identity.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>

#include "lib/core/routines.h"
#include "lib/core/text_util.h"
#include "platform/sys/environment.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

class Identity : public testing::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    register_identity_routines();
    if (const char* u = getenv("USERNAME")) saved_ = u;
  }
  void TearDown() override {
    if (saved_)
      setenv("USERNAME", saved_->c_str(), 1);
    else
      unsetenv("USERNAME");
    LibraryTest::TearDown();
  }
  std::string workstation() const { return std::string(trim(sys::host_name())); }

 private:
  std::optional<std::string> saved_;
};

TEST_F(Identity, UsuarioFollowsUsername) {
  ASSERT_FALSE(workstation().empty());
  setenv("USERNAME", " maria ", 1);
  EXPECT_EQ(USUARIO(), workstation());
  EXPECT_EQ(USUARIO(1), workstation());
  EXPECT_EQ(USUARIO(2), "maria");
  EXPECT_EQ(USUARIO(3), workstation() + "/maria");
  EXPECT_EQ(USUARIO(7), workstation());
  unsetenv("USERNAME");
  EXPECT_EQ(USUARIO(2), workstation());
  EXPECT_EQ(USUARIO(3), workstation());
  setenv("USERNAME", "   ", 1);
  EXPECT_EQ(USUARIO(3), workstation());
  Value three[] = {Value(3)};
  EXPECT_EQ(routines().call("USUARIO", three).text(), workstation());
}

TEST_F(Identity, NoWindowsFamilyAndNoRedirectedDevices) {
  EXPECT_EQ(WINVER(), "");
  EXPECT_EQ(WINVER(true), "");
  for (const char* device : {"LPT1", "lpt2:", "F:", "C:", ""}) {
    EXPECT_EQ(NOMEREDE(device), "") << device;
    EXPECT_EQ(NETLOCNAME(device), "") << device;
  }
  EXPECT_EQ(NOMEREDE(), "");
  EXPECT_EQ(NOMELOCAL("\\\\SERVIDOR\\DADOS"), "");
  EXPECT_EQ(NOMELOCAL(""), "");
  EXPECT_EQ(routines().call("NOMEREDE", {}).text(), "");
  EXPECT_TRUE(routines().call("GARBCOLL", {}).is_nil());
}

TEST_F(Identity, WindowTitle) {
  EXPECT_EQ(WINTITULO(), "");
  EXPECT_EQ(WINTITULO("CODFIX"), "");
  EXPECT_EQ(headless().title(), "CODFIX");
  EXPECT_EQ(WINTITULO(), "CODFIX");  // without a title: unchanged
  EXPECT_EQ(headless().title(), "CODFIX");
  Value other[] = {Value("Outro")};
  EXPECT_EQ(routines().call("WINTITULO", other).text(), "CODFIX");
  EXPECT_EQ(WINTITULO(), "Outro");
}

}  // namespace
}  // namespace codfix
