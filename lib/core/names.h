// Names of variables, routines, fields and aliases are case-insensitive: they are
// compared and stored in upper case (ASCII letters only; names are identifiers).
#pragma once

#include <string>
#include <string_view>

namespace codfix {

std::string upper_name(std::string_view name);
bool same_name(std::string_view a, std::string_view b);

}  // namespace codfix
