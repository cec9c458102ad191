// The process environment and the identity of the machine and its user, as the
// platform reports them: environment variables, the host's network name, the login
// name, the operating system's name and version.
#pragma once

#include <string>
#include <string_view>

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

}  // namespace codfix::sys
