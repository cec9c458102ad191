// A forked child process for lock tests, talking to the parent over two pipes one
// byte at a time. Fork before the parent opens the files the test is about: the
// child then has descriptors of its own (inherited descriptors would share their
// locks with the parent).
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace codfix::testing {

class ChildProcess {
 public:
  // Runs `body` in the child; the child exits with its return value.
  explicit ChildProcess(std::function<int(ChildProcess&)> body) {
    int down[2], up[2];
    if (pipe(down) != 0 || pipe(up) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(down[1]);
      close(up[0]);
      in_ = down[0];
      out_ = up[1];
      int rc = body(*this);
      _exit(rc);
    }
    close(down[0]);
    close(up[1]);
    in_ = up[0];
    out_ = down[1];
  }
  ~ChildProcess() {
    if (pid_ > 0 && !waited_) wait();
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  void send(char c) { (void)!write(out_, &c, 1); }
  // The next byte from the other side; 0 when it went away.
  char receive() {
    char c = 0;
    return read(in_, &c, 1) == 1 ? c : 0;
  }
  // Waits for the child; its exit code (-1 when it died of a signal).
  int wait() {
    if (out_ >= 0) {
      close(out_);
      out_ = -1;
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    waited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  bool waited_ = false;
};

}  // namespace codfix::testing
