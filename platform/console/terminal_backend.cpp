#include "platform/console/terminal_backend.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/console/keys.h"
#include "platform/text/codepage.h"

#define NCURSES_NOMACROS 1
#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>

namespace codfix::console {
namespace {

volatile std::sig_atomic_t g_break = 0;   // Ctrl+C / termination request seen
volatile std::sig_atomic_t g_hangup = 0;  // the terminal went away

void on_break(int) {
  g_break = 1;
}
void on_hangup(int) {
  g_hangup = 1;
}

// Our colour numbers (PC order) to curses colours.
constexpr short kCursesColour[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                    COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};

bool utf8_locale() {
  const char* cs = std::setlocale(LC_CTYPE, nullptr);
  std::string s = cs ? cs : "";
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s.find("utf-8") != std::string::npos || s.find("utf8") != std::string::npos;
}

}  // namespace

struct TerminalBackend::Impl {
  SCREEN* term = nullptr;
  bool colour = false;       // the terminal has colours
  bool full_colour = false;  // 16 colours × 16 backgrounds as pairs
  std::vector<uint8_t> pair_ready;
  std::vector<Cell> shown;  // what the terminal shows, per grid cell
  int shown_rows = 0;
  int shown_cols = 0;
  bool repaint = true;
  std::map<int, int> extended;  // curses key code -> our code
  struct sigaction old_int {
  }, old_term{}, old_hup{};

  // The colour pair of an attribute (0 when the terminal has no colours), and
  // the video attributes that stand in for what the pairs cannot show.
  int pair_for(Attr a, attr_t& extra) {
    int fg = a & 15;
    int bg = (a >> 4) & 15;
    extra = A_NORMAL;
    if (!colour) {
      if (fg & 8) extra |= A_BOLD;
      if ((bg & 7) > (fg & 7)) extra |= A_REVERSE;
      return 0;
    }
    short cf, cb;
    int pair;
    if (full_colour) {
      cf = static_cast<short>(kCursesColour[fg & 7] + (fg & 8));
      cb = static_cast<short>(kCursesColour[bg & 7] + (bg & 8));
      pair = 1 + fg * 16 + bg;
    } else {
      cf = kCursesColour[fg & 7];
      cb = kCursesColour[bg & 7];
      if (fg & 8) extra |= A_BOLD;
      int index = (fg & 7) * 8 + (bg & 7);
      // With only 64 pairs, pair 0 (the terminal's default) stands for black on black.
      pair = COLOR_PAIRS > 64 ? index + 1 : index;
    }
    if (pair <= 0 || pair >= COLOR_PAIRS) return 0;
    if (pair < static_cast<int>(pair_ready.size()) && !pair_ready[pair]) {
      init_pair(static_cast<short>(pair), cf, cb);
      pair_ready[pair] = 1;
    }
    return pair;
  }

  // The xterm sequences of modified keys, for terminal descriptions that do not
  // list them (TERM=screen under tmux, for instance).
  void define_xterm_keys() {
    int next = KEY_MAX + 1;
    auto define = [&](const std::string& seq, int code) {
      int known = key_defined(seq.c_str());
      if (known > 0) {
        if (!extended.count(known) && (known < KEY_F(13) || known > KEY_F(63)))
          extended[known] = code;
        return;
      }
      if (known < 0) return;  // a prefix of another sequence: leave it alone
      if (define_key(seq.c_str(), next) == OK) extended[next++] = code;
    };
    static const struct {
      char final;
      int ctrl;
      int alt;
    } kCursor[] = {{'A', key::kCtrlUp, key::kAltUp},       {'B', key::kCtrlDown, key::kAltDown},
                   {'C', key::kCtrlRight, key::kAltRight}, {'D', key::kCtrlLeft, key::kAltLeft},
                   {'H', key::kCtrlHome, key::kAltHome},   {'F', key::kCtrlEnd, key::kAltEnd}};
    for (const auto& k : kCursor) {
      define(std::string("\033[1;5") + k.final, k.ctrl);
      define(std::string("\033[1;3") + k.final, k.alt);
    }
    define("\033[5;5~", key::kCtrlPgUp);
    define("\033[6;5~", key::kCtrlPgDn);
    define("\033[5;3~", key::kAltPgUp);
    define("\033[6;3~", key::kAltPgDn);
    static const char* kFunction[12] = {"1;%dP",  "1;%dQ",  "1;%dR",  "1;%dS",  "15;%d~", "17;%d~",
                                        "18;%d~", "19;%d~", "20;%d~", "21;%d~", "23;%d~", "24;%d~"};
    for (int n = 1; n <= 12; ++n) {
      char buf[16];
      std::snprintf(buf, sizeof buf, kFunction[n - 1], 2);
      define(std::string("\033[") + buf, key::shift_f(n));
      std::snprintf(buf, sizeof buf, kFunction[n - 1], 5);
      define(std::string("\033[") + buf, key::ctrl_f(n));
      std::snprintf(buf, sizeof buf, kFunction[n - 1], 3);
      define(std::string("\033[") + buf, key::alt_f(n));
    }
  }

