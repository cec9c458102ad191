#include "platform/console/screen.h"

#include <algorithm>

namespace codfix::console {

Screen::Screen(int rows, int cols) : rows_(0), cols_(0) {
  resize(rows, cols);
}

void Screen::resize(int rows, int cols, Attr attr) {
  rows_ = std::max(1, rows);
  cols_ = std::max(1, cols);
  cells_.assign(static_cast<std::size_t>(rows_) * cols_, Cell{' ', attr});
  changed_.assign(cells_.size(), 1);
  any_changed_ = true;
}

Cell Screen::cell(int row, int col) const {
  if (!inside(row, col)) return Cell{};
  return cells_[static_cast<std::size_t>(row) * cols_ + col];
}

void Screen::set(int row, int col, Cell c) {
  if (!inside(row, col)) return;
  std::size_t i = static_cast<std::size_t>(row) * cols_ + col;
  if (cells_[i] == c) return;
  cells_[i] = c;
  changed_[i] = 1;
  any_changed_ = true;
}

void Screen::set_attr(int row, int col, Attr a) {
  Cell c = cell(row, col);
  c.attr = a;
  set(row, col, c);
}

void Screen::write(int row, int col, std::string_view text, Attr attr) {
  if (row < 0 || row >= rows_) return;
  for (std::size_t i = 0; i < text.size(); ++i) {
    long c = col + static_cast<long>(i);
    if (c >= cols_) break;
    if (c < 0) continue;
    set(row, static_cast<int>(c), Cell{static_cast<uint8_t>(text[i]), attr});
  }
}

void Screen::fill(int top, int left, int bottom, int right, uint8_t ch, Attr attr) {
  top = std::max(top, 0);
  left = std::max(left, 0);
  bottom = std::min(bottom, rows_ - 1);
  right = std::min(right, cols_ - 1);
  for (int r = top; r <= bottom; ++r)
    for (int c = left; c <= right; ++c) set(r, c, Cell{ch, attr});
}

void Screen::frame(int top, int left, int bottom, int right, std::string_view chars, Attr attr) {
  if (chars.size() < 8 || bottom < top || right < left) return;
  auto ch = [&](int i) { return static_cast<uint8_t>(chars[i]); };
  if (chars.size() > 8 && bottom - top >= 2 && right - left >= 2)
    fill(top + 1, left + 1, bottom - 1, right - 1, ch(8), attr);
  for (int c = left + 1; c < right; ++c) {
    set(top, c, Cell{ch(1), attr});
    set(bottom, c, Cell{ch(5), attr});
  }
  for (int r = top + 1; r < bottom; ++r) {
    set(r, left, Cell{ch(7), attr});
    set(r, right, Cell{ch(3), attr});
  }
  set(top, left, Cell{ch(0), attr});
  set(top, right, Cell{ch(2), attr});
  set(bottom, right, Cell{ch(4), attr});
  set(bottom, left, Cell{ch(6), attr});
}

void Screen::scroll(int top, int left, int bottom, int right, int n, Attr attr) {
  top = std::max(top, 0);
  left = std::max(left, 0);
  bottom = std::min(bottom, rows_ - 1);
  right = std::min(right, cols_ - 1);
  if (top > bottom || left > right) return;
  int height = bottom - top + 1;
  if (n == 0 || n >= height || -n >= height) {
    fill(top, left, bottom, right, ' ', attr);
    return;
  }
  if (n > 0) {
    for (int r = top; r <= bottom; ++r)
      for (int c = left; c <= right; ++c)
        set(r, c, r + n <= bottom ? cell(r + n, c) : Cell{' ', attr});
  } else {
    for (int r = bottom; r >= top; --r)
      for (int c = left; c <= right; ++c)
        set(r, c, r + n >= top ? cell(r + n, c) : Cell{' ', attr});
  }
}

std::string Screen::save(int top, int left, int bottom, int right) const {
  top = std::max(top, 0);
  left = std::max(left, 0);
  bottom = std::min(bottom, rows_ - 1);
  right = std::min(right, cols_ - 1);
  std::string out;
  if (top > bottom || left > right) return out;
  out.reserve(static_cast<std::size_t>(bottom - top + 1) * (right - left + 1) * 2);
  for (int r = top; r <= bottom; ++r)
    for (int c = left; c <= right; ++c) {
      Cell x = cell(r, c);
      out += static_cast<char>(x.ch);
      out += static_cast<char>(x.attr);
    }
  return out;
}

void Screen::restore(int top, int left, int bottom, int right, std::string_view image) {
  // Clipped exactly as save() clips, so that an image goes back where it came from.
  top = std::max(top, 0);
  left = std::max(left, 0);
  bottom = std::min(bottom, rows_ - 1);
  right = std::min(right, cols_ - 1);
  std::size_t k = 0;
  for (int r = top; r <= bottom; ++r)
    for (int c = left; c <= right; ++c) {
      if (k + 2 > image.size()) return;
      set(r, c, Cell{static_cast<uint8_t>(image[k]), static_cast<Attr>(image[k + 1])});
      k += 2;
    }
}

std::string Screen::row_text(int row) const {
  std::string s;
  for (int c = 0; c < cols_; ++c) s += static_cast<char>(cell(row, c).ch);
  return s;
}

void Screen::clear_changes() {
  std::fill(changed_.begin(), changed_.end(), 0);
  any_changed_ = false;
}

void Screen::touch_all() {
  std::fill(changed_.begin(), changed_.end(), 1);
  any_changed_ = true;
}

}  // namespace codfix::console
