#include "lib/ui/windows.h"

#include <cmath>
#include <random>

#include "lib/core/number_text.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/settings/value_text.h"
#include "lib/values/screen_helpers.h"
#include "lib/values/text_helpers.h"
#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/console/screen.h"
#include "platform/dialogs/alert.h"
#include "platform/dialogs/form.h"
#include "platform/sys/environment.h"
#include "platform/text/literal.h"
#include "platform/text/memo_lines.h"

namespace codfix {
namespace {

using namespace text::literals;

constexpr console::Attr kShadow = 0x08;

console::Console& con() {
  return console::current();
}
SessionVars& vars() {
  return Runtime::current().vars;
}

// Declares LCONFCOR public (false) when no logical of that name exists.
bool configured_colours() {
  Value v = vars().get("LCONFCOR");
  if (!v.is_logical()) {
    vars().declare_public("LCONFCOR", Value(false));
    return false;
  }
  return v.logical();
}

std::string text_var_or(std::string_view name, std::string_view fallback) {
  Value v = vars().get(name);
  return v.is_text() ? v.text() : std::string(fallback);
}

// Puts back the colour, cursor and output device found on entry.
class ScreenState {
 public:
  explicit ScreenState(bool cursor = false)
      : colour_(con().colours().text()),
        device_(Runtime::current().settings.device),
        row_(con().row()),
        col_(con().col()),
        cursor_(cursor) {
    Runtime::current().settings.device = "SCREEN";
  }
  ~ScreenState() {
    con().set_colour(colour_);
    Runtime::current().settings.device = device_;
    if (cursor_) con().set_pos(row_, col_);
  }
  ScreenState(const ScreenState&) = delete;
  ScreenState& operator=(const ScreenState&) = delete;
  const std::string& colour() const { return colour_; }

