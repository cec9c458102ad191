#include "platform/expr/lexer.h"

#include <cctype>
#include <charconv>

namespace codfix::expr {
namespace {

bool is_ident_start(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool is_ident_char(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool equals_upper(std::string_view s, std::string_view upper) {
  if (s.size() != upper.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(s[i])) != upper[i]) return false;
  return true;
}

}  // namespace

Token Lexer::make(Tok kind, std::size_t pos, std::size_t len) {
  Token t;
  t.kind = kind;
  t.pos = pos;
  t.text = src_.substr(pos, len);
  i_ = pos + len;
  return t;
}

Token Lexer::fail(std::size_t pos, std::string message) {
  error_ = std::move(message) + " at position " + std::to_string(pos + 1);
  i_ = src_.size();
  Token t;
  t.pos = pos;
  return t;
}

// After an operand a '[' indexes; elsewhere it opens a text literal.
bool Lexer::operand_before() const {
  switch (last_) {
    case Tok::Number:
    case Tok::String:
    case Tok::Ident:
    case Tok::Logical:
    case Tok::Macro:
    case Tok::RParen:
    case Tok::RBracket:
    case Tok::RBrace:
      return true;
    default:
      return false;
  }
}

Token Lexer::lex_number(std::size_t start) {
  std::size_t j = start;
  while (j < src_.size() && is_digit(src_[j])) ++j;
  Token t;
  t.kind = Tok::Number;
  t.pos = start;
  t.int_digits = static_cast<int>(j - start);
  if (j + 1 < src_.size() && src_[j] == '.' && is_digit(src_[j + 1])) {
    std::size_t f = j + 1;
    while (f < src_.size() && is_digit(src_[f])) ++f;
    t.has_point = true;
    t.decimals = static_cast<int>(f - j - 1);
    j = f;
  }
  t.text = src_.substr(start, j - start);
  std::from_chars(t.text.data(), t.text.data() + t.text.size(), t.number);
  i_ = j;
  return t;
}

Token Lexer::lex_string(std::size_t start, char close) {
  std::size_t end = src_.find(close, start + 1);
  if (end == std::string_view::npos) return fail(start, "unterminated text");
  Token t;
  t.kind = Tok::String;
  t.pos = start;
  t.text = src_.substr(start + 1, end - start - 1);
  i_ = end + 1;
  return t;
}

// .T. .F. .Y. .N. .AND. .OR. .NOT.; `matched` is false when the dot starts none.
Token Lexer::lex_dotted(std::size_t start, bool& matched) {
  matched = false;
  std::size_t j = start + 1;
  while (j < src_.size() && std::isalpha(static_cast<unsigned char>(src_[j]))) ++j;
  if (j >= src_.size() || src_[j] != '.' || j == start + 1) return Token{};
  std::string_view word = src_.substr(start + 1, j - start - 1);
  Token t = make(Tok::End, start, j + 1 - start);
  matched = true;
  if (equals_upper(word, "T") || equals_upper(word, "Y")) {
    t.kind = Tok::Logical;
    t.logical = true;
  } else if (equals_upper(word, "F") || equals_upper(word, "N")) {
    t.kind = Tok::Logical;
    t.logical = false;
  } else if (equals_upper(word, "AND")) {
    t.kind = Tok::And;
  } else if (equals_upper(word, "OR")) {
    t.kind = Tok::Or;
  } else if (equals_upper(word, "NOT")) {
    t.kind = Tok::Not;
  } else {
    matched = false;
    i_ = start;
  }
  return t;
}

Token Lexer::lex_macro(std::size_t start) {
  std::size_t j = start + 1;
  if (j < src_.size() && src_[j] == '(') return make(Tok::MacroParen, start, 2);
  if (j >= src_.size() || !is_ident_start(src_[j])) return fail(start, "'&' without a name");
  while (j < src_.size() && is_ident_char(src_[j])) ++j;
  Token t;
  t.kind = Tok::Macro;
  t.pos = start;
  t.text = src_.substr(start + 1, j - start - 1);
  if (j < src_.size() && src_[j] == '.') {
    // The terminating dot, unless it begins a dotted operator such as .AND.
    bool dotted = false;
    Lexer probe(src_);
    probe.lex_dotted(j, dotted);
    if (!dotted) {
      ++j;
      std::size_t s = j;
      while (j < src_.size() && is_ident_char(src_[j])) ++j;
      t.suffix = src_.substr(s, j - s);
    }
  }
  i_ = j;
  return t;
}

Token Lexer::next() {
  Token t = [&]() -> Token {
    while (i_ < src_.size() &&
           (src_[i_] == ' ' || src_[i_] == '\t' || src_[i_] == '\r' || src_[i_] == '\n'))
      ++i_;
    if (i_ >= src_.size()) return make(Tok::End, src_.size(), 0);
    std::size_t s = i_;
    char c = src_[s];
    char n = s + 1 < src_.size() ? src_[s + 1] : '\0';
    if (is_digit(c)) return lex_number(s);
    if (c == '.' && is_digit(n)) return lex_number(s);
    if (is_ident_start(c)) {
      std::size_t j = s;
      while (j < src_.size() && is_ident_char(src_[j])) ++j;
      return make(Tok::Ident, s, j - s);
    }
    switch (c) {
      case '"':
      case '\'':
        return lex_string(s, c);
      case '[':
        if (!operand_before()) return lex_string(s, ']');
        return make(Tok::LBracket, s, 1);
      case '.': {
        bool matched = false;
        Token d = lex_dotted(s, matched);
        if (matched) return d;
        return fail(s, "unexpected '.'");
      }
      case '&':
        return lex_macro(s);
      case '(':
        return make(Tok::LParen, s, 1);
      case ')':
        return make(Tok::RParen, s, 1);
      case ']':
        return make(Tok::RBracket, s, 1);
      case '{':
        return make(Tok::LBrace, s, 1);
      case '}':
        return make(Tok::RBrace, s, 1);
      case ',':
        return make(Tok::Comma, s, 1);
      case '|':
        return make(Tok::Pipe, s, 1);
      case '@':
        return make(Tok::At, s, 1);
      case '$':
        return make(Tok::Dollar, s, 1);
      case '#':
        return make(Tok::Ne, s, 1);
      case ':':
        return n == '=' ? make(Tok::Assign, s, 2) : make(Tok::Colon, s, 1);
      case '+':
        if (n == '+') return make(Tok::Inc, s, 2);
        return n == '=' ? make(Tok::PlusAssign, s, 2) : make(Tok::Plus, s, 1);
      case '-':
        if (n == '-') return make(Tok::Dec, s, 2);
        if (n == '>') return make(Tok::Arrow, s, 2);
        return n == '=' ? make(Tok::MinusAssign, s, 2) : make(Tok::Minus, s, 1);
      case '*':
        if (n == '*') {
          char n2 = s + 2 < src_.size() ? src_[s + 2] : '\0';
          return n2 == '=' ? make(Tok::PowerAssign, s, 3) : make(Tok::Power, s, 2);
        }
        return n == '=' ? make(Tok::StarAssign, s, 2) : make(Tok::Star, s, 1);
      case '/':
        return n == '=' ? make(Tok::SlashAssign, s, 2) : make(Tok::Slash, s, 1);
      case '%':
        return n == '=' ? make(Tok::PercentAssign, s, 2) : make(Tok::Percent, s, 1);
      case '^':
        return n == '=' ? make(Tok::PowerAssign, s, 2) : make(Tok::Power, s, 1);
      case '=':
        return n == '=' ? make(Tok::EqEq, s, 2) : make(Tok::Eq, s, 1);
      case '!':
        return n == '=' ? make(Tok::Ne, s, 2) : make(Tok::Not, s, 1);
      case '<':
        if (n == '>') return make(Tok::Ne, s, 2);
        return n == '=' ? make(Tok::Le, s, 2) : make(Tok::Lt, s, 1);
      case '>':
        return n == '=' ? make(Tok::Ge, s, 2) : make(Tok::Gt, s, 1);
      default:
        return fail(s, std::string("unexpected character '") + c + "'");
    }
  }();
  if (ok()) last_ = t.kind;
  return t;
}

}  // namespace codfix::expr
