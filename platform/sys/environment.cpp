#include "platform/sys/environment.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace codfix::sys {

std::string env(std::string_view name) {
  const char* v = std::getenv(std::string(name).c_str());
  return v ? v : "";
}

std::string host_name() {
  char buf[HOST_NAME_MAX + 1] = {};
  if (gethostname(buf, sizeof buf - 1) != 0) return {};
  return buf;
}

std::string login_name() {
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return pw->pw_name;
  return env("LOGNAME");
}

std::string os_name_version() {
  utsname u{};
  if (uname(&u) != 0) return {};
  return std::string(u.sysname) + " " + u.release;
}

std::string executable_path() {
  char buf[PATH_MAX + 1] = {};
  ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
  if (n <= 0) return {};
  return std::string(buf, static_cast<std::size_t>(n));
}

OsFamily os_family() {
  return OsFamily::kOther;
}

std::string current_drive() {
  return {};
}

std::string remote_name(std::string_view) {
  return {};
}

std::string port_printer(std::string_view) {
  return {};
}

std::vector<NetworkConnection> network_connections() {
  return {};
}

bool terminal_services_session() {
  return false;
}

std::string platform_version() {
#if defined(__clang__)
  return "CODFIX xBase run time (clang " __clang_version__ ")";
#elif defined(__GNUC__)
  return "CODFIX xBase run time (gcc " __VERSION__ ")";
#else
  return "CODFIX xBase run time";
#endif
}

}  // namespace codfix::sys
