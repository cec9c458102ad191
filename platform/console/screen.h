// The screen grid: rows × columns of cells, each a code page 850 character byte
// and an attribute byte. Everything the console shows is drawn here first; the
// backends only present it.
//
// Coordinates are 0-based; output outside the grid is clipped, never an error.
// Screen images are opaque texts of two bytes per cell (character, attribute),
// row by row, as save() gives them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console/colour.h"

namespace codfix::console {

struct Cell {
  uint8_t ch = ' ';
  Attr attr = 0x07;
  friend bool operator==(const Cell&, const Cell&) = default;
};

// Frame characters, code page 850: top-left, top, top-right, right, bottom-right,
// bottom, bottom-left, left.
inline constexpr std::string_view kFrameSingle = "\xDA\xC4\xBF\xB3\xD9\xC4\xC0\xB3";
inline constexpr std::string_view kFrameDouble = "\xC9\xCD\xBB\xBA\xBC\xCD\xC8\xBA";

class Screen {
 public:
  Screen(int rows = 25, int cols = 80);

  int rows() const { return rows_; }
  int cols() const { return cols_; }
  int maxrow() const { return rows_ - 1; }
  int maxcol() const { return cols_ - 1; }

  // New size; the contents are cleared to blanks in `attr`.
  void resize(int rows, int cols, Attr attr = 0x07);

  bool inside(int row, int col) const { return row >= 0 && row < rows_ && col >= 0 && col < cols_; }
  // The cell, or a blank cell outside the grid.
  Cell cell(int row, int col) const;
  void set(int row, int col, Cell c);
  void set_attr(int row, int col, Attr a);

  // Writes text from (row, col) on one row, clipped at the right edge.
  void write(int row, int col, std::string_view text, Attr attr);
  // Fills a rectangle (inclusive corners) with one character.
  void fill(int top, int left, int bottom, int right, uint8_t ch, Attr attr);
  // Draws a frame on the rectangle's border with 8 frame characters; a ninth
  // character, when given, fills the inside.
  void frame(int top, int left, int bottom, int right, std::string_view chars, Attr attr);
  // Scrolls the rectangle up by n rows (down when n is negative), filling with
  // blanks in `attr`; n = 0 clears it.
  void scroll(int top, int left, int bottom, int right, int n, Attr attr);

  // Image of a rectangle (inclusive corners, clipped to the grid).
  std::string save(int top, int left, int bottom, int right) const;
  // Puts an image back; a short image restores what it holds.
  void restore(int top, int left, int bottom, int right, std::string_view image);
  // Text of one row (characters only), for tests and line transcripts.
  std::string row_text(int row) const;

  // Changes since the last take_changes(): one flag per cell, row by row.
  const std::vector<uint8_t>& changed() const { return changed_; }
  bool any_changed() const { return any_changed_; }
  void clear_changes();
  // Marks every cell changed (after a resize or when a backend lost its picture).
  void touch_all();

 private:
  int rows_;
  int cols_;
  std::vector<Cell> cells_;
  std::vector<uint8_t> changed_;
  bool any_changed_ = true;
};

}  // namespace codfix::console
