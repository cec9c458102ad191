#include "lib/os/paths.h"

#include "lib/core/names.h"
#include "lib/core/routines.h"
#include "lib/core/text_util.h"
#include "platform/fs/directory.h"
#include "platform/fs/file_ops.h"
#include "platform/fs/path.h"
#include "platform/fs/resolve.h"
#include "platform/fs/whole_file.h"
#include "platform/sys/environment.h"

namespace codfix {
namespace {

bool has_drive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool ends_with_root(std::string_view path) {
  return path.size() >= 2 && path[path.size() - 2] == ':' && fs::is_separator(path.back());
}

// The XDG desktop folder named in ~/.config/user-dirs.dirs, "" when not named.
std::string xdg_desktop(const std::string& home) {
  std::string config = sys::env("XDG_CONFIG_HOME");
  if (config.empty()) config = home + "/.config";
  auto text = fs::read_file(config + "/user-dirs.dirs");
  if (!text) return {};
  for (const std::string& line : tokens(*text, "\r\n")) {
    std::string_view l = trim(line);
    constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
    if (l.substr(0, kKey.size()) != kKey) continue;
    std::string value(l.substr(kKey.size()));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return replace_all(value, "$HOME", home);
  }
  return {};
}

}  // namespace

std::string NOMEARQ(std::string_view path, bool with_extension) {
  std::string_view p = trim(path);
  if (std::size_t colon = p.rfind(':'); colon != std::string_view::npos) p = p.substr(colon + 1);
  p = fs::file_name(p);
  if (!with_extension) p = p.substr(0, p.find('.'));
  return std::string(p);
}

std::string NOMEDIR(std::string_view path) {
  std::string full = TRUENAME_(trim(path));
  std::string name = NOMEARQ(full);
  std::string folder = full.substr(0, full.size() - name.size());
  if (!folder.empty() && fs::is_separator(folder.back()) && !ends_with_root(folder) &&
      folder.size() > 1)
    folder.pop_back();
  return folder;
}

std::string DIRFILE(std::string_view folder, std::string_view name) {
  std::string f(trim(folder));
  std::string_view n = trim(name);
  char separator =
      f.find('/') != std::string::npos && f.find('\\') == std::string::npos ? '/' : '\\';
  if (!f.empty() && !fs::is_separator(f.back())) f += separator;
  if (!n.empty() && fs::is_separator(n.front())) n.remove_prefix(1);
  return f + std::string(n);
}

std::string TRUENAME_(std::string_view name) {
  if (name.empty() || has_drive(name)) return std::string(name);
  auto full = fs::full_path(name);
  if (full && !full->empty()) return *full;
  if (name.find('\\') == std::string_view::npos && fs::exists(name)) {
    if (auto cwd = fs::current_folder()) return DIRFILE(*cwd, name);
  }
  return std::string(name);
}

std::string CHANGEDIR(std::string_view folder) {
  std::string previous = fs::current_folder().value_or("");
  std::string_view path = folder;
  if (path.size() >= 2 && path[1] == ':') path.remove_prefix(2);  // no drives here
  (void)fs::set_current_folder("/");
  for (const std::string& part : tokens(path, "\\/")) {
    if (!fs::set_current_folder(part)) break;
  }
  return previous;
}

std::string DIRWINDOWS() {
  for (const char* name : {"WINDIR", "WINBOOTDIR", "SYSTEMROOT"}) {
    std::string v = sys::env(name);
    if (!v.empty()) return v;
  }
  return {};
}

std::string GETSPECIALFOLDER(std::string_view name) {
  if (same_name(name, "PROGRAMFILES")) return sys::env("PROGRAMFILES");
  if (!same_name(name, "DESKTOP")) return {};
  std::string home = sys::env("HOME");
  if (home.empty()) return {};
  std::string desktop = xdg_desktop(home);
  return desktop.empty() ? home + "/Desktop" : desktop;
}

std::string VARAMBIENTE(std::string_view name) {
  return sys::env(name);
}

void register_path_routines() {
  Routines& r = routines();
  r.add("NOMEARQ", [](const Args& a) { return Value(NOMEARQ(a.text(1), a.logical(2, true))); });
  r.add("NOMEDIR", [](const Args& a) { return Value(NOMEDIR(a.text(1))); });
  r.add("DIRFILE", [](const Args& a) { return Value(DIRFILE(a.text(1), a.text(2))); });
  r.add("_TRUENAME", [](const Args& a) { return Value(TRUENAME_(a.text(1))); });
  r.add("CHANGEDIR", [](const Args& a) { return Value(CHANGEDIR(a.text(1))); });
  r.add("DIRWINDOWS", [](const Args&) { return Value(DIRWINDOWS()); });
  r.add("GETSPECIALFOLDER",
        [](const Args& a) { return Value(GETSPECIALFOLDER(a.text(1, "Desktop"))); });
  r.add("VARAMBIENTE", [](const Args& a) { return Value(VARAMBIENTE(a.text(1))); });
  r.add("ENVPARAM", [](const Args& a) { return Value(VARAMBIENTE(a.text(1))); });
}

}  // namespace codfix
