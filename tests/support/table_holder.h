// Another station, played by a child process: it opens a table (shared,
// exclusively, or shared with the file lock), tells the parent once it holds it,
// and keeps it for `seconds`. The destructor waits for the child to end.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "lib/core/runtime.h"
#include "platform/dbf/work_areas.h"

namespace codfix::testing {

class TableHolder {
 public:
  enum class How { kShared, kExclusive, kFileLock };

  TableHolder(const std::string& table, How how, double seconds) {
    int ready[2];
    if (pipe(ready) != 0) std::abort();
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      RuntimeScope scope;
      dbf::WorkAreas areas;
      dbf::UseOptions use;
      use.exclusive = how == How::kExclusive;
      int area = areas.use(table, use);
      if (area > 0 && how == How::kFileLock) areas.area(area)->lock_file();
      char ok = area > 0 ? 1 : 0;
      (void)!write(ready[1], &ok, 1);
      usleep(static_cast<useconds_t>(seconds * 1e6));
      _exit(0);
    }
    close(ready[1]);
    char ok = 0;
    (void)!read(ready[0], &ok, 1);
    close(ready[0]);
    held_ = ok == 1;
  }
  ~TableHolder() {
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  TableHolder(const TableHolder&) = delete;
  TableHolder& operator=(const TableHolder&) = delete;

  bool held() const { return held_; }

 private:
  pid_t pid_ = -1;
  bool held_ = false;
};

}  // namespace codfix::testing
