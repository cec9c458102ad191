// The library's log writers:
//  - GRAVALOG: appends an entry, optionally under a header block (who, when), to
//    a text log in the current folder; the whole file is rewritten through
//    MEMOWRITE, and restarts with "Arquivo re-criado " once it would reach 63,000
//    bytes.
//  - _GRAVALOG (GRAVALOG_ here): appends semicolon-separated records to the log
//    named after the executable, through the printer-to-file output; the log is
//    moved aside past 5,000,000 bytes.
//  - GETCALLSTACK: the chain of callers, innermost first.
#pragma once

#include <string_view>

#include "lib/core/value.h"

namespace codfix {

void GRAVALOG(std::string_view file, const Value& text, bool header = true, bool new_line = true);
void GRAVALOG_(std::string_view id, std::string_view text, bool new_record = true);
Value GETCALLSTACK();

// The record log's name: the executable's full path upper-cased, with ".EXE"
// replaced by ".LOG" (".LOG" added when the name has no extension).
std::string record_log_path();

// Registers GRAVALOG, _GRAVALOG and GETCALLSTACK.
void register_log_routines();

}  // namespace codfix
