#include <cctype>

#include "platform/picture/picture.h"

namespace codfix::picture {

bool is_template_char(char c) {
  switch (c) {
    case '9':
    case '#':
    case 'X':
    case 'x':
    case 'A':
    case 'a':
    case 'N':
    case 'n':
    case 'L':
    case 'l':
    case 'Y':
    case 'y':
    case '!':
    case '$':
    case '*':
      return true;
    default:
      return false;
  }
}

Picture parse(std::string_view text) {
  Picture p;
  std::size_t i = 0;
  if (!text.empty() && text[0] == '@') {
    i = 1;
    while (i < text.size() && text[i] != ' ') {
      char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
      ++i;
      switch (c) {
        case '!':
          p.upper = true;
          break;
        case 'A':
          p.alpha_only = true;
          break;
        case 'K':
          p.clear_first = true;
          break;
        case 'R':
          p.insert_literals = true;
          break;
        case 'E':
          p.european = true;
          break;
        case 'Z':
          p.zero_blank = true;
          break;
        case 'B':
          p.left_justify = true;
          break;
        case 'C':
          p.credit = true;
          break;
        case 'X':
          p.debit = true;
          break;
        case '(':
          p.paren = true;
          break;
        case ')':
          p.paren_tight = true;
          break;
        case 'D':
          p.date_format = true;
          break;
        case 'S': {
          int n = 0;
          while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            if (n < 100000) n = n * 10 + (text[i] - '0');
            ++i;
          }
          p.scroll_width = n;
          break;
        }
        default:
          break;  // letters of other dialects are accepted and ignored
      }
    }
    if (i < text.size()) ++i;  // the one blank that separates the template
  }
  p.tmpl = std::string(text.substr(i));
  return p;
}

}  // namespace codfix::picture