  void map_extended(const char* cap, int code) {
    const char* seq = tigetstr(cap);
    if (!seq || seq == reinterpret_cast<char*>(-1)) return;
    int k = key_defined(seq);
    if (k > 0) extended[k] = code;
  }
};

TerminalBackend::TerminalBackend() : impl_(std::make_unique<Impl>()) {}

std::unique_ptr<TerminalBackend> TerminalBackend::open() {
  std::setlocale(LC_ALL, "");
  if (!utf8_locale()) std::setlocale(LC_CTYPE, "C.UTF-8");
  const char* term = std::getenv("TERM");
  if (!term || !*term || std::strcmp(term, "dumb") == 0) return nullptr;

  std::unique_ptr<TerminalBackend> b(new TerminalBackend());
  Impl& m = *b->impl_;
  m.term = newterm(nullptr, stdout, stdin);
  if (!m.term) return nullptr;
  set_term(m.term);
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  meta(stdscr, TRUE);
  set_escdelay(25);
  intrflush(stdscr, FALSE);
  if (has_colors()) {
    start_color();
    m.full_colour = COLORS >= 16 && COLOR_PAIRS >= 257;
    m.colour = true;
    m.pair_ready.assign(258, 0);
  }
  mousemask(BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON3_PRESSED | BUTTON3_RELEASED |
                BUTTON4_PRESSED | BUTTON5_PRESSED,
            nullptr);
  mouseinterval(0);

  // Ctrl, Alt and Shift variants of the cursor keys that terminfo names.
  static const struct {
    const char* cap;
    int code;
  } kExtended[] = {
      {"kUP5", key::kCtrlUp},     {"kDN5", key::kCtrlDown},  {"kLFT5", key::kCtrlLeft},
      {"kRIT5", key::kCtrlRight}, {"kHOM5", key::kCtrlHome}, {"kEND5", key::kCtrlEnd},
      {"kPRV5", key::kCtrlPgUp},  {"kNXT5", key::kCtrlPgDn}, {"kUP3", key::kAltUp},
      {"kDN3", key::kAltDown},    {"kLFT3", key::kAltLeft},  {"kRIT3", key::kAltRight},
      {"kHOM3", key::kAltHome},   {"kEND3", key::kAltEnd},   {"kPRV3", key::kAltPgUp},
      {"kNXT3", key::kAltPgDn},
  };
  for (const auto& e : kExtended) m.map_extended(e.cap, e.code);
  m.define_xterm_keys();

  struct sigaction sa {};
  sa.sa_handler = on_break;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, &m.old_int);
  // A termination request arrives as the break key once; a second one ends the
  // process the ordinary way, as a closed console window is ended after a while.
  struct sigaction once = sa;
  once.sa_flags = SA_RESETHAND;
  sigaction(SIGTERM, &once, &m.old_term);
  sa.sa_handler = on_hangup;
  sigaction(SIGHUP, &sa, &m.old_hup);
  g_break = 0;
  g_hangup = 0;
  return b;
}

