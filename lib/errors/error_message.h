// ERRORMESSAGE: the one-line description of an error record, as the error
// handler shows it when no other message applies and writes it before ending
// the program:
//   "Error DBFNTX/1001  Erro de abertura: /DADOS/KVITEM.DBF"
// ("Warning " for severity 1; "???" for a subsystem that is not text and "/???"
// for a subcode that is not a number; every "dato" becomes "dado").
#pragma once

#include <string>

#include "lib/core/value.h"

namespace codfix {

// Reads the record's properties by name, so any error object will do.
std::string ERRORMESSAGE(const Object& error);

}  // namespace codfix
