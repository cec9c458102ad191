#include "platform/dbf/memo_file.h"

#include "platform/dbf/dbt_file.h"
#include "platform/dbf/fpt_file.h"
#include "platform/fs/errors.h"

namespace codfix::dbf {

std::string MemoFile::path_for(std::string_view table_path, MemoKind kind) {
  size_t slash = table_path.find_last_of("/\\");
  size_t name_start = slash == std::string_view::npos ? 0 : slash + 1;
  size_t dot = table_path.find_last_of('.');
  if (dot == std::string_view::npos || dot < name_start) dot = table_path.size();
  std::string_view ext = table_path.substr(dot);
  std::string_view sample = ext.size() > 1 ? ext : table_path.substr(name_start, dot - name_start);
  bool lower = false;
  for (char c : sample) {
    if (c >= 'a' && c <= 'z') lower = true;
    if (c >= 'A' && c <= 'Z') {
      lower = false;
      break;
    }
  }
  std::string out(table_path.substr(0, dot));
  const char* e = kind == MemoKind::kFpt ? (lower ? ".fpt" : ".FPT") : (lower ? ".dbt" : ".DBT");
  return out + e;
}

std::unique_ptr<MemoFile> MemoFile::open(MemoKind kind, std::string_view path, bool write,
                                         filelock::Share share, Failure& failure) {
  fs::Result<filelock::Handle> h = filelock::Handle::open(path, write, share);
  if (!h) {
    failure = {gen::kOpen, sub::kOpenMemo, h.dos_error(), std::string(path), "cannot open", {}};
    return nullptr;
  }
  std::string name = h->path();
  std::unique_ptr<MemoFile> memo;
  if (kind == MemoKind::kFpt) {
    memo = std::make_unique<FptFile>(std::move(*h), std::move(name));
  } else {
    memo = std::make_unique<DbtFile>(std::move(*h), std::move(name));
  }
  return memo;
}

std::unique_ptr<MemoFile> MemoFile::create(MemoKind kind, std::string_view path, Failure& failure) {
  fs::Result<filelock::Handle> h = filelock::Handle::create(path);
  if (!h) {
    failure = {gen::kCreate,      sub::kCreateMemo, h.dos_error(),
               std::string(path), "cannot create",  {}};
    return nullptr;
  }
  std::string header = kind == MemoKind::kFpt ? FptFile::empty_header() : DbtFile::empty_header();
  fs::Status st = h->write_at(0, header.data(), header.size());
  if (!st) {
    failure = {gen::kCreate, sub::kCreateMemo, st.dos_error(), h->path(), "cannot write", {}};
    return nullptr;
  }
  std::string name = h->path();
  if (kind == MemoKind::kFpt) return std::make_unique<FptFile>(std::move(*h), std::move(name));
  return std::make_unique<DbtFile>(std::move(*h), std::move(name));
}

std::unique_ptr<MemoFile> MemoFile::wrap(MemoKind kind, filelock::Handle file) {
  std::string name = file.path();
  if (kind == MemoKind::kFpt) return std::make_unique<FptFile>(std::move(file), std::move(name));
  return std::make_unique<DbtFile>(std::move(file), std::move(name));
}

Failure MemoFile::lock() {
  if (file_.share() == filelock::Share::kExclusive) return {};
  fs::Status st = file_.lock(0, 1, filelock::LockKind::kWrite, filelock::Wait::kYes);
  if (!st) return {gen::kLock, sub::kLock, st.dos_error(), name_, "memo lock refused", {}};
  return {};
}

void MemoFile::unlock() {
  if (file_.share() != filelock::Share::kExclusive) file_.unlock(0, 1);
}

}  // namespace codfix::dbf
