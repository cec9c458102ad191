// Portuguese texts written in the source as UTF-8 and stored as code page 850:
//
//   using namespace codfix::text::literals;
//   std::string_view msg = "Arquivo não existe"_cp850;
//
// The conversion happens at compile time; a character that code page 850 cannot
// hold is a compile error.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "platform/text/cp850_table.h"

namespace codfix::text {

template <std::size_t N>
struct Utf8Literal {
  char bytes[N];
  constexpr Utf8Literal(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
  }
};

namespace detail {

// Decodes one UTF-8 sequence starting at `i`; advances `i`.
constexpr char32_t decode_utf8(const char* s, std::size_t n, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b = byte(i);
  if (b < 0x80) {
    ++i;
    return b;
  }
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
  if (extra < 0 || i + extra >= n + 1) throw "invalid UTF-8 in a code page 850 literal";
  char32_t cp = b & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (byte(i + k) & 0x3F);
  i += extra + 1;
  return cp;
}

template <Utf8Literal S>
constexpr std::size_t cp850_length() {
  constexpr std::size_t n = sizeof(S.bytes) - 1;
  std::size_t count = 0;
  for (std::size_t i = 0; i < n;) {
    decode_utf8(S.bytes, n, i);
    ++count;
  }
  return count;
}

template <Utf8Literal S>
struct Cp850Literal {
  static constexpr std::size_t size = cp850_length<S>();
  static constexpr std::array<char, size + 1> bytes = [] {
    std::array<char, size + 1> out{};
    constexpr std::size_t n = sizeof(S.bytes) - 1;
    std::size_t o = 0;
    for (std::size_t i = 0; i < n;) {
      int b = unicode_to_cp850(decode_utf8(S.bytes, n, i));
      if (b < 0) throw "character not in code page 850";
      out[o++] = static_cast<char>(b);
    }
    return out;
  }();
};

}  // namespace detail

namespace literals {

template <Utf8Literal S>
constexpr std::string_view operator""_cp850() {
  using L = detail::Cp850Literal<S>;
  return std::string_view(L::bytes.data(), L::size);
}

}  // namespace literals
}  // namespace codfix::text
