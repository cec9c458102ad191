// USUARIOSATIVOS against session files held by other processes.
#include "lib/startup/active_sessions.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "lib/core/text_util.h"
#include "lib/startup/application.h"
#include "lib/startup/session_file.h"
#include "tests/lib/startup/startup_fixture.h"

namespace codfix {
namespace {

// Another run of a program of the family: a child process that writes and holds
// a session file until the parent lets it go (or it is killed).
class OtherRun {
 public:
  OtherRun(const std::string& name, const std::string& text) {
    int ready[2];
    int release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) std::abort();
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(release[1]);
      char ok = open_session_file(name, text) > 0 ? 1 : 0;
      (void)!write(ready[1], &ok, 1);
      pollfd p{release[0], POLLIN, 0};
      poll(&p, 1, 30000);  // the parent closes its end, or gives up on us
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char ok = 0;
    held_ = read(ready[0], &ok, 1) == 1 && ok == 1;
    close(ready[0]);
  }
  ~OtherRun() {
    close(release_);
    waitpid(pid_, nullptr, 0);
  }
  OtherRun(const OtherRun&) = delete;
  OtherRun& operator=(const OtherRun&) = delete;

  bool held() const { return held_; }
  // Ends the run as a crash would: no shut-down, the file stays behind.
  void crash() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool held_ = false;
};

class ActiveSessions : public testing::StartupTest {};

TEST_F(ActiveSessions, CountsLiveSessionsOfEveryProgram) {
  const std::string program = NOME_APLICACAO();
  const std::string mine_line = "01/01/2024 10:00:00 CAIXA02/joao";
  const std::string other_line = "02/01/2024 11:00:00 CAIXA03/maria";
  OtherRun same(program + "1000.usr", mine_line + "\r\n() /opt/x");
  OtherRun other("OUTRO5.usr", "  " + other_line + "  \r\n() /opt/y");
  OtherRun crashed(program + "1001.usr", "03/01/2024 12:00:00 CAIXA04/ana\r\n() /opt/z");
  ASSERT_TRUE(same.held());
  ASSERT_TRUE(other.held());
  ASSERT_TRUE(crashed.held());
  crashed.crash();
  put("VELHO.usr", "left by a run long gone");
  ASSERT_TRUE(has(program + "1001.usr"));

  INICIAR_S();
  const std::string own = rt().vars.get("CFILESISTEMA").text();

  Value mesmo = Value::array();
  Value outros = Value::array();
  Value args[] = {mesmo, outros};
  EXPECT_EQ(routines().call("USUARIOSATIVOS", args).as_double(), 3);

  // One line per session of this program, in listing order; this run's own marked.
  std::vector<std::string> same_lines;
  for (const Value& v : mesmo.items()) same_lines.push_back(v.text());
  std::string own_first = get(own).substr(0, get(own).find("\r\n"));
  std::vector<std::string> expected = {pad_right(mine_line, 79), pad_right(own_first, 79) + "(eu)"};
  if (own < program + "1000.usr") std::swap(expected[0], expected[1]);
  EXPECT_EQ(same_lines, expected);

  ASSERT_EQ(outros.items().size(), 1u);
  EXPECT_EQ(outros.items()[0].text(), other_line + " OUTRO5.usr");

  // The counts alone, without the lists.
  EXPECT_EQ(USUARIOSATIVOS(), 3);
}

TEST_F(ActiveSessions, NoSessionsNoCount) {
  put("VELHO.usr", "x");
  EXPECT_EQ(USUARIOSATIVOS(), 0);
  INICIAR_S();
  EXPECT_EQ(USUARIOSATIVOS(), 1);
  rt().run_shutdown();
  EXPECT_EQ(USUARIOSATIVOS(), 0);
}

}  // namespace
}  // namespace codfix
