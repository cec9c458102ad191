#include "lib/settings/memo_file.h"

#include "lib/core/routines.h"
#include "lib/os/paths.h"
#include "lib/settings/operator_prompt.h"
#include "platform/fs/file.h"
#include "platform/fs/file_ops.h"
#include "platform/fs/resolve.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

constexpr int kSilentTries = 3;

enum class Answer { kRetry, kAbort };

// Logs the message and asks; Esc retries, no answer aborts.
Answer log_and_ask(const std::string& message) {
  log_error_line(message);
  int choice = ask_operator("Erro!;" + message, {"Repetir", "Abortar"});
  return choice == 2 || choice < 0 ? Answer::kAbort : Answer::kRetry;
}

std::string failure(int code, std::string_view what, std::string_view file) {
  return "Erro " + std::to_string(code) + std::string(what) + TRUENAME_(file);
}

// Creates (truncates) the file, retrying access denied silently, then asking.
fs::Result<fs::File> create_with_retries(std::string_view file) {
  int silent = kSilentTries;
  for (;;) {
    auto created = fs::File::create(file);
    if (created) return created;
    int code = created.dos_error();
    if (code == fs::dos::kAccessDenied && silent > 0) {
      --silent;
      pause_or_key(1);
      continue;
    }
    if (log_and_ask(failure(code, " ao criar o arquivo;", file)) == Answer::kAbort) return created;
  }
}

}  // namespace

bool FMEMOREAD(std::string_view file, std::string& text) {
  text.clear();
  if (!fs::exists(file)) return true;
  int silent = kSilentTries;
  for (;;) {
    auto opened = fs::File::open(file, fs::Access::kRead);
    if (opened) {
      auto size = opened->size();
      std::string bytes(size ? static_cast<std::size_t>(*size) : 0, '\0');
      auto got = opened->read(bytes.data(), bytes.size());
      if (got) {
        bytes.resize(*got);
        text = std::move(bytes);
        return true;
      }
      opened = got.error();
    }
    if (silent > 0) {
      --silent;
      pause_or_key(3);
      continue;
    }
    std::string message = "Erro " + std::to_string(opened.dos_error()) + " na leitura do arquivo " +
                          std::string(file);
    int choice = ask_operator("Erro!;" + message, {"Repetir", "Abortar"});
    if (choice == 2 || choice < 0) {
      log_error_line(message + ", abortado pelo usuario");
      return false;
    }
    log_error_line(message + ", repetido pelo usuario");
    silent = kSilentTries;
  }
}

bool MEMOWRITE(std::string_view file, std::string_view text) {
  // Learn the file's state first.
  fs::Result<fs::File> handle = fs::Error{fs::dos::kFileNotFound, 0};
  for (;;) {
    handle = fs::File::open(file, fs::Access::kWrite);
    if (handle || handle.dos_error() == fs::dos::kFileNotFound) break;
    if (log_and_ask(failure(handle.dos_error(), " ao abrir o arquivo;", file)) == Answer::kAbort)
      return false;
  }
  if (handle) (void)handle->close();
  handle = create_with_retries(file);
  if (!handle) return false;

  bool written = true;
  int silent = kSilentTries;
  for (;;) {
    (void)handle->truncate(0);
    (void)handle->seek(0);
    fs::Status status = handle->write(text);
    if (status) break;
    if (status.dos_error() == fs::dos::kAccessDenied && silent > 0) {
      --silent;
      pause_or_key(1);
      continue;
    }
    if (log_and_ask(failure(status.dos_error(), " ao gravar o arquivo;", file)) == Answer::kAbort) {
      written = false;
      break;
    }
  }
  fs::Status closed = handle->close();
  return written && closed.ok();
}

void register_memo_file_routines() {
  Routines& r = routines();
  r.add("MEMOWRITE", [](const Args& a) { return Value(MEMOWRITE(a.text(1), a.text(2))); });
  r.add("FMEMOREAD", [](const Args& a) {
    std::string text;
    bool ok = FMEMOREAD(a.text(1), text);
    return Value(ok);
  });
}

}  // namespace codfix
