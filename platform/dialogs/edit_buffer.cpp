#include "platform/dialogs/edit_buffer.h"

#include <cstdlib>

#include "lib/core/date.h"
#include "lib/core/runtime.h"
#include "platform/text/codepage.h"

namespace codfix::dialogs {
namespace {

bool digit(char c) {
  return c >= '0' && c <= '9';
}

bool yes_letter(char c) {
  return c == 'Y' || c == 'y' || c == 'T' || c == 't';
}

bool logical_letter(char c) {
  return yes_letter(c) || c == 'N' || c == 'n' || c == 'F' || c == 'f';
}

DateSettings date_settings(const picture::Picture& p) {
  DateSettings s = Runtime::current().settings.dates;
  if (p.european) s.format = "dd/mm/yy";
  return s;
}

// The text an edit of `v` starts from.
std::string text_of(const Value& v) {
  return v.is_text() ? v.text() : std::string();
}

}  // namespace

EditBuffer::EditBuffer(const Value& value, std::string_view picture)
    : pic_(picture::parse(picture)) {
  build(value);
}

void EditBuffer::reset(const Value& value) {
  build(value);
}

void EditBuffer::build(const Value& value) {
  original_value_ = value;
  typed_out_ = false;
  mask_.clear();
  buf_.clear();
  switch (value.type()) {
    case Type::Number: {
      type_ = 'N';
      std::string tmpl = pic_.tmpl;
      if (tmpl.empty()) {
        const Number& n = value.num();
        tmpl.assign(n.width > 0 ? n.width : 10, '9');
        if (n.decimals > 0) tmpl += '.' + std::string(n.decimals, '9');
      }
      picture::Picture shape;
      shape.tmpl = tmpl;
      shape.european = pic_.european;
      buf_ = picture::transform(value, shape);
      for (char c : tmpl) mask_ += picture::is_template_char(c) ? c : '\0';
      if (buf_.size() != mask_.size()) buf_.resize(mask_.size(), ' ');
      break;
    }
    case Type::Date: {
      type_ = 'D';
      DateSettings s = date_settings(pic_);
      buf_ = date_to_text(value.as_date(), s);
      std::string fmt = effective_date_format(s);
      for (std::size_t i = 0; i < buf_.size(); ++i) {
        char f = i < fmt.size() ? fmt[i] : ' ';
        bool slot = f == 'd' || f == 'm' || f == 'y' || f == 'D' || f == 'M' || f == 'Y';
        mask_ += slot ? '9' : '\0';
      }
      break;
    }
    case Type::Logical: {
      type_ = 'L';
      logical_yn_ = false;
      for (char c : pic_.tmpl)
        if (c == 'Y' || c == 'y') logical_yn_ = true;
      buf_ = value.logical() ? (logical_yn_ ? "Y" : "T") : (logical_yn_ ? "N" : "F");
      mask_ = logical_yn_ ? "Y" : "L";
      break;
    }
    default: {
      type_ = 'C';
      memo_ = value.is_memo();
      std::string s = text_of(value);
      if (pic_.has_template()) {
        std::size_t j = 0;
        for (char t : pic_.tmpl) {
          if (picture::is_template_char(t)) {
            mask_ += t;
            char c = j < s.size() ? s[j] : ' ';
            ++j;
            buf_ += c;
          } else {
            mask_ += '\0';
            buf_ += t;
            if (!pic_.insert_literals) ++j;
          }
        }
      } else {
        mask_.assign(s.size(), pic_.upper ? '!' : pic_.alpha_only ? 'A' : 'X');
        buf_ = s;
      }
      for (std::size_t i = 0; i < buf_.size(); ++i)
        if (mask_[i]) buf_[i] = shape(static_cast<int>(i), buf_[i]);
      break;
    }
  }
  original_ = buf_;
  pos_ = first_editable();
  if (pos_ < 0) pos_ = 0;
  clear_ = pic_.clear_first || type_ == 'N';
}

bool EditBuffer::editable(int i) const {
  return i >= 0 && i < static_cast<int>(mask_.size()) && mask_[i] != '\0';
}

int EditBuffer::first_editable() const {
  return next_editable(0);
}

int EditBuffer::last_editable() const {
  return prev_editable(static_cast<int>(mask_.size()) - 1);
}

int EditBuffer::next_editable(int from) const {
  for (int i = from < 0 ? 0 : from; i < static_cast<int>(mask_.size()); ++i)
    if (editable(i)) return i;
  return -1;
}

int EditBuffer::prev_editable(int from) const {
  for (int i = from; i >= 0; --i)
    if (editable(i)) return i;
  return -1;
}

int EditBuffer::run_end(int from) const {
  int i = from;
  while (editable(i + 1)) ++i;
  return i;
}

int EditBuffer::point_pos() const {
  if (type_ != 'N') return -1;
  std::string tmpl = pic_.tmpl;
  if (tmpl.empty()) {
    for (std::size_t i = 0; i < mask_.size(); ++i)
      if (!mask_[i]) return static_cast<int>(i);
    return -1;
  }
  std::size_t p = tmpl.find('.');
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

bool EditBuffer::accepts(int i, char c) const {
  char m = mask_[i];
  unsigned char u = static_cast<unsigned char>(c);
  if (u < 32) return false;
  switch (type_) {
    case 'D':
      return digit(c);
    case 'L':
      return logical_letter(c);
    case 'N':
      if (m == '#') return digit(c) || c == ' ' || c == '-' || c == '+';
      return digit(c) || c == '-' || c == '+';
    default:
      break;
  }
  switch (m) {
    case '9':
      return digit(c);
    case '#':
      return digit(c) || c == ' ' || c == '+' || c == '-';
    case 'A':
    case 'a':
      return text::is_alpha(c);
    case 'N':
    case 'n':
      return text::is_alpha(c) || digit(c);
    case 'L':
    case 'l':
      return logical_letter(c);
    case 'Y':
    case 'y':
      return logical_letter(c);
    default:
      return true;
  }
}

char EditBuffer::shape(int i, char c) const {
  char m = mask_[i];
  if (type_ == 'L') return yes_letter(c) ? (logical_yn_ ? 'Y' : 'T') : (logical_yn_ ? 'N' : 'F');
  if (type_ != 'C') return c;
  if (m == 'L' || m == 'l') return logical_letter(c) ? (yes_letter(c) ? 'T' : 'F') : c;
  if (m == 'Y' || m == 'y') return logical_letter(c) ? (yes_letter(c) ? 'Y' : 'N') : c;
  if (m == '!' || pic_.upper) return text::to_upper(c);
  return c;
}

void EditBuffer::clear_all() {
  for (std::size_t i = 0; i < buf_.size(); ++i) {
    if (mask_[i])
      buf_[i] = ' ';
    else if (type_ == 'N' && (buf_[i] == ',' || buf_[i] == '.') &&
             static_cast<int>(i) != point_pos())
      buf_[i] = ' ';
  }
  if (type_ == 'N' && point_pos() >= 0) buf_[point_pos()] = pic_.european ? ',' : '.';
  pos_ = first_editable();
  if (pos_ < 0) pos_ = 0;
  clear_ = false;
}

void EditBuffer::refresh_separators() {
  if (type_ != 'N') return;
  const std::string& tmpl = pic_.tmpl;
  char sep = pic_.european ? '.' : ',';
  for (std::size_t i = 0; i < tmpl.size() && i < buf_.size(); ++i) {
    if (tmpl[i] != ',' || mask_[i]) continue;
    char prev = i > 0 ? buf_[i - 1] : ' ';
    buf_[i] = digit(prev) ? sep : ' ';
  }
}

void EditBuffer::to_decimal() {
  int p = point_pos();
  if (p < 0) return;
  std::string kept;
  for (int i = 0; i < p; ++i)
    if (editable(i) && buf_[i] != ' ') kept += buf_[i];
  for (int i = 0; i < p; ++i)
    if (editable(i)) buf_[i] = ' ';
  for (int i = p - 1; i >= 0 && !kept.empty(); --i) {
    if (!editable(i)) continue;
    buf_[i] = kept.back();
    kept.pop_back();
  }
  refresh_separators();
  int n = next_editable(p + 1);
  if (n >= 0) pos_ = n;
  clear_ = false;
}

bool EditBuffer::put(char c, bool insert) {
  typed_out_ = false;
  if (type_ == 'N' && c == (pic_.european ? ',' : '.')) {
    if (point_pos() < 0) return false;
    if (clear_) clear_all();
    to_decimal();
    return true;
  }
  if (!editable(pos_)) {
    int n = next_editable(pos_);
    if (n < 0) return false;
    pos_ = n;
  }
  if (!accepts(pos_, c)) return false;
  if (clear_) clear_all();
  if (insert && type_ != 'L') {
    for (int k = run_end(pos_); k > pos_; --k) buf_[k] = buf_[k - 1];
  }
  buf_[pos_] = shape(pos_, c);
  refresh_separators();
  int n = next_editable(pos_ + 1);
  if (n < 0)
    typed_out_ = true;
  else
    pos_ = n;
  return true;
}

void EditBuffer::set_pos(int i) {
  clear_ = false;
  int n = next_editable(i);
  if (n < 0) n = last_editable();
  if (n >= 0) pos_ = n;
}

void EditBuffer::left() {
  clear_ = false;
  int p = prev_editable(pos_ - 1);
  if (p >= 0) pos_ = p;
}

void EditBuffer::right() {
  clear_ = false;
  int n = next_editable(pos_ + 1);
  if (n >= 0) pos_ = n;
}

void EditBuffer::home() {
  clear_ = false;
  int f = first_editable();
  if (f >= 0) pos_ = f;
}

void EditBuffer::end() {
  clear_ = false;
  int last = last_editable();
  if (last < 0) return;
  int target = -1;
  for (int i = last; i >= 0; --i) {
    if (editable(i) && buf_[i] != ' ') {
      target = next_editable(i + 1);
      if (target < 0) target = last;
      break;
    }
  }
  pos_ = target >= 0 ? target : first_editable();
}

void EditBuffer::word_left() {
  clear_ = false;
  int p = prev_editable(pos_ - 1);
  while (p >= 0 && buf_[p] == ' ') p = prev_editable(p - 1);
  while (p >= 0) {
    int q = prev_editable(p - 1);
    if (q < 0 || buf_[q] == ' ') break;
    p = q;
  }
  if (p >= 0) pos_ = p;
}

void EditBuffer::word_right() {
  clear_ = false;
  int p = pos_;
  while (editable(p) && buf_[p] != ' ') p = next_editable(p + 1) < 0 ? -1 : next_editable(p + 1);
  while (p >= 0 && editable(p) && buf_[p] == ' ') p = next_editable(p + 1);
  if (p >= 0 && editable(p)) pos_ = p;
}

void EditBuffer::backspace() {
  clear_ = false;
  int p = prev_editable(pos_ - 1);
  if (p < 0) return;
  pos_ = p;
  del();
}

void EditBuffer::del() {
  clear_ = false;
  if (!editable(pos_)) return;
  if (type_ == 'L') return;
  int e = run_end(pos_);
  for (int k = pos_; k < e; ++k) buf_[k] = buf_[k + 1];
  buf_[e] = ' ';
  refresh_separators();
}

void EditBuffer::del_word_right() {
  clear_ = false;
  if (!editable(pos_)) return;
  int e = run_end(pos_);
  int count = 0;
  for (int k = pos_; k <= e && buf_[k] != ' '; ++k) ++count;
  for (int k = pos_ + count; k <= e && buf_[k] == ' '; ++k) ++count;
  for (int i = 0; i < count; ++i) del();
}

void EditBuffer::del_word_left() {
  int old = pos_;
  word_left();
  int n = old - pos_;
  for (int i = 0; i < n; ++i) del();
}

void EditBuffer::del_end() {
  clear_ = false;
  if (type_ == 'L') return;
  for (int i = pos_; i < static_cast<int>(buf_.size()); ++i)
    if (editable(i)) buf_[i] = ' ';
  refresh_separators();
}

void EditBuffer::undo() {
  buf_ = original_;
  pos_ = std::max(first_editable(), 0);
  clear_ = false;
  typed_out_ = false;
}

bool EditBuffer::valid() const {
  if (type_ != 'D') return true;
  bool blank = true;
  for (std::size_t i = 0; i < buf_.size(); ++i)
    if (mask_[i] && buf_[i] != ' ') blank = false;
  if (blank) return true;
  return !text_to_date(buf_, date_settings(pic_)).empty();
}

Value EditBuffer::value() const {
  switch (type_) {
    case 'N': {
      int p = point_pos();
      std::string digits;
      bool negative = false;
      int int_slots = 0;
      int dec_slots = 0;
      for (int i = 0; i < static_cast<int>(buf_.size()); ++i) {
        if (i == p) {
          digits += '.';
          continue;
        }
        if (!editable(i)) continue;
        if (p >= 0 && i > p)
          ++dec_slots;
        else
          ++int_slots;
        char c = buf_[i];
        if (digit(c))
          digits += c;
        else if (c == '-')
          negative = true;
      }
      double v = std::strtod(digits.c_str(), nullptr);
      if (negative) v = -v;
      if (v == 0) v = 0;  // no negative zero
      const Number& orig = original_value_.num();
      int width = orig.width > 0 ? orig.width : (int_slots > 0 ? int_slots : 10);
      int decimals = pic_.has_template() ? dec_slots : orig.decimals;
      return Value::number(v, width, decimals);
    }
    case 'D':
      return Value(text_to_date(buf_, date_settings(pic_)));
    case 'L':
      return Value(buf_ == "T" || buf_ == "Y");
    default: {
      std::string orig = text_of(original_value_);
      std::string out;
      std::size_t consumed = 0;
      if (pic_.has_template()) {
        for (std::size_t i = 0; i < buf_.size(); ++i)
          if (mask_[i] || !pic_.insert_literals) out += buf_[i];
        consumed = out.size();
      } else {
        out = buf_;
        consumed = buf_.size();
      }
      if (orig.size() > consumed) out += orig.substr(consumed);  // nothing past the picture is lost
      return memo_ ? Value::memo(out) : Value(out);
    }
  }
}

}  // namespace codfix::dialogs
