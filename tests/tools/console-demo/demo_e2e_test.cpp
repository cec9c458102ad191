// The console demo end to end: under tmux (a real terminal emulator) the alert
// box and the form come out with their accents and frames, keys sent to the pane
// drive them, and the values printed at the end stay readable after the program
// ends. Without a terminal the demo still runs and says the alert got no answer.
// Skipped when tmux is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::string demo_binary() {
  const char* dir = std::getenv("CODFIX_BINARY_DIR");
  return std::string(dir ? dir : CODFIX_BINARY_DIR) + "/tools/console-demo/console-demo";
}

// Runs a shell command and returns its standard output; `rc` gets the exit status.
std::string run(const std::string& cmd, int* rc = nullptr) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  if (rc) *rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

bool have_tmux() {
  int rc = -1;
  run("command -v tmux >/dev/null 2>&1", &rc);
  return rc == 0;
}

class TmuxSession {
 public:
  explicit TmuxSession(const std::string& command)
      : socket_("codfix-demo-" + std::to_string(getpid())) {
    run(tmux() + " -f /dev/null new-session -d -x 80 -y 25 -s demo " + quote(command));
  }
  ~TmuxSession() { run(tmux() + " kill-server 2>/dev/null"); }

  std::string pane() { return run(tmux() + " capture-pane -p -t demo"); }
  void keys(const std::string& keys) { run(tmux() + " send-keys -t demo " + keys); }
  // Waits until the pane shows `text` (a progress check, not a speed goal: the
  // limit only stops a broken run from hanging the test).
  bool wait_for(const std::string& text) {
    for (int i = 0; i < 150; ++i) {
      if (pane().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

 private:
  std::string tmux() const { return "tmux -u -L " + socket_; }
  static std::string quote(const std::string& s) { return "'" + s + "'"; }
  std::string socket_;
};

TEST(ConsoleDemo, AlertAndFormInATerminal) {
  if (!have_tmux()) GTEST_SKIP() << "tmux is not installed";
  TmuxSession tmux("env LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=screen-256color " + demo_binary() +
                   "; echo EXIT=$?; sleep 60");
  ASSERT_TRUE(tmux.wait_for("Deseja continuar?")) << tmux.pane();
  std::string alert = tmux.pane();
  for (const char* piece : {"Atenção", "Esta é uma demonstração do console.", "┌────", "────┐",
                            "└────", "────┘", "│", "Sim", "Não", "╔═ Cadastro de produto ═"})
    EXPECT_NE(alert.find(piece), std::string::npos) << piece << "\n" << alert;

  tmux.keys("Enter");
  ASSERT_TRUE(tmux.wait_for("Descrição:")) << tmux.pane();
  tmux.keys("F2");
  ASSERT_TRUE(tmux.wait_for("Campo ativo: CDESC")) << tmux.pane();  // hot key during the read
  tmux.keys("Enter");
  tmux.keys("cadeira Enter Enter");  // a price of zero is refused
  ASSERT_TRUE(tmux.wait_for("O preço deve ser maior que zero.")) << tmux.pane();
  tmux.keys("Enter 1234,5 Enter 07032024 y");
  ASSERT_TRUE(tmux.wait_for("Encerrar a demonstração?")) << tmux.pane();
  std::string form = tmux.pane();
  EXPECT_NE(form.find("CADEIRA"), std::string::npos) << form;
  tmux.keys("Enter");
  ASSERT_TRUE(tmux.wait_for("EXIT=")) << tmux.pane();
  std::string after = tmux.pane();
  for (const char* line :
       {"Descrição: CADEIRA", "Preço:   1.234,50", "Data: 07/03/2024", "Ativo: Y", "EXIT=0"})
    EXPECT_NE(after.find(line), std::string::npos) << line << "\n" << after;
}

TEST(ConsoleDemo, RunsWithoutATerminal) {
  int rc = -1;
  std::string out = run(demo_binary() + " </dev/null 2>&1 | cat", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(out, "Sem terminal: o alerta ficou sem resposta.\n");
}

}  // namespace
