// Whole-file reading and writing for settings files and logs, with the library's
// silent retries and its "Repetir" / "Abortar" questions:
//   FMEMOREAD: a missing file is an empty text; a file that cannot be opened is
//   retried silently 3 times, 3 seconds apart (a key ends a wait early), then the
//   operator is asked.
//   MEMOWRITE: replaces the file; access denied is retried silently 3 times, 1
//   second apart, then the operator is asked.
// Every question is logged to ERRO.LOG first (through GRAVALOG). A failure while
// writing ERRO.LOG itself is not logged again, so the recursion ends. With no
// terminal the questions get no answer, which counts as "Abortar".
#pragma once

#include <string>
#include <string_view>

namespace codfix {

// Reads the whole file into `text`; false when the operator aborted.
bool FMEMOREAD(std::string_view file, std::string& text);

// Writes `text` as the whole file; true when it was written.
bool MEMOWRITE(std::string_view file, std::string_view text);

void register_memo_file_routines();

}  // namespace codfix
