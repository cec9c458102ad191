// The edit buffer of one form field: the value's text shaped by the picture, the
// positions that may be edited, the cursor, and the editing operations of form
// input. value() turns the buffer back into a value of the original type.
//
// Types: text (and memo text), number, date, logical. Any other value is edited
// as its empty text. Positions hold code page 850 bytes.
#pragma once

#include <string>
#include <string_view>

#include "lib/core/value.h"
#include "platform/picture/picture.h"

namespace codfix::dialogs {

class EditBuffer {
 public:
  EditBuffer(const Value& value, std::string_view picture);

  // Reloads the buffer from a value (after an assignment); the cursor goes to the
  // first editable position.
  void reset(const Value& value);

  const std::string& text() const { return buf_; }
  const picture::Picture& picture() const { return pic_; }
  char type() const { return type_; }
  int pos() const { return pos_; }
  // Moves the cursor to an editable position at or after `i` (or the last one).
  void set_pos(int i);
  bool changed() const { return buf_ != original_; }
  // A character was typed into the last editable position.
  bool typed_out() const { return typed_out_; }
  // Whether the next typed character first clears the buffer (@K, numbers).
  bool clear_pending() const { return clear_; }
  bool editable(int i) const;

  // The value the buffer holds, of the original type.
  Value value() const;
  // False for a date buffer that holds no valid date but is not blank.
  bool valid() const;

  // Editing. put() returns false when the character is not allowed at the cursor.
  bool put(char c, bool insert);
  void left();
  void right();
  void home();
  void end();
  void word_left();
  void word_right();
  void backspace();
  void del();
  void del_word_left();
  void del_word_right();
  void del_end();  // blanks from the cursor to the end
  void undo();     // the buffer as the field received it

 private:
  void build(const Value& value);
  int first_editable() const;
  int last_editable() const;
  int next_editable(int from) const;  // -1 when none
  int prev_editable(int from) const;
  int run_end(int from) const;  // last position of the editable run holding `from`
  bool accepts(int i, char c) const;
  char shape(int i, char c) const;  // case rules of the position
  void clear_all();
  void to_decimal();
  void refresh_separators();  // numbers: thousands separators only between digits
  int point_pos() const;

  Value original_value_;
  picture::Picture pic_;
  char type_ = 'C';
  std::string mask_;  // per position: the template character, or 0 for a literal
  std::string buf_;
  std::string original_;
  int pos_ = 0;
  bool typed_out_ = false;
  bool clear_ = false;
  bool logical_yn_ = false;
  bool memo_ = false;
};

}  // namespace codfix::dialogs
