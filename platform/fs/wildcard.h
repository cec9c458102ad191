// DOS-style wildcard matching of file names, without regard to case.
//
//   *      any run of characters, also none
//   ?      exactly one character
//   X.     a pattern ending in '.' matches names without an extension ("*." -> "README")
//   X.*    also matches the name without any extension ("*.*" matches every name,
//          "KVPROD.*" matches "KVPROD")
//
// The extension of a name is what follows its last '.'; a name made only of dots
// ("." and "..") has none.
#pragma once

#include <string_view>

namespace codfix::fs {

bool has_wildcards(std::string_view pattern);
bool wildcard_match(std::string_view pattern, std::string_view name);

}  // namespace codfix::fs
