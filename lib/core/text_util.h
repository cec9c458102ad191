// Small text operations shared by the whole library: trimming blanks, padding,
// splitting into tokens. Texts are code page 850 bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace codfix {

// TRIM / LTRIM / ALLTRIM: blanks (spaces) only.
std::string_view trim_right(std::string_view s);
std::string_view trim_left(std::string_view s);
std::string_view trim(std::string_view s);

// PADR / PADL: cut or fill with `fill` to exactly `width` bytes.
std::string pad_right(std::string_view s, std::size_t width, char fill = ' ');
std::string pad_left(std::string_view s, std::size_t width, char fill = ' ');

// The tokens of a text split at any of the characters in `separators`: runs of
// separators count as one and leading ones are skipped, so empty fields vanish.
std::vector<std::string> tokens(std::string_view text, std::string_view separators);

// Replaces every occurrence of `from` by `to`.
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

}  // namespace codfix
