#include "lib/core/text_compare.h"

#include "platform/text/codepage.h"

namespace codfix {

int compare_text(std::string_view a, std::string_view b, bool exact_setting) {
  if (!exact_setting) return text::compare(a, b, false);
  auto trim_to = [](std::string_view& longer, std::size_t floor) {
    while (longer.size() > floor && longer.back() == ' ') longer.remove_suffix(1);
  };
  if (a.size() > b.size()) {
    trim_to(a, b.size());
  } else if (b.size() > a.size()) {
    trim_to(b, a.size());
  }
  return text::compare(a, b, true);
}

}  // namespace codfix
