// The process environment and the identity of the machine and its user, as the
// platform reports them: environment variables, the host's network name, the login
// name, the operating system's name, version and family, network redirections of
// local devices, and the version text of this run time.
//
// This is the one place where the library asks the operating system who and where
// it runs. On POSIX there are no drive letters, no redirected devices and no
// terminal-services sessions: those queries answer empty or false.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace codfix::sys {

// The value of an environment variable, "" when it is not set.
std::string env(std::string_view name);
// The workstation's network name (the host name).
std::string host_name();
// The platform's network user name (the login name), "" when unknown.
std::string login_name();
// The operating system's name and version ("Linux 6.1.0-18-amd64").
std::string os_name_version();
// The absolute path of the running executable, "" when unknown.
std::string executable_path();

// The operating-system families the library tells apart.
enum class OsFamily {
  kOther,  // not Windows (POSIX)
  kWin9x,  // Windows 95 / 98
  kWinMe,  // Windows ME (of the 9x family)
  kNt,     // the NT family (NT, 2000, XP, Vista, ...)
};
OsFamily os_family();

// The current drive ("C:"), "" where there are no drive letters.
std::string current_drive();
// The network (remote) name a local device is redirected to ("F:", "LPT1:"); ""
// when it is not redirected.
std::string remote_name(std::string_view device);
// The name of the printer attached to a port ("LPT1:"), "" when none.
std::string port_printer(std::string_view port);

// One redirected device of the workstation.
struct NetworkConnection {
  std::string local;   // "F:", "LPT1"
  std::string remote;  // "\\SERVIDOR\DADOS"
};
std::vector<NetworkConnection> network_connections();

// Whether the program runs in a terminal-services (remote desktop) session.
bool terminal_services_session();

// The version text of this run time, as the error report shows it.
std::string platform_version();

}  // namespace codfix::sys
