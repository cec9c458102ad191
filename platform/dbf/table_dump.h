// The text forms support staff and tests use to look at a table (dbf-tool info and
// dump): header facts and field list; one line per record in physical order.
//
//   info:  version 0xNN / records N (the header's count) / header_length N /
//          record_length N / memo none|dbt|fpt / one "NAME TYPE LEN DEC" per field
//   dump:  '*' or ' ', then "|value" per field: stored bytes for C N F D L (and the
//          other non-memo types), memo text with \ as \\, CR as \r, LF as \n
#pragma once

#include <string>

#include "platform/dbf/failure.h"
#include "platform/dbf/table.h"

namespace codfix::dbf {

std::string format_info(const Table& table);

// The dump line of the table's current record (no line end). Fails when a memo
// cannot be read.
Failure dump_record(Table& table, std::string& line);

// Escapes memo text for a dump line.
void escape_memo(std::string_view text, std::string& out);

}  // namespace codfix::dbf
