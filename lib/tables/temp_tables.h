// Temporary tables and questions about tables: DBCREATETEMP (a work table with
// its indexes, in the memory space when there is room), ARQMEMORIA, APAGATMP,
// APAGATABELA, EXISTETABELA, EXISTEINDICE, and DBPATH.
#pragma once

#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

// `structure`: rows {name, type, width, decimals}. `keys`: nil, a key text, or an
// array of key texts and {key, FOR condition} pairs. Returns the alias; the table
// is open exclusively and selected with order 1 active. "" when it could not be
// created.
std::string DBCREATETEMP(const Value& structure, const Value& keys = Value(),
                         std::string_view driver = "", std::string_view alias = "");
bool ARQMEMORIA();
// Closes the table's work area (when open), deletes the table file and the index
// files of its orders; true when the table file is gone.
bool APAGATMP(std::string_view file = "", std::string_view alias = "");
bool APAGATABELA(std::string_view table, std::string_view driver = "");
bool EXISTETABELA(std::string_view table, bool in_folder = false, std::string_view driver = "");
bool EXISTEINDICE(std::string_view index, bool in_folder = false, std::string_view driver = "");
// The full path of the table open under `alias` (or in the current area); "".
std::string DBPATH(std::string_view alias = "");

void register_temp_table_routines();

}  // namespace codfix
