// Key/value settings files: lines key=value ended by CR LF, optionally grouped
// under [SECTION] headers (cookie.sys, KV.INI, CODFIX.CFG, ...).
//
// The reader and the writer differ on purpose, and both are kept as the family's
// programs expect:
//  - READMEMO takes lines as they stand: only CR LF ends a line (an unterminated
//    last line is not seen), a key is the text before the first '=' compared
//    ignoring case but not blanks, a lookup without a section takes the first
//    match anywhere in the file.
//  - PUTMEMO trims every line, rewrites the whole file and ends every line with
//    CR LF; writing a key with its current value leaves the file untouched.
//
// Two READMEMO variants exist: the library's (per-user prefix from the environment
// variable named by USERNAME, else the workstation's name) and the application's
// (prefix from _USR_NAME). READMEMO() calls whichever is registered under the name
// READMEMO (the application replaces the library's at start-up with
// use_application_readmemo()); LIB_READMEMO() is always the library's and is what
// the library's own configuration routines call.
#pragma once

#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

// `id` is a key text or an array {section, key}. `def` gives the result's type.
Value READMEMO(const Value& id, bool per_user = false, const Value& def = Value(),
               std::string_view file = "", bool optimise = false);
Value LIB_READMEMO(const Value& id, bool per_user = false, const Value& def = Value(),
                   std::string_view file = "", bool optimise = false);
// The application's variant, registered by use_application_readmemo().
Value APP_READMEMO(const Value& id, bool per_user = false, const Value& def = Value(),
                   std::string_view file = "", bool optimise = false);

// Writes (or with `remove` deletes) a key. Nil `id` and `value` default to the
// caller's routine name + the active input field, and the field's edit buffer.
bool PUTMEMO(const Value& id = Value(), bool per_user = false, const Value& value = Value(),
             std::string_view file = "", bool remove = false);

// Loads the remembered value of the active input field.
bool GETMEMO(const Value& id = Value(), bool per_user = false);

// The settings file to use: a .SYS name becomes .CFG when that file exists.
std::string SYSTOCFG(std::string_view file);

// The library's user identification for per-user keys.
std::string library_user_id();

// Registers READMEMO (library variant), PUTMEMO, GETMEMO, SYSTOCFG.
void register_settings_routines();
// Makes READMEMO resolve to the application's variant.
void use_application_readmemo();

}  // namespace codfix
