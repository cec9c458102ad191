#include "platform/dialogs/alert.h"

#include <algorithm>

#include "lib/core/active_field.h"
#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/picture/picture.h"
#include "platform/text/codepage.h"
#include "platform/text/memo_lines.h"

namespace codfix::dialogs {
namespace {

constexpr int kMaxTextWidth = 60;

struct Layout {
  int top = 0, left = 0, bottom = 0, right = 0;
  std::vector<std::string> lines;
  int buttons_row = 0;
  std::vector<int> button_col;        // column of each button
  std::vector<std::string> captions;  // as drawn, with a blank on each side
};

std::vector<std::string> message_lines(std::string_view message, int width) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    std::size_t semi = message.find(';', start);
    std::string_view part =
        message.substr(start, semi == std::string_view::npos ? message.npos : semi - start);
    std::vector<std::string> wrapped = text::memo_lines(part, width);
    if (wrapped.empty()) wrapped.emplace_back();
    for (auto& l : wrapped) out.push_back(std::move(l));
    if (semi == std::string_view::npos) break;
    start = semi + 1;
  }
  return out;
}

Layout lay_out(const console::Console& c, std::string_view message,
               const std::vector<std::string>& buttons) {
  Layout L;
  int cols = c.maxcol() + 1;
  int rows = c.maxrow() + 1;
  int text_width = std::max(1, std::min(kMaxTextWidth, cols - 6));
  L.lines = message_lines(message, text_width);
  int buttons_width = 0;
  for (const auto& b : buttons) {
    L.captions.push_back(" " + b + " ");
    buttons_width += static_cast<int>(b.size()) + 2;
  }
  buttons_width += 2 * (static_cast<int>(buttons.size()) - 1);
  int inner = buttons_width;
  for (const auto& l : L.lines) inner = std::max(inner, static_cast<int>(l.size()));
  int width = std::min(inner + 4, cols);
  int max_lines = std::max(1, rows - 4);
  if (static_cast<int>(L.lines.size()) > max_lines) L.lines.resize(max_lines);
  int height = static_cast<int>(L.lines.size()) + 4;
  L.top = std::max(0, (rows - height) / 2);
  L.left = std::max(0, (cols - width) / 2);
  L.bottom = L.top + height - 1;
  L.right = L.left + width - 1;
  L.buttons_row = L.bottom - 1;
  int col = L.left + std::max(2, (width - buttons_width) / 2);
  for (const auto& cap : L.captions) {
    L.button_col.push_back(col);
    col += static_cast<int>(cap.size()) + 2;
  }
  return L;
}

void draw(console::Console& c, const Layout& L, console::Attr box, console::Attr focus,
          int current) {
  c.begin_update();
  c.clear_area(L.top, L.left, L.bottom, L.right, box);
  c.frame(L.top, L.left, L.bottom, L.right, console::kFrameSingle, box);
  int inner = L.right - L.left - 3;
  for (std::size_t i = 0; i < L.lines.size(); ++i) {
    const std::string& l = L.lines[i];
    int pad = std::max(0, (inner - static_cast<int>(l.size())) / 2);
    std::string shown = l.substr(0, static_cast<std::size_t>(std::max(0, inner)));
    c.screen().write(L.top + 1 + static_cast<int>(i), L.left + 2 + pad, shown, box);
  }
  for (std::size_t i = 0; i < L.captions.size(); ++i) {
    int width = L.right - L.button_col[i];
    if (width <= 0) break;
    std::string cap = L.captions[i].substr(0, static_cast<std::size_t>(width));
    c.screen().write(L.buttons_row, L.button_col[i], cap,
                     static_cast<int>(i) == current ? focus : box);
  }
  c.end_update();
}

char first_letter(const std::string& caption) {
  for (char ch : caption)
    if (ch != ' ') return text::to_upper(ch);
  return 0;
}

