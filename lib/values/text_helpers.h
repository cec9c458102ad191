// Small text conversions of the library: CONVDATA (dates in fixed layouts),
// CONVCHAR, CONCATCHAR, TIRACHAR, PRIMMAIU, TEMPOEXT, TEMPOEST, IGUALOUCONTIDO,
// RETELEM.
#pragma once

#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

// `empty_rule`: 1 blanks, 2 as produced, 3 blanks become zeros (true is 1,
// false is 2).
std::string CONVDATA(Date date, int format = 1, int empty_rule = 2, std::string_view sep = "/");
std::string CONVCHAR(const Value& v, int width = -1, std::string_view type = "C");
std::string CONCATCHAR(const Value& v, bool trim_it = false, std::string_view delimiters = "()");
std::string TIRACHAR(std::string_view text, std::string_view characters);
std::string PRIMMAIU(std::string_view text);
// Also leaves the result in CRETORNO.
std::string TEMPOEXT(std::string_view hhmmss);
std::string TEMPOEST(double start_seconds, double done, double total);
bool IGUALOUCONTIDO(std::string_view pattern, std::string_view text);
Value RETELEM(const Value& list, const Value& index, int default_position = 1);

// Seconds as hh:mm:ss (hours past 99 keep their digits).
std::string seconds_to_hhmmss(long long seconds);
// Seconds since midnight, local time.
double seconds_now();

void register_text_helpers();

}  // namespace codfix