TerminalBackend::~TerminalBackend() {
  Impl& m = *impl_;
  if (m.term) {
    set_term(m.term);
    if (!closed_) {
      curs_set(1);
      endwin();
    }
    delscreen(m.term);
  }
  sigaction(SIGINT, &m.old_int, nullptr);
  sigaction(SIGTERM, &m.old_term, nullptr);
  sigaction(SIGHUP, &m.old_hup, nullptr);
  if (!closed_ && !transcript_.empty()) {
    std::size_t from = transcript_.size() > 1000 ? transcript_.size() - 1000 : 0;
    for (std::size_t i = from; i < transcript_.size(); ++i) {
      std::string line = text::cp850_to_utf8(transcript_[i]);
      std::fputs(line.c_str(), stdout);
      std::fputc('\n', stdout);
    }
    std::fflush(stdout);
  }
}

void TerminalBackend::resized(int rows, int cols) {
  (void)rows;
  (void)cols;
  impl_->repaint = true;
}

void TerminalBackend::present(Screen& screen, const CursorState& cursor) {
  Impl& m = *impl_;
  if (closed_) {
    screen.clear_changes();
    return;
  }
  int rows = std::min(screen.rows(), LINES);
  int cols = std::min(screen.cols(), COLS);
  if (m.shown_rows != screen.rows() || m.shown_cols != screen.cols()) {
    m.shown.assign(static_cast<std::size_t>(screen.rows()) * screen.cols(), Cell{0, 0xFF});
    m.shown_rows = screen.rows();
    m.shown_cols = screen.cols();
    m.repaint = true;
  }
  if (m.repaint) {
    ::erase();
    std::fill(m.shown.begin(), m.shown.end(), Cell{0, 0xFF});
    screen.touch_all();
    m.repaint = false;
  }
  if (screen.any_changed()) {
    const auto& changed = screen.changed();
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) {
        std::size_t i = static_cast<std::size_t>(r) * screen.cols() + c;
        if (!changed[i]) continue;
        Cell x = screen.cell(r, c);
        if (m.shown[i] == x) continue;
        m.shown[i] = x;
        wchar_t wc[2] = {
            static_cast<wchar_t>(x.ch == 0 ? U' ' : text::cp850_to_unicode(x.ch, true)), 0};
        attr_t extra;
        int pair = m.pair_for(x.attr, extra);
        cchar_t cc;
        setcchar(&cc, wc, extra, static_cast<short>(pair), nullptr);
        mvadd_wch(r, c, &cc);
      }
    }
  }
  screen.clear_changes();
  int shape = static_cast<int>(cursor.shape);
  bool visible =
      shape != 0 && cursor.row >= 0 && cursor.row < rows && cursor.col >= 0 && cursor.col < cols;
  curs_set(visible ? (shape == 1 ? 1 : 2) : 0);
  if (visible) ::move(cursor.row, cursor.col);
  ::refresh();
}

std::optional<InputEvent> TerminalBackend::poll(int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms > 0 ? timeout_ms : 0);
  for (;;) {
    if (g_hangup) {
      g_hangup = 0;
      closed_ = true;
      return InputEvent{key::kBreak};
    }
    if (g_break) {
      g_break = 0;
      return InputEvent{key::kBreak};
    }
    if (closed_) return std::nullopt;
    if (auto e = read_one(0)) return e;
    // Nothing buffered: wait on the descriptor in short steps so that signals are seen.
    int step = 100;
    if (timeout_ms >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return std::nullopt;
      step = static_cast<int>(std::min<long long>(step, left.count()));
    }
    struct pollfd p {
      STDIN_FILENO, POLLIN, 0
    };
    int n = ::poll(&p, 1, step);
    if (n < 0 && errno != EINTR) {
      closed_ = true;
      return InputEvent{key::kBreak};
    }
    if (n > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(p.revents & POLLIN)) {
      closed_ = true;
      return InputEvent{key::kBreak};
    }
    if (n > 0) {
      if (auto e = read_one(50)) return e;
    }
  }
}

