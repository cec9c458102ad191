#include "platform/text/codepage.h"

#include <array>

#include "platform/text/cp850_table.h"

namespace codfix::text {
namespace {

// The Portuguese alphabet of code page 850: capitals, each followed in the
// collation by its accented forms; the small letters follow the same order.
constexpr std::string_view kCapitals =
    "A\xB5\xB7\xB6\xC7\x8E"
    "BC\x80"
    "DE\x90\xD4\xD2"
    "FGHI\xD6\xDE\xD7\xD8"
    "JKLMN\xA5"
    "O\xE0\xE3\xE2\xE5\x99"
    "PQRSTU\xE9\xEB\xEA\x9A"
    "VWXYZ";
constexpr std::string_view kSmalls =
    "a\xA0\x85\x83\xC6\x84"
    "bc\x87"
    "de\x82\x8A\x88"
    "fghi\xA1\x8D\x8C\x8B"
    "jklmn\xA4"
    "o\xA2\x95\x93\xE4\x94"
    "pqrstu\xA3\x97\x96\x81"
    "vwxyz";

struct Tables {
  std::array<uint8_t, 256> weight{};
  std::array<char, 256> upper{};
  std::array<char, 256> lower{};
  std::array<uint8_t, 256> flags{};  // 1 alpha, 2 upper, 4 lower, 8 digit
};

constexpr uint8_t kAlpha = 1, kUpper = 2, kLower = 4, kDigit = 8;

Tables make_binary() {
  Tables t;
  for (int b = 0; b < 256; ++b) {
    t.weight[b] = static_cast<uint8_t>(b);
    t.upper[b] = static_cast<char>(b >= 'a' && b <= 'z' ? b - 32 : b);
    t.lower[b] = static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
    if (b >= 'A' && b <= 'Z') t.flags[b] = kAlpha | kUpper;
    if (b >= 'a' && b <= 'z') t.flags[b] = kAlpha | kLower;
    if (b >= '0' && b <= '9') t.flags[b] = kDigit;
  }
  return t;
}

Tables make_pt850() {
  Tables t = make_binary();
  std::array<bool, 256> letter{};
  for (char c : kCapitals) letter[static_cast<uint8_t>(c)] = true;
  for (char c : kSmalls) letter[static_cast<uint8_t>(c)] = true;
  int next = 0;
  auto non_letters = [&](int from, int to) {
    for (int b = from; b < to; ++b)
      if (!letter[b]) t.weight[b] = static_cast<uint8_t>(next++);
  };
  non_letters(0, 'A');
  for (char c : kCapitals) t.weight[static_cast<uint8_t>(c)] = static_cast<uint8_t>(next++);
  non_letters('A', 'a');
  for (char c : kSmalls) t.weight[static_cast<uint8_t>(c)] = static_cast<uint8_t>(next++);
  non_letters('a', 256);
  for (std::size_t i = 0; i < kCapitals.size(); ++i) {
    auto cap = static_cast<uint8_t>(kCapitals[i]);
    auto small = static_cast<uint8_t>(kSmalls[i]);
    t.upper[small] = static_cast<char>(cap);
    t.lower[cap] = static_cast<char>(small);
    t.flags[cap] = kAlpha | kUpper;
    t.flags[small] = kAlpha | kLower;
  }
  return t;
}

const Tables kPt850 = make_pt850();
const Tables kBinary = make_binary();
const Tables* g_active = &kPt850;
CodePage g_code_page = CodePage::PT850;

// Windows-1252 bytes 80..9F (0 where the byte is unassigned).
constexpr std::array<char16_t, 32> kCp1252Low = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char32_t cp1252_to_unicode(uint8_t b) {
  if (b >= 0x80 && b < 0xA0) return kCp1252Low[b - 0x80];
  return b;
}

int unicode_to_cp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kCp1252Low[i] != 0 && kCp1252Low[i] == cp) return 0x80 + i;
  return -1;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

void set_code_page(CodePage cp) {
  g_code_page = cp;
  g_active = cp == CodePage::PT850 ? &kPt850 : &kBinary;
}
CodePage code_page() {
  return g_code_page;
}

uint8_t weight(uint8_t byte) {
  return g_active->weight[byte];
}
const uint8_t* weights() {
  return g_active->weight.data();
}

int compare(std::string_view a, std::string_view b, bool exact) {
  const uint8_t* w = g_active->weight.data();
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<uint8_t>(a[i]);
    auto y = static_cast<uint8_t>(b[i]);
    if (x != y) return w[x] < w[y] ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  if (a.size() < b.size()) return -1;
  return exact ? 1 : 0;
}

char to_upper(char c) {
  return g_active->upper[static_cast<uint8_t>(c)];
}
char to_lower(char c) {
  return g_active->lower[static_cast<uint8_t>(c)];
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = to_upper(c);
  return out;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = to_lower(c);
  return out;
}

bool is_alpha(char c) {
  return g_active->flags[static_cast<uint8_t>(c)] & kAlpha;
}
bool is_upper(char c) {
  return g_active->flags[static_cast<uint8_t>(c)] & kUpper;
}
bool is_lower(char c) {
  return g_active->flags[static_cast<uint8_t>(c)] & kLower;
}
bool is_digit(char c) {
  return g_active->flags[static_cast<uint8_t>(c)] & kDigit;
}

char32_t cp850_to_unicode(uint8_t byte, bool screen_glyphs) {
  if (byte >= 0x80) return detail::kCp850High[byte - 0x80];
  if (screen_glyphs) {
    if (byte < 0x20) return detail::kCp850Controls[byte];
    if (byte == 0x7F) return detail::kCp850Del;
  }
  return byte;
}

std::string cp850_to_utf8(std::string_view s, bool screen_glyphs) {
  std::string out;
  out.reserve(s.size() + s.size() / 4);
  for (char c : s) append_utf8(out, cp850_to_unicode(static_cast<uint8_t>(c), screen_glyphs));
  return out;
}

int unicode_to_cp850(char32_t cp) {
  return detail::unicode_to_cp850(cp);
}

std::string utf8_to_cp850(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<uint8_t>(s[i]);
    int extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
      out += '?';
      ++i;
      continue;
    }
    char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      auto cont = static_cast<uint8_t>(s[i + k]);
      if ((cont & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cont & 0x3F);
    }
    if (!ok) {
      out += '?';
      ++i;
      continue;
    }
    i += extra + 1;
    int mapped = unicode_to_cp850(cp);
    out += mapped < 0 ? '?' : static_cast<char>(mapped);
  }
  return out;
}

std::string cp850_to_cp1252(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    int b = unicode_to_cp1252(cp850_to_unicode(static_cast<uint8_t>(c)));
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

std::string cp1252_to_cp850(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    char32_t cp = cp1252_to_unicode(static_cast<uint8_t>(c));
    int b = cp == 0 && c != 0 ? -1 : unicode_to_cp850(cp);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

}  // namespace codfix::text
