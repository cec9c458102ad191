// ASORT without a block orders texts by the collation (PT850), as the classic
// runtime did: checked against the order it produced for 135 strings.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "expr_fixture.h"
#include "platform/text/literal.h"

namespace codfix::expr::testing {
namespace {

using namespace text::literals;

std::vector<std::string> read_sample() {
  std::ifstream in(std::string(CODFIX_TESTDATA) + "/cp850/asort_sample.txt");
  std::vector<std::string> out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::string hex = line.substr(0, line.find('\t'));
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
      bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    out.push_back(bytes);
  }
  return out;
}

class Asort : public ExprTest {
 protected:
  std::vector<std::string> sorted(std::vector<std::string> input) {
    std::vector<Value> items(input.begin(), input.end());
    rt().vars.declare_private("ALISTA", Value::array(std::move(items)));
    eval("ASORT(ALISTA)");
    std::vector<std::string> out;
    for (const Value& v : rt().vars.get("ALISTA").items()) out.push_back(v.text());
    return out;
  }
};

TEST_F(Asort, MatchesTheClassicOrder) {
  std::vector<std::string> expected = read_sample();
  ASSERT_EQ(expected.size(), 135u);
  // Reversed, then interleaved, so that the input is far from sorted.
  std::vector<std::string> shuffled(expected.rbegin(), expected.rend());
  for (std::size_t i = 0; i + 2 < shuffled.size(); i += 3) std::swap(shuffled[i], shuffled[i + 2]);
  EXPECT_EQ(sorted(shuffled), expected);
}

TEST_F(Asort, TenWords) {
  std::vector<std::string> expected;
  for (std::string_view w :
       {"123"_cp850, "ABACO"_cp850, "AGUA"_cp850, "ÁGUA"_cp850, "Ábaco"_cp850, "ÀGUA"_cp850,
        "ÇÃO"_cp850, "ZEBRA"_cp850, "Zebra"_cp850, "ábaco"_cp850})
    expected.emplace_back(w);
  std::vector<std::string> input(expected.rbegin(), expected.rend());
  EXPECT_EQ(sorted(input), expected);
}

}  // namespace
}  // namespace codfix::expr::testing