console::Attr reversed(console::Attr a) {
  return static_cast<console::Attr>(((a >> 4) & 7) | ((a & 7) << 4));
}

}  // namespace

std::optional<int> alert(std::string_view message, const std::vector<std::string>& buttons_in,
                         std::string_view colour, double timeout_seconds) {
  console::Console& c = console::current();
  if (!c.interactive()) return std::nullopt;
  std::vector<std::string> buttons = buttons_in;
  if (buttons.empty()) buttons.emplace_back("Ok");

  console::Attr box = 0x4F;    // W+/R
  console::Attr focus = 0x1F;  // W+/B
  if (!colour.empty()) {
    std::size_t comma = colour.find(',');
    console::parse_pair(colour.substr(0, comma), box);
    focus = reversed(box);
    if (comma != std::string_view::npos) console::parse_pair(colour.substr(comma + 1), focus);
  }

  Layout L = lay_out(c, message, buttons);
  std::string saved = c.save(L.top, L.left, L.bottom, L.right);
  int old_row = c.row();
  int old_col = c.col();
  console::CursorShape old_shape = c.set_cursor_shape(console::CursorShape::None);

  ActiveField* field = active_field();
  std::string variable = field ? field->name() : std::string();
  int n = static_cast<int>(buttons.size());
  int current = 0;
  std::optional<int> result;
  namespace k = console::key;
  console::Keyboard& kb = c.keyboard();
  int mask = kb.event_mask() | k::kMaskKeyboard | k::kMaskLeftDown;
  for (;;) {
    draw(c, L, box, focus, current);
    bool timed_out = false;
    int key = kb.wait_dialog(timeout_seconds, mask, variable, &timed_out);
    if (key == 0) {
      if (timed_out) result = 0;  // else no key can come: no answer
      break;
    }
    if (key == k::kEsc) {
      result = 0;
      break;
    }
    if (key == k::kEnter || key == k::kSpace) {
      result = current + 1;
      break;
    }
    if (key == k::kLeft || key == k::kShiftTab) {
      current = (current + n - 1) % n;
    } else if (key == k::kRight || key == k::kTab) {
      current = (current + 1) % n;
    } else if (key == k::kHome) {
      current = 0;
    } else if (key == k::kEnd) {
      current = n - 1;
    } else if (key == k::kLeftDown) {
      int r = kb.mouse_row();
      int col = kb.mouse_col();
      bool hit = false;
      for (int i = 0; i < n && r == L.buttons_row; ++i) {
        int w = static_cast<int>(L.captions[i].size());
        if (col >= L.button_col[i] && col < L.button_col[i] + w) {
          result = i + 1;
          hit = true;
          break;
        }
      }
      if (hit) break;
    } else if (key > 32 && key <= 255) {
      char up = text::to_upper(static_cast<char>(key));
      auto it = std::find_if(buttons.begin(), buttons.end(),
                             [&](const std::string& b) { return first_letter(b) == up; });
      if (it != buttons.end()) {
        result = static_cast<int>(it - buttons.begin()) + 1;
        break;
      }
    }
  }

  c.restore(L.top, L.left, L.bottom, L.right, saved);
  c.set_cursor_shape(old_shape);
  c.set_pos(old_row, old_col);
  return result;
}

Value alert_value(const Value& message, const Value& buttons, const Value& colour,
                  const Value& timeout) {
  std::string text = message.is_text() ? message.text() : picture::transform(message, "");
  std::vector<std::string> captions;
  if (buttons.is_array()) {
    for (const Value& b : buttons.items())
      captions.push_back(b.is_text() ? b.text() : picture::transform(b, ""));
  }
  std::string col = colour.is_text() ? colour.text() : std::string();
  double wait = timeout.is_number() ? timeout.as_double() : 0;
  std::optional<int> r = alert(text, captions, col, wait);
  if (!r) return Value();
  return Value(*r);
}

}  // namespace codfix::dialogs
