// The table engine's functions in the routine registry, so expressions and the
// library call them by name: record and area state (RECNO, RECCOUNT, LASTREC, EOF,
// BOF, DELETED, FOUND, USED, ALIAS, SELECT, DBF, NETERR, HEADER, RECSIZE,
// LUPDATE), fields (FCOUNT, FIELDGET, FIELDPUT, FIELDPOS, FIELDNAME, FIELD,
// DBSTRUCT), locks (RLOCK, FLOCK, DBRLOCK, DBRUNLOCK, DBUNLOCK), orders (INDEXKEY,
// INDEXORD, ORDKEY, ORDNAME, ORDFOR, ORDBAGNAME, ORDNUMBER, ORDCOUNT, ORDKEYNO,
// ORDKEYCOUNT, ORDSETFOCUS, DBSETORDER, DBSETINDEX, ORDLISTADD, DBCLEARINDEX,
// ORDLISTCLEAR, ORDCREATE, DBCREATEINDEX, DBREINDEX) and the commands (DBUSEAREA,
// DBCREATE, DBCLOSEAREA, DBCLOSEALL, DBSELECTAREA, DBGOTO, DBGOTOP, DBGOBOTTOM,
// DBSKIP, DBSEEK, DBAPPEND, DBDELETE, DBRECALL, DBCOMMIT, DBCOMMITALL,
// DBSETFILTER, DBCLEARFILTER, DBFILTER, __DBPACK, __DBZAP, __DBLOCATE,
// __DBCONTINUE, __DBCOPY, __DBAPP, __DBCOPYSTRUCT).
//
// They work on the WorkAreas installed in the current run-time context; without
// one, or without a table in the area, they give their empty results.
#pragma once

namespace codfix::dbf {

// Idempotent.
void register_table_functions();

}  // namespace codfix::dbf
