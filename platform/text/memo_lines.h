// Memo lines: the lines of a text at a given width, as MLCOUNT and MEMOLINE see
// them. A CR LF is a hard break and a soft return (8D 0A) a soft one; other text
// is wrapped at the last blank that fits (a word longer than the width is cut);
// a tab advances to the next multiple of the tab width. A final line break does
// not start another line.
//
// The one implementation of memo-line wrapping: message boxes, settings files and
// the MLCOUNT/MEMOLINE functions all use it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace codfix::text {

// The lines, without padding and without their breaks.
std::vector<std::string> memo_lines(std::string_view text, int width, int tab_width = 4,
                                    bool wrap = true);
// MLCOUNT.
int memo_line_count(std::string_view text, int width, int tab_width = 4, bool wrap = true);
// MEMOLINE: line `n` (1-based) padded with blanks to `width`; blanks past the end.
std::string memo_line(std::string_view text, int width, int n, int tab_width = 4, bool wrap = true);

}  // namespace codfix::text
