// Terminal programs end to end: a program runs under tmux (a real terminal
// emulator) in an 80 x 25 pane; the test sends keys and reads the pane.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace codfix::testing {

// Runs a shell command and returns its standard output; `rc` gets the exit status.
inline std::string run_command(const std::string& cmd, int* rc = nullptr) {
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

inline bool have_tmux() {
  int rc = -1;
  run_command("command -v tmux >/dev/null 2>&1", &rc);
  return rc == 0;
}

class TmuxSession {
 public:
  explicit TmuxSession(const std::string& command, const std::string& name = "codfix")
      : socket_(name + "-" + std::to_string(getpid()) + "-" + std::to_string(next_id())) {
    run_command(tmux() + " -f /dev/null new-session -d -x 80 -y 25 -s demo " + quote(command));
  }
  ~TmuxSession() { run_command(tmux() + " kill-server 2>/dev/null"); }
  TmuxSession(const TmuxSession&) = delete;
  TmuxSession& operator=(const TmuxSession&) = delete;

  std::string pane() { return run_command(tmux() + " capture-pane -p -t demo"); }
  // The pane with the lines scrolled off its top.
  std::string history() { return run_command(tmux() + " capture-pane -p -S -200 -t demo"); }
  void keys(const std::string& keys) { run_command(tmux() + " send-keys -t demo " + keys); }
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
  // Every session has a server of its own, so that one ending never races the next.
  static int next_id() {
    static int id = 0;
    return ++id;
  }
  std::string tmux() const { return "tmux -u -L " + socket_; }
  static std::string quote(const std::string& s) { return "'" + s + "'"; }
  std::string socket_;
};

}  // namespace codfix::testing
