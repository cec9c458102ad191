// Splits an expression text into tokens.
//
// The lexer knows one piece of context: a '[' starts a text literal only where an
// operand can start; after an operand it is the indexing bracket. Macro names
// (`&name`, `&name.`) come out as one token, with any identifier characters glued
// after the terminating dot as a suffix. Errors (an unterminated text, a stray
// character) are reported through ok()/error(); the token stream then ends.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace codfix::expr {

enum class Tok {
  End,
  Number,
  String,
  Ident,
  Logical,     // .T. .F. .Y. .N.
  Macro,       // &name or &name. (text = name, suffix = glued identifier characters)
  MacroParen,  // &( : the parser reads the parenthesised expression
  LParen,
  RParen,
  LBracket,
  RBracket,
  LBrace,
  RBrace,
  Comma,
  Pipe,
  Colon,
  Arrow,  // ->
  Plus,
  Minus,
  Star,
  Slash,
  Percent,
  Power,  // ** and ^
  Eq,     // =
  EqEq,   // ==
  Ne,     // != <> #
  Lt,
  Le,
  Gt,
  Ge,
  Dollar,
  Assign,  // :=
  PlusAssign,
  MinusAssign,
  StarAssign,
  SlashAssign,
  PowerAssign,
  PercentAssign,
  Inc,
  Dec,
  Not,  // ! .NOT.
  And,
  Or,
  At,  // @ (by-reference marker)
};

struct Token {
  Tok kind = Tok::End;
  std::size_t pos = 0;      // offset in the source
  std::string_view text;    // the identifier, the text literal's contents, the macro name
  std::string_view suffix;  // Macro: identifier characters after the terminating dot
  double number = 0;        // Number
  int decimals = 0;         // Number: digits written after the point
  int int_digits = 0;       // Number: digits written before the point
  bool has_point = false;   // Number: written with a decimal point
  bool logical = false;     // Logical
};

class Lexer {
 public:
  explicit Lexer(std::string_view src) : src_(src) {}
  Token next();
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  Token make(Tok kind, std::size_t pos, std::size_t len);
  Token lex_number(std::size_t start);
  Token lex_string(std::size_t start, char close);
  Token lex_dotted(std::size_t start, bool& matched);
  Token lex_macro(std::size_t start);
  Token fail(std::size_t pos, std::string message);
  bool operand_before() const;

  std::string_view src_;
  std::size_t i_ = 0;
  Tok last_ = Tok::End;
  std::string error_;
};

}  // namespace codfix::expr
