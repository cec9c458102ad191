// Who and where the program runs: the Windows family (WINVER), the workstation
// and user names (USUARIO), the network resource behind a local device
// (NOMEREDE, NETLOCNAME, NOMELOCAL), the console window's title (WINTITULO) and a
// request to release unreferenced values (GARBCOLL).
//
// The operating-system answers come from platform/sys. On POSIX the workstation
// name is the host name, no device is redirected (remote names are empty) and
// the program is of neither Windows family (WINVER is "").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace codfix {

// "98" on the 9x family; on the NT family "XP", or "VISTA" when `vista` is true
// and the system's name says so; otherwise "".
std::string WINVER(bool vista = false);
// 1: the workstation's network name; 2: the USERNAME environment value (else the
// workstation); 3: workstation + "/" + USERNAME when it is set. Other types: 1.
std::string USUARIO(int type = 1);
// The network name behind a drive ("F:") or printer port ("LPT1"); nothing given
// means the current drive. "" when it is not redirected.
std::string NOMEREDE(std::optional<std::string_view> device = std::nullopt);
// The remote name a local device is connected to, "".
std::string NETLOCNAME(std::string_view device);
// The local device connected to a network resource (trimmed, any case), "".
std::string NOMELOCAL(std::string_view remote);
// The console window's title; with `title`, sets it and returns the one before.
std::string WINTITULO(std::optional<std::string_view> title = std::nullopt);

void register_identity_routines();

}  // namespace codfix
