#include "platform/console/colour.h"

#include <cctype>

namespace codfix::console {
namespace {

// One side of a pair: letters and digits, returns -1 when it names no colour.
int colour_index(std::string_view s) {
  std::string letters;
  int number = -1;
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (std::isdigit(u)) {
      number = (number < 0 ? 0 : number * 10) + (c - '0');
    } else if (std::isalpha(u)) {
      letters += static_cast<char>(std::toupper(u));
    }
  }
  if (letters.empty()) return number >= 0 && number <= 15 ? number : -1;
  int idx = 0;
  bool any = false;
  for (char c : letters) {
    switch (c) {
      case 'N':
        any = true;
        break;
      case 'B':
        idx |= 1;
        any = true;
        break;
      case 'G':
        idx |= 2;
        any = true;
        break;
      case 'R':
        idx |= 4;
        any = true;
        break;
      case 'W':
        idx |= 7;
        any = true;
        break;
      case 'U':  // underline: blue on a colour screen
        idx |= 1;
        any = true;
        break;
      case 'X':  // blank
        any = true;
        break;
      default:
        break;
    }
  }
  return any ? idx : -1;
}

bool blank(std::string_view s) {
  for (char c : s)
    if (c != ' ') return false;
  return true;
}

constexpr const char* kNames[8] = {"N", "B", "G", "BG", "R", "RB", "GR", "W"};

}  // namespace

bool parse_pair(std::string_view pair, Attr& out) {
  if (blank(pair)) return false;
  bool bright = pair.find('+') != std::string_view::npos;
  bool blink = pair.find('*') != std::string_view::npos;
  std::size_t slash = pair.find('/');
  std::string_view fore = pair.substr(0, slash);
  std::string_view back =
      slash == std::string_view::npos ? std::string_view{} : pair.substr(slash + 1);
  // "I" alone is inverse video.
  std::string f;
  for (char c : fore)
    if (c != ' ' && c != '+' && c != '*')
      f += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (f == "I" && blank(back)) {
    out = 0x70;
    return true;
  }
  int fg = colour_index(fore);
  int bg = colour_index(back);
  if (fg < 0 && bg < 0) return false;
  if (fg < 0) fg = 0;
  if (bg < 0) bg = 0;
  if (bright) fg |= 8;
  if (blink) bg |= 8;
  out = static_cast<Attr>((fg & 15) | ((bg & 15) << 4));
  return true;
}

Attr colour_attribute(std::string_view colour, Attr fallback) {
  Attr a = fallback;
  parse_pair(colour.substr(0, colour.find(',')), a);
  return a;
}

std::string attribute_text(Attr a) {
  int fg = a & 15;
  int bg = (a >> 4) & 15;
  std::string s = kNames[fg & 7];
  if (fg & 8) s += '+';
  s += '/';
  s += kNames[bg & 7];
  if (bg & 8) s += '*';
  return s;
}

ColourSet::ColourSet() : attrs_{0x07, 0x70, 0x00, 0x00, 0x70} {}

void ColourSet::apply(std::string_view colour) {
  std::size_t start = 0;
  for (int i = 0; i < 5 && start <= colour.size(); ++i) {
    std::size_t comma = colour.find(',', start);
    std::string_view part =
        colour.substr(start, comma == std::string_view::npos ? colour.npos : comma - start);
    parse_pair(part, attrs_[i]);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
}

std::string ColourSet::text() const {
  std::string s;
  for (int i = 0; i < 5; ++i) {
    if (i) s += ',';
    s += attribute_text(attrs_[i]);
  }
  return s;
}

}  // namespace codfix::console
