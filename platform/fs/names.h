// Comparing file names without regard to case, as the library's programs expect.
//
// Only ASCII letters are folded. Names on disk may be UTF-8 or code page 850 bytes,
// so folding other bytes through a code page table could match unrelated names; and
// the result must not depend on the session's active code page.
#pragma once

#include <string>
#include <string_view>

namespace codfix::fs {

char fold_name_char(char c);
std::string fold_name(std::string_view name);
bool same_name(std::string_view a, std::string_view b);

// Order of listings: by name ignoring case, then by bytes so that the order is total.
// Returns <0, 0 or >0.
int compare_names(std::string_view a, std::string_view b);

}  // namespace codfix::fs