 private:
  std::string colour_;
  std::string device_;
  int row_, col_;
  bool cursor_;
};

std::string centred(std::string_view text, std::size_t width, char fill) {
  if (text.size() >= width) return std::string(text.substr(0, width));
  std::size_t left = (width - text.size()) / 2;
  std::string out(left, fill);
  out += text;
  out.resize(width, fill);
  return out;
}

// Writes text in `attr` at (row, col) through the console so the cursor follows.
void say(double row, double col, std::string_view text, console::Attr attr) {
  con().say(static_cast<int>(row), static_cast<int>(col), text, attr);
}

void roll_in(int row, std::string_view text, std::size_t width, console::Attr attr) {
  for (std::size_t k = 1; k <= width; ++k) {
    std::string_view tail = text.size() > k ? text.substr(text.size() - k) : text;
    say(row, 0, tail, attr);
  }
}

}  // namespace

bool DESJAN(int top, int left, int bottom, int right, bool menu, std::string_view title,
            int title_pos, std::string_view colour_arg, bool shadow) {
  ScreenState state;
  bool configured = configured_colours();
  Value nw = vars().get("NEWWINDOW");
  bool new_window = nw.is_logical() && nw.logical();
  std::string colour(colour_arg);
  if (colour.empty())
    colour = configured ? text_var_or(menu ? "CCORMENU" : "CCORJAN", "N/W") : "N/W";
  int title_row = title_pos < 20 ? top : bottom;

  con().set_colour(colour);
  console::Attr attr = con().standard();
  con().clear_area(top, left, bottom, right, attr);
  con().set_pos(top, left);
  if (!new_window) con().frame(top, left, bottom, right, console::kFrameSingle, attr);
  if (!title.empty()) {
    if (new_window) {
      console::Attr alert = console::colour_attribute(text_var_or("CCORALERT", "W+/R"));
      say(top, left, centred(title, static_cast<std::size_t>(right - left), ' '), alert);
    } else {
      int digit = title_pos % 10;
      int len = static_cast<int>(title.size());
      int col = digit == 1   ? left + 2
                : digit == 3 ? right - 2 - len
                             : left + (right - left - len) / 2;
      say(title_row, col, title, attr);
    }
  }
  if (shadow) BOXSHADOW(top, left, bottom, right);
  return true;
}

void BOXSHADOW(int top, int left, int bottom, int right) {
  console::Screen& s = con().screen();
  int maxrow = con().maxrow(), maxcol = con().maxcol();
  int shadow_row = std::min(bottom + 1, maxrow);
  int shadow_col = std::min(right + 1, maxcol);
  for (int c = left + 1; c <= shadow_col; ++c)
    if (s.inside(shadow_row, c)) s.set_attr(shadow_row, c, kShadow);
  for (int r = top + 1; r <= bottom; ++r)
    if (s.inside(r, shadow_col)) s.set_attr(r, shadow_col, kShadow);
  con().refresh();
}

Value MSG_BOX(const Value& message, std::string_view colour, int row) {
  Value registry = vars().get("_ID_MSG");
  if (!registry.is_array()) {
    registry = Value::array(0);
    vars().declare_public("_ID_MSG", registry);
  }
  int id = 0;
  if (message.is_number()) {
    id = static_cast<int>(message.as_double());
    for (const Value& entry : registry.items()) {
      if (entry.at(1).number_or(-1) != id) continue;
      con().restore(static_cast<int>(entry.at(2).as_double()),
                    static_cast<int>(entry.at(3).as_double()),
                    static_cast<int>(entry.at(4).as_double()),
                    static_cast<int>(entry.at(5).as_double()), entry.at(6).text());
      return Value();
    }
  } else {
    static std::mt19937 random{std::random_device{}()};
    id = std::uniform_int_distribution<int>(1, 999999)(random);
  }
  ScreenState state;
  std::string text =
      message.is_number() ? std::string(trim(number_text(message.num()))) : X_TO_C(message, "\r\n");
  double maxrow = con().maxrow(), maxcol = con().maxcol();
  std::vector<std::string> lines = text::memo_lines(text, static_cast<int>(maxcol - 2));
  double n = static_cast<double>(lines.size());
  std::size_t width = 40;
  for (const std::string& l : lines) width = std::max(width, trim(l).size());
  double w = static_cast<double>(width);
  double t = row >= 0 ? row : maxrow / 2 - n / 2 - 2;
  double b = t + n + 1;
  double l = (maxcol - w) / 2 - 1;
  double r = l + w + 2;
  int ti = static_cast<int>(t), bi = static_cast<int>(b), li = static_cast<int>(l),
      ri = static_cast<int>(r);

  std::string text_colour(colour);
  if (text_colour.empty()) text_colour = text_var_or("CCORJAN", "N/W");
  std::string image = con().save(ti, li, bi + 1, ri + 1);
  con().begin_update();
  DESJAN(ti, li, bi, ri, false, "", 13, colour);
  con().set_colour(text_colour);
  console::Attr attr = con().standard();
  for (std::size_t i = 0; i < lines.size(); ++i)
    say(t + static_cast<double>(i) + 1, l + 2, centred(trim(lines[i]), width, ' '), attr);
  con().end_update();
  if (!message.is_number()) {
    registry.items().push_back(Value::array(
        {Value(id), Value(ti), Value(li), Value(bi + 1), Value(ri + 1), Value(image)}));
  }
  return Value(id);
}

int MSGOPC(std::string_view message, int row, bool beep, int width, bool restore) {
  ScreenState state;
  bool configured = configured_colours();
  if (row < 0) row = con().maxrow();
  auto w = static_cast<std::size_t>(std::max(width, 0));
  std::string text = pad_right(message, w);
  std::string image = con().save(row, 0, con().maxrow(), width);
  con().set_colour(configured ? state.colour() : std::string("N/W"));
  console::Attr attr = con().standard();
  std::string_view shown = trim_right(text);
  say(row, 0, std::string(w, ' '), attr);
  if (sys::host_name().empty() && vars().get("LROLAGEM").logical_or(false)) {
    roll_in(row, shown, w, attr);
  } else {
    say(row, 0, shown, attr);
  }
  if (beep) con().tone(500, 1);
  console::Keyboard& kb = con().keyboard();
  kb.clear();
  int key = kb.wait(0, console::key::kMaskKeyboard);
  if (restore) con().restore(row, 0, con().maxrow(), width, image);
  return key;
}

bool MSGEXP(std::string_view message, int row, int width, std::string_view align,
            std::string_view fill, bool roll) {
  ScreenState state(true);
  bool configured = configured_colours();
  if (row < 0) row = con().maxrow();
  con().set_colour(configured ? text_var_or("CCORAVISO", "N/BG") : std::string("N/BG"));
  console::Attr attr = con().standard();
  auto w = static_cast<std::size_t>(std::max(width, 0));
  char f = fill.empty() ? ' ' : fill.front();
  std::string text;
  if (align == "L") {
    text = pad_left(message, w, f);
  } else if (align == "R") {
    text = pad_right(message, w, f);
  } else {
    text = centred(message, w, f);
  }
  if (message.size() > w) text = std::string(message.substr(0, w));
  if (sys::host_name().empty() && roll) {
    say(row, 0, std::string(w, ' '), attr);
    roll_in(row, trim_right(text), w, attr);
  } else {
    say(row, 0, text, attr);
  }
  return true;
}

std::optional<int> MSGALERTA(std::string_view message, const std::vector<std::string>& options,
                             std::string_view colour, double wait_seconds) {
  con().keyboard().clear();
  return dialogs::alert(message, options, colour, wait_seconds);
}

bool PROGBAR(const ProgressArgs& a) {
  console::CursorShape cursor = con().set_cursor_shape(console::CursorShape::None);
  struct CursorBack {
    console::CursorShape shape;
    ~CursorBack() { con().set_cursor_shape(shape); }
  } cursor_back{cursor};

  bool go_on = true;
  if (a.cancellable) {
    int key = con().keyboard().inkey();
    if (key == console::key::kEsc) {
      std::optional<int> answer = dialogs::alert("Atenção !;Cancela o procedimento ?"_cp850,
                                                 {std::string("Sim"), std::string("Não"_cp850)});
      if (answer && *answer == 1) go_on = false;
    }
  }
  double current = a.current ? *a.current : 0;
  if (!a.current) {
    Value order = routines().exists("INDEXORD") ? routines().call("INDEXORD", {}) : Value(0);
    const char* fn = order.number_or(0) > 0 ? "ORDKEYNO" : "RECNO";
    current = routines().exists(fn) ? routines().call(fn, {}).number_or(0) : 0;
  }
  double total = a.total                         ? *a.total
                 : routines().exists("RECCOUNT") ? routines().call("RECCOUNT", {}).number_or(0)
                                                 : 0;
  double p = total != 0 ? round_decimal(current / total * 100, 2) : 0;
  double whole = std::trunc(p);
  bool half = std::abs((p - whole) - 0.5) < 1e-9;
  if (!((go_on && (p < 2 || p >= 99 || p == whole)) || half)) return go_on;

  std::string track = text_var_or("CCORJAN", "N/W");
  std::string filled = text_var_or("CCORBARRA", "W/N");
  int k = static_cast<int>(p / 2.5 + 1e-9);
  k = std::clamp(k, 0, 40);
  std::string percent = pad_left(std::to_string(static_cast<int>(whole)), 3);
  std::string remaining;
  if (a.start) remaining = "Tempo restante: " + TEMPOEST(*a.start, current, total);
  std::string caption, bottom_text;
  if (a.message.empty()) {
    caption = remaining.empty() ? std::string("Processando, Aguarde...") : remaining;
  } else {
    caption = a.message;
    bottom_text = remaining;
  }
  int row = a.row ? *a.row : static_cast<int>(round_decimal(con().maxrow() / 2.0 - 3, 1));
  int col = a.col;

  ScreenState state(true);
  con().begin_update();
  DESJAN(row, col, row + 2, col + 41, false, "", 12);
  console::Attr track_attr = console::colour_attribute(track);
  console::Attr filled_attr = console::colour_attribute(filled);
  const std::string light = "\xB0", solid = "\xDB", line = "\xC4";
  std::string bar;
  for (int i = 0; i < 40; ++i) bar += light;
  say(row + 1, col + 1, bar, track_attr);
  auto fill_centred = [&](std::string_view t) {
    std::string out;
    std::size_t width = 39;
    if (t.size() >= width) return std::string(t.substr(0, width));
    std::size_t left = (width - t.size()) / 2;
    for (std::size_t i = 0; i < left; ++i) out += line;
    out += t;
    while (out.size() < width) out += line;
    return out;
  };
  say(row, col + 1, fill_centred(caption + percent + "%"), track_attr);
  if (!bottom_text.empty()) say(row + 2, col + 1, fill_centred(bottom_text), track_attr);
  std::string blocks;
  for (int i = 0; i < k; ++i) blocks += solid;
  if (k > 0) say(row + 1, col + 1, blocks, filled_attr);
  con().end_update();
  return go_on;
}

Value GETWINDOW(std::string_view title, const Value& value, std::string_view mask, int row, int col,
                bool keep_spaces, bool accept_empty) {
  RoutineScope scope("GETWINDOW", "JANELAS.PRG");
  std::string screen = GT();
  console::CursorShape cursor = con().set_cursor_shape(console::CursorShape::Normal);
  std::string device = Runtime::current().settings.device;
  Runtime::current().settings.device = "SCREEN";
  vars().declare_private("XVARIAVEL", value);

  int maxrow = con().maxrow(), maxcol = con().maxcol();
  int width = 10;
  if (value.is_text()) width = static_cast<int>(value.text().size());
  if (value.is_number()) width = static_cast<int>(number_text(value.num()).size());
  if (value.is_date()) width = static_cast<int>(X_TO_C(value).size());
  int title_len = static_cast<int>(title.size());
  int inner = std::max(title_len, width);
  if (row < 0) row = maxrow / 2;
  if (col < 0) col = (maxcol - std::min(maxcol, width)) / 2;
  int right = std::min(col + inner + 2, maxcol - 2);
  DESJAN(row - 1, col, row + 1, right, false, title, 12);
  int field_col = width == inner ? col + 1 : col + title_len / 4;
  std::string picture(mask);
  if (picture.empty()) picture = "@!S" + std::to_string(std::min(width, right - col - 1));

  con().keyboard().clear();
  dialogs::Form form;
  dialogs::Condition valid;
  if (!accept_empty) valid = dialogs::Condition([] { return !vars().get("XVARIAVEL").empty(); });
  form.add(row, field_col, "XVARIAVEL", picture, valid);
  form.read();

  Value result = vars().get("XVARIAVEL");
  if (result.is_text() && !keep_spaces) result = Value(std::string(trim(result.text())));
  con().set_cursor_shape(cursor);
  Runtime::current().settings.device = device;
  RT(screen);
  return result;
}

void register_window_routines() {
  Routines& r = routines();
  r.add("DESJAN", [](const Args& a) {
    return Value(DESJAN(a.integer(1), a.integer(2), a.integer(3), a.integer(4), a.logical(5, false),
                        a.text(6), a.integer(7, 13), a.text(8), a.logical(9, true)));
  });
  r.add("BOXSHADOW", [](const Args& a) {
    BOXSHADOW(a.integer(1), a.integer(2), a.integer(3), a.integer(4));
    return Value();
  });
  r.add("MSG_BOX",
        [](const Args& a) { return MSG_BOX(a[1], a.text(2), a.given(3) ? a.integer(3) : -1); });
  r.add("MSGOPC", [](const Args& a) {
    return Value(MSGOPC(a.text(1), a.given(2) ? a.integer(2) : -1, a.logical(3, true),
                        a.integer(4, 59), a.logical(5, true)));
  });
  r.add("MSGEXP", [](const Args& a) {
    return Value(MSGEXP(a.text(1), a.given(2) ? a.integer(2) : -1, a.integer(3, 59), a.text(4, "R"),
                        a.text(5, " "), a.logical(6, false)));
  });
  r.add("MSGALERTA", [](const Args& a) {
    std::vector<std::string> options;
    if (a[2].is_array())
      for (const Value& o : a[2].items()) options.push_back(o.text_or(""));
    std::optional<int> choice = MSGALERTA(a.text(1), options, a.text(3), a.number(4, 0));
    return choice ? Value(*choice) : Value();
  });
  r.add("PROGBAR", [](const Args& a) {
    ProgressArgs p;
    if (a[1].is_number()) p.current = a.number(1);
    if (a[2].is_number()) p.total = a.number(2);
    p.message = a.text(3);
    if (a[4].is_number()) p.row = a.integer(4);
    p.col = a.integer(5, 19);
    p.cancellable = a.logical(6, false);
    if (a[7].is_number()) p.start = a.number(7);
    return Value(PROGBAR(p));
  });
  r.add("GETWINDOW", [](const Args& a) {
    return GETWINDOW(a.text(1), a[2], a.text(3), a.given(6) ? a.integer(6) : -1,
                     a.given(7) ? a.integer(7) : -1, a.logical(8, false), a.logical(9, true));
  });
}

}  // namespace codfix
