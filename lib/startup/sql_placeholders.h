// The routines of a SQL back-end, as placeholders: library code written for a
// SQL back-end runs unchanged on the DBF driver. None of them touches a server;
// the few that answer about files look at the DBF files of the default driver.
#pragma once

#include <string_view>

namespace codfix {

bool SR_FILE(std::string_view file);
bool SR_EXISTTABLE(std::string_view table);
bool SR_EXISTINDEX(std::string_view index);
// Deletes the table's .DBF file / the index file of the default driver.
void SR_DROPTABLE(std::string_view table);
void SR_DROPINDEX(std::string_view index);

// Registers every placeholder: SR_FILE, SR_EXISTTABLE, SR_EXISTINDEX,
// SR_ADDCONNECTION, SR_END, SR_DETECTDBFROMDSN, SQLRDD, SR_FIREBIRD,
// SR_SETRDDTEMP, SR_CHANGESTRUCT, SR_SETFASTOPEN, ISSQLWORKAREA, SR_VERSION,
// SR_DROPTABLE, SR_DROPINDEX, SR_STARTLOG, SR_ALLINCACHE, SR_SETFILTER.
void register_sql_placeholders();

}  // namespace codfix
