#include "lib/startup/active_sessions.h"

#include "lib/core/names.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/startup/application.h"
#include "platform/filelock/handle.h"
#include "platform/fs/directory.h"
#include "platform/fs/errors.h"
#include "platform/text/memo_lines.h"

namespace codfix {
namespace {

// The file's first line as a 79-column memo line ("" when it cannot be read).
std::string first_line(const std::string& name) {
  fs::Result<filelock::Handle> h = filelock::Handle::open(name, false, filelock::Share::kShared);
  if (!h) return std::string(79, ' ');
  std::string bytes(512, '\0');
  fs::Result<size_t> got = h->read_at(0, bytes.data(), bytes.size());
  bytes.resize(got ? *got : 0);
  return text::memo_line(bytes, 79, 1);
}

}  // namespace

int USUARIOSATIVOS(const Value& same, const Value& others) {
  auto listing = fs::list_directory("*.usr");
  if (!listing) return 0;
  const std::string program = NOME_APLICACAO();
  const Value own = Runtime::current().vars.get("CFILESISTEMA");
  int count = 0;
  for (const fs::DirEntry& entry : *listing) {
    fs::Result<filelock::Handle> probe =
        filelock::Handle::open(entry.name, false, filelock::Share::kExclusive);
    if (probe) continue;  // nobody holds it: closing the probe releases it again
    const int error = probe.dos_error();
    if (error != fs::dos::kAccessDenied && error != fs::dos::kSharingViolation) continue;
    ++count;
    const bool mine = upper_name(entry.name).find(program) != std::string::npos;
    if (mine && same.is_array()) {
      std::string line = first_line(entry.name);
      if (own.is_text() && same_name(entry.name, own.text())) line += "(eu)";
      same.items().push_back(Value(line));
    } else if (!mine && others.is_array()) {
      others.items().push_back(Value(std::string(trim(first_line(entry.name))) + " " + entry.name));
    }
  }
  return count;
}

}  // namespace codfix
