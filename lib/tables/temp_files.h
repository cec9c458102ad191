// Unique names, safe renames and small questions about files and tables:
// ARQTMP (short names from the clock), TEMPFILE (names reserved by the platform),
// RENFILE (rename with silent retries or a question), TAMANHOARQ, DIRETORIO,
// EXTENSAOINDICE, DATABASEINFO, ASCAN2.
#pragma once

#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

// A unique short name: folder + prefix + the last digits of the seconds since
// midnight, at most 8 characters, without extension.
std::string ARQTMP(std::string_view prefix = "", std::string_view folder = "");
// A unique name made by the platform's temporary-file operation (prefix "TM"),
// upper-cased with ".TMP" replaced by "." + extension when one is given; the
// file is removed again. "" when no name could be made.
std::string TEMPFILE(std::string_view folder = "", std::string_view extension = "",
                     int attribute = 0, std::string_view prefix = "TM");
// Renames (moves) a file, removing an existing target first. Without `ask`, 10
// silent attempts; with it, the operator is asked after each failure.
bool RENFILE(std::string_view from, std::string_view to, bool ask = false);
// The size of a file in bytes, -1 when it cannot be found.
long long TAMANHOARQ(std::string_view file);
// Without a folder: the current folder (the absolute POSIX path here). With one:
// whether it exists.
std::string DIRETORIO();
bool DIRETORIO(std::string_view folder);
// ".ntx" for DBFNTX, ".cdx" for DBFCDX (driver names compared by prefix), "".
std::string EXTENSAOINDICE(std::string_view table = "", std::string_view driver = "");
// The default driver's name (with " - " and the back-end's version for SQL).
std::string DATABASEINFO();
// The first row whose column equals `value` (exactly, or by the non-exact text
// rule on trimmed upper-case texts); 0 when none.
int ASCAN2(const Value& rows, const Value& value, int column = 1, bool exact = true);

// True when `driver` begins with `name` (driver names are compared by prefix).
bool is_driver(std::string_view driver, std::string_view name);

void register_temp_file_routines();

}  // namespace codfix
