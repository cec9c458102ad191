#include "platform/dialogs/form.h"

#include <algorithm>

#include "lib/core/names.h"
#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/picture/picture.h"

namespace codfix::dialogs {
namespace {

std::vector<Form*>& reading_stack() {
  static std::vector<Form*> stack;
  return stack;
}

console::Console& con() {
  return console::current();
}

}  // namespace

FormSettings& form_settings() {
  static FormSettings settings;
  return settings;
}

Form* reading_form() {
  auto& s = reading_stack();
  return s.empty() ? nullptr : s.back();
}

// ---- Field ----

Field::Field(Form& form, FieldSpec def, console::Attr unselected, console::Attr enhanced)
    : form_(form),
      def_(std::move(def)),
      binding_(def_.binding ? *def_.binding : Binding::named(def_.name)),
      unselected_(unselected),
      enhanced_(enhanced) {}

std::string Field::edit_buffer() const {
  if (buffer_) return buffer_->text();
  return picture::transform(binding_.get(), def_.picture);
}

void Field::assign(const Value& v) {
  binding_.set(v);
  if (buffer_) {
    buffer_->reset(binding_.get());
    offset_ = 0;
  }
  display();
}

int Field::width() const {
  if (buffer_) {
    int len = static_cast<int>(buffer_->text().size());
    int s = buffer_->picture().scroll_width;
    return s > 0 ? std::min(s, len) : len;
  }
  return static_cast<int>(edit_buffer().size());
}

void Field::scroll_to_cursor() {
  if (!buffer_) return;
  int w = width();
  int p = buffer_->pos();
  if (w <= 0) {
    offset_ = 0;
    return;
  }
  if (p < offset_) offset_ = p;
  if (p >= offset_ + w) offset_ = p - w + 1;
  offset_ = std::max(0, offset_);
}

void Field::display() {
  console::Console& c = con();
  int crow = c.row();
  int ccol = c.col();
  if (buffer_) {
    scroll_to_cursor();
    int w = width();
    std::string shown = buffer_->text().substr(static_cast<std::size_t>(offset_));
    shown.resize(static_cast<std::size_t>(w), ' ');
    c.say(def_.row, def_.col, shown, enhanced_);
    place_cursor();
  } else {
    c.say(def_.row, def_.col, edit_buffer(), unselected_);
    c.set_pos(crow, ccol);
  }
}

void Field::place_cursor() {
  if (!buffer_) return;
  scroll_to_cursor();
  con().set_pos(def_.row, def_.col + buffer_->pos() - offset_);
}

void Field::focus() {
  buffer_.emplace(binding_.get(), def_.picture);
  offset_ = 0;
}

void Field::unfocus() {
  buffer_.reset();
  offset_ = 0;
}

// ---- Form ----

Field& Form::add(FieldSpec def) {
  console::ColourSet colours = con().colours();
  console::Attr unselected = colours.unselected();
  console::Attr enhanced = colours.enhanced();
  if (!def.colour.empty()) {
    std::string_view c = def.colour;
    std::size_t comma = c.find(',');
    console::parse_pair(c.substr(0, comma), unselected);
    if (comma != std::string_view::npos) console::parse_pair(c.substr(comma + 1), enhanced);
  }
  fields_.push_back(std::make_unique<Field>(*this, std::move(def), unselected, enhanced));
  Field& f = *fields_.back();
  f.display();
  return f;
}

Field& Form::add(int row, int col, std::string name, std::string picture, Condition valid,
                 Condition when) {
  FieldSpec def;
  def.row = row;
  def.col = col;
  def.name = std::move(name);
  def.picture = std::move(picture);
  def.valid = std::move(valid);
  def.when = std::move(when);
  return add(std::move(def));
}

Field* Form::find(std::string_view name) {
  for (auto& f : fields_)
    if (same_name(f->name(), name)) return f.get();
  return nullptr;
}

void Form::clear() {
  if (reading_) {
    killed_ = true;
    return;  // the fields go when the read has ended
  }
  fields_.clear();
}

bool Form::read(int start) {
  if (fields_.empty() || reading_) return false;
  console::Console& c = con();
  // Undone however the read ends (ending the program unwinds through it).
  struct Reading {
    Form& form;
    console::Console& con;
    console::CursorShape shape;
    ~Reading() {
      con.set_cursor_shape(shape);
      form.reading_ = false;
      reading_stack().pop_back();
    }
  } guard{*this, c, c.cursor_shape()};
  reading_stack().push_back(this);
  reading_ = true;
  killed_ = false;
  updated_ = false;
  bump_top_ = bump_bottom_ = false;
  last_exit_ = Exit::Down;
  pos_ = std::clamp(start - 1, 0, static_cast<int>(fields_.size()) - 1);
  c.set_cursor_shape(form_settings().insert ? console::CursorShape::Insert
                                            : console::CursorShape::Normal);
  for (auto& f : fields_) f->display();

  int skipped = 0;
  while (pos_ >= 0 && !killed_) {
    Field& f = *fields_[pos_];
    Exit e = Exit::None;
    {
      ActiveFieldScope active(&f);
      if (!f.def_.when.check()) {
        if (killed_ || ++skipped > 2 * static_cast<int>(fields_.size())) break;
        pos_ = settle(last_exit_ == Exit::Up ? Exit::Up : Exit::Down);
        continue;
      }
      if (killed_) break;
      skipped = 0;
      bump_top_ = bump_bottom_ = false;
      f.focus();
      f.display();
      for (;;) {
        e = edit(f);
        if (killed_) break;
        if (e == Exit::Escape) {
          f.buffer_->undo();
          break;
        }
        if (leave(f) || killed_) break;
      }
      f.unfocus();
      f.display();
    }
    if (killed_ || e == Exit::Escape || e == Exit::Write) break;
    pos_ = settle(e);
  }

  if (killed_) fields_.clear();
  killed_ = false;
  return updated_;
}

int Form::settle(Exit e) {
  int n = static_cast<int>(fields_.size());
  int p = pos_;
  switch (e) {
    case Exit::Up:
      --p;
      break;
    case Exit::Down:
    case Exit::Enter:
      ++p;
      break;
    case Exit::Top:
      p = 0;
      break;
    case Exit::Bottom:
      p = n - 1;
      break;
    case Exit::Goto:
      p = goto_;
      break;
    default:
      return -1;
  }
  bool arrow_exit = form_settings().arrow_exit;
  if (p < 0) {
    if (!arrow_exit && !bump_bottom_) {
      bump_top_ = true;
      last_exit_ = Exit::Down;
      return pos_;
    }
    return -1;
  }
  if (p >= n) {
    if (!arrow_exit && e != Exit::Enter && !bump_top_) {
      bump_bottom_ = true;
      last_exit_ = Exit::Up;
      return pos_;
    }
    return -1;
  }
  last_exit_ = e;
  return p;
}

bool Form::leave(Field& f) {
  EditBuffer& b = *f.buffer_;
  if (!b.valid()) {
    con().tone(700, 2);  // not a date: the field keeps the focus
    return false;
  }
  if (b.changed()) {
    f.binding_.set(b.value());
    updated_ = true;
  }
  b.reset(f.binding_.get());
  f.display();
  bool ok = f.def_.valid.check();
  if (f.buffer_) {
    f.buffer_->reset(f.binding_.get());  // the validation may have changed the variable
    f.display();
  }
  return ok;
}

Form::Exit Form::edit(Field& f) {
  console::Console& c = con();
  console::Keyboard& kb = c.keyboard();
  namespace k = console::key;
  for (;;) {
    if (killed_) return Exit::Write;
    f.place_cursor();
    int key = kb.wait(0);
    if (key == 0) {  // no key can come: ends as Esc would
      kb.set_last_key(k::kEsc);
      return Exit::Escape;
    }
    EditBuffer& b = *f.buffer_;
    if (kb.hot_keys().bound(key)) {
      if (b.changed()) {
        f.binding_.set(b.value());
        updated_ = true;
      }
      int pos = b.pos();
      kb.hot_keys().run(key, f.name());
      if (killed_) return Exit::Write;
      if (f.buffer_) {
        f.buffer_->reset(f.binding_.get());
        f.buffer_->set_pos(pos);
        f.display();
      }
      continue;
    }
    switch (key) {
      case k::kUp:
      case k::kShiftTab:
        return Exit::Up;
      case k::kDown:
      case k::kTab:
        return Exit::Down;
      case k::kEnter:
        return Exit::Enter;
      case k::kPgUp:
      case k::kPgDn:
      case k::kCtrlEnd:
      case 535:  // Ctrl+W
        return Exit::Write;
      case k::kEsc:
        return Exit::Escape;
      case k::kCtrlHome:
        return Exit::Top;
      case k::kIns:
        form_settings().insert = !form_settings().insert;
        c.set_cursor_shape(form_settings().insert ? console::CursorShape::Insert
                                                  : console::CursorShape::Normal);
        break;
      case 533:  // Ctrl+U
      case 21:
        b.undo();
        break;
      case k::kHome:
        b.home();
        break;
      case k::kEnd:
        b.end();
        break;
      case k::kLeft:
        b.left();
        break;
      case k::kRight:
        b.right();
        break;
      case k::kCtrlLeft:
        b.word_left();
        break;
      case k::kCtrlRight:
        b.word_right();
        break;
      case k::kBackspace:
        b.backspace();
        break;
      case k::kDel:
        b.del();
        break;
      case 532:  // Ctrl+T
      case 20:
        b.del_word_right();
        break;
      case 537:  // Ctrl+Y
      case 25:
        b.del_end();
        break;
      case k::kCtrlBackspace:
        b.del_word_left();
        break;
      case k::kLeftDown: {
        int r = kb.mouse_row();
        int col = kb.mouse_col();
        if (r == f.row() && col >= f.col() && col < f.col() + f.width()) {
          b.set_pos(f.offset_ + col - f.col());
          break;
        }
        for (std::size_t i = 0; i < fields_.size(); ++i) {
          Field& o = *fields_[i];
          if (&o != &f && r == o.row() && col >= o.col() && col < o.col() + o.width()) {
            goto_ = static_cast<int>(i);
            return Exit::Goto;
          }
        }
        break;
      }
      default:
        if (key >= 32 && key <= 255) {
          if (b.put(static_cast<char>(key), form_settings().insert) && b.typed_out() &&
              !form_settings().confirm) {
            f.display();
            return Exit::Enter;
          }
        }
        break;
    }
    f.display();
  }
}

}  // namespace codfix::dialogs
