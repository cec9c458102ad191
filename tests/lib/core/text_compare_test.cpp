#include "lib/core/text_compare.h"

#include <gtest/gtest.h>

#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

// Operators in the order < <= > >= = == != as 'T'/'F', for EXACT off and on.
std::string operators(std::string_view a, std::string_view b, bool exact) {
  int c = compare_text(a, b, exact);
  std::string out;
  out += c < 0 ? 'T' : 'F';
  out += c <= 0 ? 'T' : 'F';
  out += c > 0 ? 'T' : 'F';
  out += c >= 0 ? 'T' : 'F';
  out += c == 0 ? 'T' : 'F';
  out += text_exactly_equal(a, b) ? 'T' : 'F';
  out += c != 0 ? 'T' : 'F';
  return out;
}

TEST(TextCompare, ObservedOperatorTable) {
  struct Case {
    std::string_view a, b;
    const char* off;
    const char* on;
  } cases[] = {
      {"ABC", "AB", "FTFTTFF", "FFTTFFT"},
      {"AB", "ABC", "TTFFFFT", "TTFFFFT"},
      {"ABC", "ABC  ", "TTFFFFT", "FTFTTFF"},
      {"ABC  ", "ABC", "FTFTTFF", "FTFTTFF"},
      {"", "X", "TTFFFFT", "TTFFFFT"},
      {"X", "", "FTFTTFF", "FFTTFFT"},
      {"", " ", "TTFFFFT", "FTFTTFF"},
      {"ABC ", "ABCD", "TTFFFFT", "TTFFFFT"},
      {"AB", "A  ", "FFTTFFT", "FFTTFFT"},
      {"Z", "á"_cp850, "TTFFFFT", "TTFFFFT"},  // every capital before every small letter
      {"Z", "Á"_cp850, "FFTTFFT", "FFTTFFT"},
      {"Á"_cp850, "B", "TTFFFFT", "TTFFFFT"},
      {"ÁGUA"_cp850, "AGUAS", "FFTTFFT", "FFTTFFT"},
      {"Ab", "AB", "FFTTFFT", "FFTTFFT"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(operators(c.a, c.b, false), c.off) << c.a << " vs " << c.b;
    EXPECT_EQ(operators(c.a, c.b, true), c.on) << c.a << " vs " << c.b << " (exact)";
  }
}

}  // namespace
}  // namespace codfix
