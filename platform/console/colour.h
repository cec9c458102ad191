// Colour strings and attribute bytes.
//
// A colour string is up to five fore/back pairs separated by commas, in the order
// standard, enhanced, border, background, unselected ("W+/B,N/W,,,B/W"). Colour
// letters: N black, B blue, G green, BG cyan, R red, RB magenta, GR brown, W white,
// U underline (shown as blue), I inverse (N/W), X blank (N/N); a number 0-15 is also
// accepted. `+` anywhere in a pair makes the foreground bright (+8), `*` makes the
// background bright/blinking (+8). The attribute byte is foreground + 16 × background.
// An empty position keeps the previous setting when a string is applied.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace codfix::console {

using Attr = uint8_t;

inline constexpr Attr kShadowAttr = 0x08;  // dark grey on black

// The attribute of one pair ("W+/B"). False when the pair is empty or holds no
// colour letter; `out` is then left alone.
bool parse_pair(std::string_view pair, Attr& out);

// The attribute of the first pair of a colour string; `fallback` when it is empty.
Attr colour_attribute(std::string_view colour, Attr fallback = 0x07);

// The pair text of an attribute ("W+/B").
std::string attribute_text(Attr a);

// The five colour positions of a colour string.
enum class Role : int { Standard = 0, Enhanced = 1, Border = 2, Background = 3, Unselected = 4 };

class ColourSet {
 public:
  // The default setting "W/N,N/W,N/N,N/N,N/W".
  ColourSet();
  explicit ColourSet(std::string_view colour) : ColourSet() { apply(colour); }

  // Applies a colour string: given positions replace, empty ones keep.
  void apply(std::string_view colour);
  Attr get(Role r) const { return attrs_[static_cast<int>(r)]; }
  void set(Role r, Attr a) { attrs_[static_cast<int>(r)] = a; }
  Attr standard() const { return get(Role::Standard); }
  Attr enhanced() const { return get(Role::Enhanced); }
  Attr unselected() const { return get(Role::Unselected); }
  // The full five-pair text, as SETCOLOR() reports it.
  std::string text() const;

  friend bool operator==(const ColourSet&, const ColourSet&) = default;

 private:
  std::array<Attr, 5> attrs_;
};

}  // namespace codfix::console
