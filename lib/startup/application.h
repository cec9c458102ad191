// The running program's own names: NOME_APLICACAO (the executable's base name in
// upper case, "CODFIX") and the full path of the executable.
#pragma once

#include <string>

namespace codfix {

std::string NOME_APLICACAO();
// The executable's full path, "" when the system cannot tell.
std::string application_path();

}  // namespace codfix
