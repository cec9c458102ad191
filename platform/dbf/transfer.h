// Moving records between tables: COPY TO (records of a work area into a new
// table), APPEND FROM (every record of a table file into a work area) and COPY
// STRUCTURE.
//
// Fields are matched by name. Values of the same type move as they are: text
// padded or cut to the new width, numbers rewritten for the new width and decimals
// (a number that no longer fits raises the data-width error with the field's
// name), memo texts written into the target's memo file. Fields whose types differ
// are left blank. Deletion marks move with the records.
//
// Bulk paths: a target open exclusively receives records in large blocks and has
// its indexes rebuilt in one pass when that is cheaper than inserting each key.
#pragma once

#include <functional>

#include <string>
#include <string_view>

#include "platform/dbf/field.h"
#include "platform/dbf/work_area.h"

namespace codfix::dbf {

struct CopyOptions {
  std::string condition;        // FOR; empty: every record
  std::string while_condition;  // WHILE; empty: to the end
  bool all = false;             // from the top instead of from the current record
  std::string driver;           // of the new table; empty: the source's
};

// Copies the visible records of `from` (in its active order, starting at its
// current record) into a new table `target` with the same structure.
bool copy_to(WorkArea& from, std::string_view target, const CopyOptions& options = {});

// Appends the records of the table file `source` to `to` (deleted ones only when
// SET DELETED is off). Returns false when something failed (reported).
bool append_from(WorkArea& to, std::string_view source);
// Told (records done, records in all) before each block of records is copied.
using AppendProgress = std::function<void(uint32_t, uint32_t)>;

// The same from a table already open in another work area (for example held
// exclusively while its records are copied), telling `progress` as it goes.
bool append_from(WorkArea& to, WorkArea& from, const AppendProgress& progress = {});

// Creates an empty table with `from`'s structure.
bool copy_structure(WorkArea& from, std::string_view target);

}  // namespace codfix::dbf
