#include "lib/os/file_services.h"

#include <chrono>
#include <thread>

#include "lib/core/routines.h"
#include "lib/core/text_util.h"
#include "lib/os/paths.h"
#include "platform/dialogs/alert.h"
#include "platform/fs/directory.h"
#include "platform/fs/file_ops.h"
#include "platform/text/codepage.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

void half_second() {
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

// The alert's answer, or `fallback` when there is no terminal to ask.
int ask(std::string_view message, const std::vector<std::string>& buttons, int fallback) {
  std::optional<int> choice = dialogs::alert(message, buttons);
  return choice ? *choice : fallback;
}

}  // namespace

bool EXISTEARQ(std::string_view file_arg, std::string_view extension, bool warn) {
  if (trim(file_arg).empty()) return true;
  std::string file = text::upper(TRUENAME_(trim(file_arg)));
  std::string ext = text::upper(extension);
  if (!ext.empty() && (file.size() < ext.size() || file.substr(file.size() - ext.size()) != ext))
    file += ext;
  bool exists = fs::file_exists(file);
  if (!exists && warn)
    dialogs::alert(std::string("Atenção!;Arquivo näo encontrado.;("_cp850) + file + ")", {});
  return exists;
}

bool NOMELONGO(std::string_view from_arg, std::string_view to_arg, std::string_view folder,
               bool remove_target) {
  std::string from(from_arg), to(to_arg);
  if (!folder.empty() && folder != from && folder != to) {
    from = DIRFILE(folder, NOMEARQ(from));
    to = DIRFILE(folder, NOMEARQ(to));
  }
  if (remove_target && fs::exists(to)) {
    (void)fs::remove_file(to);
    half_second();
  }
  for (;;) {
    fs::Status renamed = fs::rename_file(from, to);
    if (renamed) return true;
    // The Windows rename reports an existing target as -183.
    int code = renamed.dos_error() == fs::dos::kFileExists ? -183 : -renamed.dos_error();
    if (code == -183 && fs::exists(to)) {
      std::string question =
          "O arquivo de destino;" + to + ";" + std::string("já existe, deseja substitui-lo?"_cp850);
      if (ask(question, {" Sim ", " Nao "}, 2) == 1) {
        (void)fs::remove_file(to);
        half_second();
        continue;
      }
    }
    std::string message = std::string("Atenção!;Ocorreu o erro "_cp850) + std::to_string(code) +
                          " renomeando o arquivo;" + from + " para;" + to;
    if (ask(message, {"Repetir", "Cancelar"}, 2) == 2) return false;
  }
}

bool CRIADIR(std::string_view folder_arg, bool warn, std::string_view separators) {
  std::string folder(trim(folder_arg));
  if (folder.empty()) return true;
  if (folder.back() == '\\' || folder.back() == '/') folder.pop_back();
  if (folder.empty()) return true;
  for (;;) {
    if (fs::folder_exists(folder)) return true;
    std::string seps(separators);
    if (seps.find('/') == std::string::npos) seps += '/';  // POSIX separators too
    std::vector<std::string> parts = tokens(folder, seps);
    std::string partial;
    std::size_t first = 0;
    bool has_drive = folder.find(':') != std::string::npos;
    if (has_drive && !parts.empty()) {
      partial = parts[0] + ":";
      first = 1;
    } else if (folder.front() == '/') {
      partial = "";  // an absolute POSIX path starts at the root
    }
    bool absolute_posix = folder.front() == '/';
    int failed = 0;
    for (std::size_t i = first; i < parts.size(); ++i) {
      if (!partial.empty() || absolute_posix) partial += absolute_posix ? "/" : "\\";
      partial += parts[i];
      if (!fs::folder_exists(partial)) {
        fs::Status made = fs::make_folder(partial);
        if (!made) {
          failed = made.dos_error();
          break;
        }
      }
    }
    if (failed == 0) return true;
    if (!warn) return false;
    std::string message =
        "Erro do DOS " + std::to_string(failed) + " !;Ao criar a pasta " + folder + " !";
    if (ask(message, {"Repetir", "Ignorar"}, 2) == 2) return false;
  }
}

void register_file_service_routines() {
  Routines& r = routines();
  r.add("EXISTEARQ",
        [](const Args& a) { return Value(EXISTEARQ(a.text(1), a.text(2), a.logical(3, true))); });
  r.add("NOMELONGO", [](const Args& a) {
    return Value(NOMELONGO(a.text(1), a.text(2), a.text(3), a.logical(4, true)));
  });
  r.add("CRIADIR", [](const Args& a) {
    return Value(CRIADIR(a.text(1), a.logical(2, false), a.text(3, ":\\")));
  });
}

}  // namespace codfix
