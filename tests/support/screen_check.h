// Whole-screen comparisons for tests: the expected screen is a starting image
// plus the texts and frames a dialog should draw; it is compared with the actual
// grid cell by cell (character and attribute), and a mismatch lists the cells
// that differ and both rows, in UTF-8.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>

#include "platform/console/screen.h"
#include "platform/text/codepage.h"

namespace codfix::testing {

class ExpectedScreen {
 public:
  explicit ExpectedScreen(const console::Screen& start) : s_(start) {}

  // Text written in UTF-8 (converted to code page 850).
  ExpectedScreen& text(int row, int col, std::string_view utf8, console::Attr a) {
    s_.write(row, col, text::utf8_to_cp850(utf8), a);
    return *this;
  }
  ExpectedScreen& blank(int top, int left, int bottom, int right, console::Attr a) {
    s_.fill(top, left, bottom, right, ' ', a);
    return *this;
  }
  ExpectedScreen& frame(int top, int left, int bottom, int right, console::Attr a,
                        std::string_view chars = console::kFrameSingle) {
    s_.frame(top, left, bottom, right, chars, a);
    return *this;
  }
  const console::Screen& screen() const { return s_; }

 private:
  console::Screen s_;
};

inline std::string screen_row_utf8(const console::Screen& s, int row) {
  return text::cp850_to_utf8(s.row_text(row), true);
}

inline ::testing::AssertionResult same_screen(const console::Screen& expected,
                                              const console::Screen& actual) {
  if (expected.rows() != actual.rows() || expected.cols() != actual.cols())
    return ::testing::AssertionFailure() << "screen sizes differ";
  std::ostringstream out;
  int differences = 0;
  for (int r = 0; r < expected.rows(); ++r) {
    bool row_differs = false;
    for (int c = 0; c < expected.cols(); ++c) {
      console::Cell e = expected.cell(r, c);
      console::Cell a = actual.cell(r, c);
      if (e == a) continue;
      row_differs = true;
      if (++differences <= 8) {
        out << "  (" << r << "," << c << ") expected " << int(e.ch) << "/" << std::hex
            << int(e.attr) << " got " << std::dec << int(a.ch) << "/" << std::hex << int(a.attr)
            << std::dec << "\n";
      }
    }
    if (row_differs) {
      out << "  row " << r << " expected |" << screen_row_utf8(expected, r) << "|\n"
          << "  row " << r << " actual   |" << screen_row_utf8(actual, r) << "|\n";
    }
  }
  if (differences == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differences << " cells differ\n" << out.str();
}

// A recognisable background: every row holds its number and a run of letters in
// its own colour, so that any cell a dialog forgets to restore shows up.
inline void paint_background(console::Screen& s) {
  for (int r = 0; r < s.rows(); ++r) {
    std::string line;
    for (int c = 0; c < s.cols(); ++c) line += static_cast<char>('a' + (r + c) % 26);
    line.replace(0, 2, std::to_string(r / 10) + std::to_string(r % 10));
    s.write(r, 0, line, static_cast<console::Attr>(0x01 + (r % 7) * 0x10));
  }
}

}  // namespace codfix::testing
