#include "platform/cdx/key_codec.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/cdx/layout.h"

namespace codfix::cdx {
namespace {

Status wrong_type() {
  return Status::invalid("value does not match the key type");
}

void append_int32_key(double value, std::string& out) {
  double r = std::nearbyint(value);
  r = std::clamp(r, -2147483648.0, 2147483647.0);
  uint32_t v = static_cast<uint32_t>(static_cast<int32_t>(r)) + 0x80000000u;
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

double decode_number(std::string_view key) {
  if (key.size() == 4) {
    uint32_t v = 0;
    for (char c : key) v = (v << 8) | static_cast<uint8_t>(c);
    return static_cast<double>(static_cast<int32_t>(v - 0x80000000u));
  }
  if (key.size() != 8) return 0;
  uint64_t bits = 0;
  for (char c : key) bits = (bits << 8) | static_cast<uint8_t>(c);
  if ((bits >> 63) != 0) {
    bits &= ~(uint64_t{1} << 63);
  } else {
    bits = ~bits;
  }
  return std::bit_cast<double>(bits);
}

}  // namespace

void append_number_key(double value, std::string& out) {
  if (value == 0) value = 0;  // -0 sorts as +0
  uint64_t bits = std::bit_cast<uint64_t>(value);
  if (std::signbit(value)) {
    bits = ~bits;
  } else {
    bits ^= uint64_t{1} << 63;
  }
  for (int shift = 56; shift >= 0; shift -= 8) out += static_cast<char>((bits >> shift) & 0xFF);
}

Result<KeyFormat> key_format_for(const Value& blank) {
  auto type = key_type_of(blank);
  if (!type.ok()) return type.status();
  KeyFormat f;
  f.type = *type;
  switch (f.type) {
    case KeyType::kCharacter:
      f.size = static_cast<uint16_t>(std::min<size_t>(blank.text().size(), kMaxKeySize));
      break;
    case KeyType::kNumeric:
      f.size = 8;
      f.decimals = static_cast<uint16_t>(std::max<int>(blank.num().decimals, 0));
      break;
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

Result<KeyFormat> key_format(KeyType type, uint16_t key_size, uint16_t decimals) {
  bool fits = false;
  switch (type) {
    case KeyType::kCharacter:
      fits = key_size >= 1 && key_size <= kMaxKeySize;
      break;
    case KeyType::kNumeric:
      fits = key_size == 8 || key_size == 4;
      break;
    case KeyType::kDate:
      fits = key_size == 8;
      break;
    case KeyType::kLogical:
      fits = key_size == 1;
      break;
  }
  if (!fits) {
    return Status::corrupt(std::string("a ") + key_type_letter(type) + " key cannot be " +
                           std::to_string(key_size) + " bytes long");
  }
  return KeyFormat{type, key_size, type == KeyType::kNumeric ? decimals : uint16_t{0}};
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
      if (f.size == 4) {
        append_int32_key(v.as_double(), out);
      } else {
        append_number_key(v.as_double(), out);
      }
      return {};
    case KeyType::kDate:
      if (!v.is_date()) return wrong_type();
      append_number_key(static_cast<double>(v.as_date().day), out);
      return {};
    case KeyType::kLogical:
      if (!v.is_logical()) return wrong_type();
      out += v.logical() ? 'T' : 'F';
      return {};
  }
  return wrong_type();
}

Result<std::string> encode_key(const Value& v, const KeyFormat& format) {
  std::string out;
  out.reserve(format.size);
  CDX_TRY(append_key(v, format, out));
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
      double v = decode_number(key);
      return f.size == 4 ? Value::integer(v) : Value::number(v, f.decimals);
    }
    case KeyType::kDate: {
      double day = decode_number(key);
      if (!(day >= 0 && day <= 2147483647.0)) return Value(Date{});
      return Value(Date{static_cast<int32_t>(day)});
    }
    case KeyType::kLogical:
      return Value(!key.empty() && key[0] == 'T');
  }
  return Value();
}

}  // namespace codfix::cdx
