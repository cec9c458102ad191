#include "lib/startup/application.h"

#include "lib/os/paths.h"
#include "platform/sys/environment.h"
#include "platform/text/codepage.h"

namespace codfix {

std::string NOME_APLICACAO() {
  return text::upper(NOMEARQ(application_path(), false));
}

std::string application_path() {
  return sys::executable_path();
}

}  // namespace codfix
