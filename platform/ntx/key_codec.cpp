#include "platform/ntx/key_codec.h"

#include <algorithm>

#include "lib/core/date.h"
#include "lib/core/number_text.h"

namespace codfix::ntx {
namespace {

Status wrong_type() {
  return Status::invalid("value does not match the key type");
}

// STR() text made byte-comparable (see the header comment).
void append_numeric(double value, const KeyFormat& f, std::string& out) {
  std::string text =
      str_width(Number{value, 0, static_cast<int16_t>(f.decimals)}, f.size, f.decimals);
  bool negative = false;
  for (char& c : text) {
    if (c == ' ') {
      c = '0';
    } else if (c == '-') {
      c = '0';
      negative = true;
    } else {
      break;
    }
  }
  if (negative) {
    for (char& c : text)
      if (c >= '0' && c <= '9') c = static_cast<char>(0x5C - c);
  }
  text.resize(f.size, ' ');
  out += text;
}

}  // namespace

Result<KeyFormat> key_format_for(const Value& blank) {
  auto type = key_type_of(blank);
  if (!type.ok()) return type.status();
  KeyFormat f;
  f.type = *type;
  switch (f.type) {
    case KeyType::kCharacter:
      f.size = static_cast<uint16_t>(std::min<size_t>(blank.text().size(), 256));
      break;
    case KeyType::kNumeric: {
      const Number& n = blank.num();
      int decimals = std::max<int>(n.decimals, 0);
      int size = n.width + (decimals > 0 ? decimals + 1 : 0);
      if (size > 256) size = 256;
      f.size = static_cast<uint16_t>(std::max(size, 0));
      f.decimals = static_cast<uint16_t>(decimals);
      break;
    }
    case KeyType::kDate:
      f.size = 8;
      break;
    case KeyType::kLogical:
      f.size = 1;
      break;
  }
  if (f.size == 0) return Status::invalid("key of zero width");
  return f;
}

Status append_key(const Value& v, const KeyFormat& f, std::string& out) {
  switch (f.type) {
    case KeyType::kCharacter: {
      if (!v.is_text()) return wrong_type();
      const std::string& t = v.text();
      size_t n = std::min<size_t>(t.size(), f.size);
      out.append(t, 0, n);
      out.append(f.size - n, ' ');
      return {};
    }
    case KeyType::kNumeric:
      if (!v.is_number()) return wrong_type();
      append_numeric(v.as_double(), f, out);
      return {};
    case KeyType::kDate: {
      if (!v.is_date()) return wrong_type();
      std::string d = date_to_dtos(v.as_date());
      d.resize(8, ' ');
      out.append(d, 0, std::min<size_t>(8, f.size));
      if (f.size > 8) out.append(f.size - 8, ' ');
      return {};
    }
    case KeyType::kLogical:
      if (!v.is_logical()) return wrong_type();
      out += v.logical() ? 'T' : 'F';
      if (f.size > 1) out.append(f.size - 1, ' ');
      return {};
  }
  return wrong_type();
}

Result<std::string> encode_key(const Value& v, const KeyFormat& format) {
  std::string out;
  out.reserve(format.size);
  NTX_TRY(append_key(v, format, out));
  return out;
}

Result<std::string> encode_seek_key(const Value& v, const KeyFormat& format) {
  if (format.type == KeyType::kCharacter) {
    if (!v.is_text()) return wrong_type();
    const std::string& t = v.text();
    return t.substr(0, std::min<size_t>(t.size(), format.size));
  }
  return encode_key(v, format);
}

Value decode_key(std::string_view key, const KeyFormat& f) {
  switch (f.type) {
    case KeyType::kCharacter:
      return Value(std::string(key));
    case KeyType::kNumeric: {
      bool negative = !key.empty() && key[0] == ',';
      std::string text;
      for (char c : key) {
        if (c == '.') {
          text += c;
        } else if (negative) {
          text += static_cast<char>(0x5C - c);
        } else {
          text += c;
        }
      }
      double v = std::strtod(text.c_str(), nullptr);
      if (negative) v = -v;
      int width = f.size - (f.decimals > 0 ? f.decimals + 1 : 0);
      return Value::number(v, width, f.decimals);
    }
    case KeyType::kDate:
      return Value(dtos_to_date(key));
    case KeyType::kLogical:
      return Value(!key.empty() && key[0] == 'T');
  }
  return Value();
}

}  // namespace codfix::ntx
