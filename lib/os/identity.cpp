#include "lib/os/identity.h"

#include "lib/core/names.h"
#include "lib/core/routines.h"
#include "lib/core/text_util.h"
#include "platform/console/console.h"
#include "platform/sys/environment.h"

namespace codfix {

std::string WINVER(bool vista) {
  switch (sys::os_family()) {
    case sys::OsFamily::kWin9x:
    case sys::OsFamily::kWinMe:
      return "98";
    case sys::OsFamily::kNt:
      if (vista && upper_name(sys::os_name_version()).find("VISTA") != std::string::npos)
        return "VISTA";
      return "XP";
    case sys::OsFamily::kOther:
      break;
  }
  return {};
}

std::string USUARIO(int type) {
  std::string workstation(trim(sys::host_name()));
  std::string user(trim(sys::env("USERNAME")));
  if (type == 2) return user.empty() ? workstation : user;
  if (type == 3) return user.empty() ? workstation : workstation + "/" + user;
  return workstation;
}

std::string NOMEREDE(std::optional<std::string_view> device_arg) {
  std::string device = device_arg ? upper_name(trim(*device_arg)) : sys::current_drive() + ":";
  std::string name;
  if (device.find("LPT") != std::string::npos) {
    if (device.empty() || device.back() != ':') device += ':';
    name = sys::port_printer(device);
  }
  if (name.empty()) name = NETLOCNAME(device);
  return name;
}

std::string NETLOCNAME(std::string_view device) {
  return sys::remote_name(device);
}

std::string NOMELOCAL(std::string_view remote) {
  std::string wanted = upper_name(trim(remote));
  for (const sys::NetworkConnection& c : sys::network_connections()) {
    if (upper_name(trim(c.remote)) == wanted) return c.local;
  }
  return {};
}

std::string WINTITULO(std::optional<std::string_view> title) {
  console::Console& c = console::current();
  std::string before = c.title();
  if (title) c.set_title(*title);
  return before;
}

void register_identity_routines() {
  Routines& r = routines();
  r.add("WINVER", [](const Args& a) { return Value(WINVER(a.logical(1, false))); });
  r.add("USUARIO", [](const Args& a) { return Value(USUARIO(a.integer(1, 1))); });
  r.add("NOMEREDE", [](const Args& a) {
    if (!a[1].is_text()) return Value(NOMEREDE());
    return Value(NOMEREDE(a[1].text()));
  });
  r.add("NETLOCNAME", [](const Args& a) { return Value(NETLOCNAME(a.text(1))); });
  r.add("NOMELOCAL", [](const Args& a) { return Value(NOMELOCAL(a.text(1))); });
  r.add("WINTITULO", [](const Args& a) {
    if (!a[1].is_text()) return Value(WINTITULO());
    return Value(WINTITULO(a[1].text()));
  });
  // Values are released as soon as nothing refers to them: nothing to collect.
  r.add("GARBCOLL", [](const Args&) { return Value(); });
}

}  // namespace codfix