std::optional<InputEvent> TerminalBackend::read_one(int timeout_ms) {
  Impl& m = *impl_;
  wtimeout(stdscr, timeout_ms);
  wint_t ch;
  int rc = wget_wch(stdscr, &ch);
  if (rc == ERR) return std::nullopt;
  if (rc == KEY_CODE_YES) {
    int k = static_cast<int>(ch);
    if (auto it = m.extended.find(k); it != m.extended.end()) return InputEvent{it->second};
    switch (k) {
      case KEY_UP:
        return InputEvent{key::kUp};
      case KEY_DOWN:
        return InputEvent{key::kDown};
      case KEY_LEFT:
        return InputEvent{key::kLeft};
      case KEY_RIGHT:
        return InputEvent{key::kRight};
      case KEY_HOME:
      case KEY_A1:
        return InputEvent{key::kHome};
      case KEY_END:
      case KEY_C1:
        return InputEvent{key::kEnd};
      case KEY_PPAGE:
      case KEY_A3:
        return InputEvent{key::kPgUp};
      case KEY_NPAGE:
      case KEY_C3:
        return InputEvent{key::kPgDn};
      case KEY_IC:
        return InputEvent{key::kIns};
      case KEY_DC:
        return InputEvent{key::kDel};
      case KEY_BACKSPACE:
        return InputEvent{key::kBackspace};
      case KEY_BTAB:
        return InputEvent{key::kShiftTab};
      case KEY_ENTER:
        return InputEvent{key::kEnter};
      case KEY_BREAK:
        return InputEvent{key::kBreak};
      case KEY_RESIZE:
        m.repaint = true;
        return std::nullopt;
      case KEY_MOUSE: {
        MEVENT ev;
        if (getmouse(&ev) != OK) return std::nullopt;
        int code = 0;
        if (ev.bstate & BUTTON1_PRESSED)
          code = key::kLeftDown;
        else if (ev.bstate & BUTTON1_RELEASED)
          code = key::kLeftUp;
        else if (ev.bstate & BUTTON3_PRESSED)
          code = key::kRightDown;
        else if (ev.bstate & BUTTON3_RELEASED)
          code = key::kRightUp;
        else if (ev.bstate & BUTTON4_PRESSED)
          code = key::kWheelForward;
        else if (ev.bstate & BUTTON5_PRESSED)
          code = key::kWheelBackward;
        if (!code) return std::nullopt;
        return InputEvent{code, ev.y, ev.x};
      }
      default:
        break;
    }
    if (k >= KEY_F(1) && k <= KEY_F(60)) {
      int n = k - KEY_F(0);
      if (n <= 12) return InputEvent{key::f(n)};
      if (n <= 24) return InputEvent{key::shift_f(n - 12)};
      if (n <= 36) return InputEvent{key::ctrl_f(n - 24)};
      if (n <= 48) return InputEvent{key::ctrl_f(n - 36)};
      return InputEvent{key::alt_f(n - 48)};
    }
    return std::nullopt;
  }
  // A character.
  char32_t c = static_cast<char32_t>(ch);
  switch (c) {
    case 3:
      return InputEvent{key::kBreak};
    case 8:
    case 127:
      return InputEvent{key::kBackspace};
    case 9:
      return InputEvent{key::kTab};
    case 10:
    case 13:
      return InputEvent{key::kEnter};
    case 27: {
      // Esc followed at once by a character is Alt+character.
      wtimeout(stdscr, 0);
      wint_t next;
      int rc2 = wget_wch(stdscr, &next);
      if (rc2 == OK && next > 32 && next < 127) {
        int alt = key::alt(static_cast<char>(next));
        if (alt) return InputEvent{alt};
      } else if (rc2 != ERR) {
        unget_wch(static_cast<wchar_t>(next));
      }
      return InputEvent{key::kEsc};
    }
    default:
      break;
  }
  if (c >= 1 && c <= 26) return InputEvent{key::ctrl(static_cast<char>('A' + c - 1))};
  if (c < 32) return std::nullopt;
  int b = text::unicode_to_cp850(c);
  if (b < 0) return std::nullopt;
  return InputEvent{b};
}

void TerminalBackend::discard_input() {
  if (!closed_) flushinp();
}

void TerminalBackend::line_output(std::string_view text, bool new_line) {
  if (new_line || transcript_.empty()) transcript_.emplace_back();
  transcript_.back() += text;
}

void TerminalBackend::tone(double, double) {
  if (!closed_) ::beep();
}

void TerminalBackend::set_title(std::string_view title) {
  if (closed_) return;
  std::string t = "\033]2;" + text::cp850_to_utf8(title) + "\007";
  std::fputs(t.c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace codfix::console
