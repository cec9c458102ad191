// Code page 850 text: the collation and case tables of the Portuguese code page,
// and conversions to and from UTF-8 and Windows-1252.
//
// Run-time text is code page 850 bytes everywhere. The active collation decides the
// order of `<`, `>`, ASORT and index keys; PT850 is the default, plain byte order
// (with ASCII-only case mapping) is the alternative. The tables are process-wide:
// select the code page once at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace codfix::text {

enum class CodePage { PT850, Binary };

void set_code_page(CodePage cp);
CodePage code_page();

// Weight of a byte under the active collation (a permutation of 0..255).
uint8_t weight(uint8_t byte);
// The active weight table (256 entries), for tight loops such as index key compares.
const uint8_t* weights();

// Compares two texts under the active collation.
//   exact = false: a left text longer than the right one whose beginning equals the
//   right one compares equal (the non-exact `=`); otherwise the shorter text is smaller.
// Returns <0, 0 or >0.
int compare(std::string_view a, std::string_view b, bool exact);

char to_upper(char c);
char to_lower(char c);
std::string upper(std::string_view s);
std::string lower(std::string_view s);
bool is_alpha(char c);
bool is_upper(char c);
bool is_lower(char c);
bool is_digit(char c);

// Conversions. Bytes with no counterpart become '?'.
// `screen_glyphs` maps the control bytes 01..1F and 7F to their console glyphs.
char32_t cp850_to_unicode(uint8_t byte, bool screen_glyphs = false);
std::string cp850_to_utf8(std::string_view s, bool screen_glyphs = false);
std::string utf8_to_cp850(std::string_view s);
// One Unicode code point to its code page 850 byte, or -1 when there is none.
int unicode_to_cp850(char32_t cp);
std::string cp850_to_cp1252(std::string_view s);
std::string cp1252_to_cp850(std::string_view s);

}  // namespace codfix::text
