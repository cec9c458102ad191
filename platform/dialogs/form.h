// Form input (GET/READ): a list of edit fields read modally.
//
// Each field has a variable (a session variable or a table field, or C++
// functions), a position, a picture, an optional pre-condition (WHEN) and
// validation (VALID). add() shows the field; read() lets the operator edit the
// fields in turn: the editing keys, the moves between fields (Up/Down/Enter/Tab/
// Shift+Tab/PgUp/PgDn/Ctrl+Home/Ctrl+W/Esc) and the arrow-exit setting. Colours
// come from the console's colour string when the field is added: unselected for
// fields without focus, enhanced for the active one. While the read waits for a
// key, bound hot keys run with the active field's variable name, and the field
// registers itself as lib/core's active input field.
//
// After read(), the keyboard's last key tells how the read ended (27 for Esc).
// A read with no terminal (no key can come) ends as Esc would.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lib/core/active_field.h"
#include "platform/console/colour.h"
#include "platform/dialogs/binding.h"
#include "platform/dialogs/condition.h"
#include "platform/dialogs/edit_buffer.h"

namespace codfix::dialogs {

// Process-wide settings of form input.
struct FormSettings {
  bool arrow_exit = false;  // Up in the first field and Down in the last end the read
  bool confirm = false;     // typing past the end of a field does not leave it
  bool insert = false;      // insert mode (the Ins key toggles it)
};
FormSettings& form_settings();

struct FieldSpec {
  int row = 0;
  int col = 0;
  std::string name;                // the variable's name, as written
  std::string picture;             // may be empty
  Condition when;                  // pre-condition: the field is skipped when it fails
  Condition valid;                 // validation: the field cannot be left while it fails
  std::string colour;              // optional "unselected,enhanced"; default: the current colours
  std::optional<Binding> binding;  // default: the variable of that name
};

class Form;

class Field : public ActiveField {
 public:
  Field(Form& form, FieldSpec def, console::Attr unselected, console::Attr enhanced);

  // The active input field's interface.
  std::string name() const override { return def_.name; }
  Value value() const override { return binding_.get(); }
  std::string edit_buffer() const override;
  void assign(const Value& v) override;
  void redisplay() override { display(); }

  int row() const { return def_.row; }
  int col() const { return def_.col; }
  const std::string& picture() const { return def_.picture; }
  const FieldSpec& def() const { return def_; }
  bool has_focus() const { return buffer_.has_value(); }
  // Columns the field takes on the screen.
  int width() const;

  void display();

 private:
  friend class Form;
  void focus();
  void unfocus();
  void place_cursor();
  void scroll_to_cursor();

  Form& form_;
  FieldSpec def_;
  Binding binding_;
  console::Attr unselected_;
  console::Attr enhanced_;
  std::optional<EditBuffer> buffer_;
  int offset_ = 0;  // first buffer position shown (scrolling fields)
};

class Form {
 public:
  Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Adds a field and shows it (@ ... GET).
  Field& add(FieldSpec def);
  Field& add(int row, int col, std::string name, std::string picture = {}, Condition valid = {},
             Condition when = {});
  std::size_t size() const { return fields_.size(); }
  Field& field(std::size_t i) { return *fields_[i]; }  // 0-based
  // The first field of that variable name (case ignored), or null.
  Field* find(std::string_view name);
  // Removes every field (CLEAR GETS); during a read, ends it.
  void clear();

  // Reads the fields from `start` (1-based). True when a variable was changed.
  bool read(int start = 1);
  bool reading() const { return reading_; }
  // 1-based position of the field with the focus; 0 when not reading.
  int position() const { return reading_ ? pos_ + 1 : 0; }
  Field* active() {
    return reading_ && pos_ < static_cast<int>(fields_.size()) ? fields_[pos_].get() : nullptr;
  }
  // Ends the read after the key being handled (CLEAR GETS from a hot key).
  void kill() { killed_ = true; }

 private:
  enum class Exit { None, Up, Down, Enter, Write, Escape, Top, Bottom, Goto };
  Exit edit(Field& f);   // the key loop of one field
  bool leave(Field& f);  // assigns and validates; false: stay in the field
  int settle(Exit e);    // next position, -1 to end

  std::vector<std::unique_ptr<Field>> fields_;
  bool reading_ = false;
  bool killed_ = false;
  bool updated_ = false;
  int pos_ = 0;
  int goto_ = -1;
  bool bump_top_ = false;
  bool bump_bottom_ = false;
  Exit last_exit_ = Exit::Down;
};

// The innermost form being read, or null.
Form* reading_form();

}  // namespace codfix::dialogs
