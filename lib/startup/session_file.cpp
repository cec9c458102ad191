#include "lib/startup/session_file.h"

#include <ctime>
#include <map>

#include "lib/core/text_util.h"
#include "lib/os/identity.h"
#include "lib/startup/application.h"
#include "platform/filelock/files.h"
#include "platform/filelock/handle.h"
#include "platform/fs/resolve.h"
#include "platform/sys/environment.h"

namespace codfix {
namespace {

struct HeldFile {
  filelock::Handle handle;
  std::string path;  // full path, for the deletion at shut-down
};

// The held session files by handle number. Never destroyed: a file still held
// when the process ends is released by the system, not by a destructor running
// after the file lock layer's own tables are gone.
std::map<int, HeldFile>& held() {
  static auto* files = new std::map<int, HeldFile>;
  return *files;
}

int next_handle() {
  static int last = 0;
  return ++last;
}

// "F:" for a path on a drive, "" otherwise.
std::string drive_of(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  return {};
}

}  // namespace

std::string session_file_text() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char stamp[80];
  std::snprintf(stamp, sizeof stamp, "%02d/%02d/%04d %02d:%02d:%02d", t.tm_mday, t.tm_mon + 1,
                t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  std::string exe = application_path();
  return std::string(stamp) + " " + std::string(trim(sys::host_name())) + "/" + sys::login_name() +
         "\r\n(" + NOMEREDE(drive_of(exe)) + ") " + exe;
}

int open_session_file(std::string_view name, std::string_view text) {
  {
    fs::Result<filelock::Handle> created = filelock::Handle::create(name);
    if (!created) return -1;
    // A failed write still leaves a session file to hold: the run is live either way.
    (void)created->write_at(0, text.data(), text.size());
    created->close();
  }
  fs::Result<filelock::Handle> reopened =
      filelock::Handle::open(name, false, filelock::Share::kShared);
  if (!reopened) return -1;
  int handle = next_handle();
  fs::Result<std::string> full = fs::full_path(name);
  std::string path = full ? *full : std::string(name);
  held().emplace(handle, HeldFile{std::move(*reopened), std::move(path)});
  return handle;
}

bool close_session_file(int handle) {
  auto it = held().find(handle);
  if (it == held().end()) return false;
  std::string path = std::move(it->second.path);
  held().erase(it);  // closes the handle
  fs::Status removed = filelock::remove_file(path);
  return removed.ok();
}

}  // namespace codfix
