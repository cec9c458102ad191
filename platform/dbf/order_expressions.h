// What the orders of every index driver share: the compiled key and FOR
// expressions of an order, the evaluation of the current record's key into the
// driver's key bytes, and the mapping of an index library's status to the
// engine's Failure record (a damaged file is 32/1012 with the file's name).
//
// Callers make the table's work area current before evaluating.
#pragma once

#include <string>

#include "platform/dbf/failure.h"
#include "platform/expr/expr.h"
#include "platform/indexing/key_type.h"
#include "platform/indexing/status.h"

namespace codfix::dbf {

// The Failure of a failed index status (nothing for kOk), naming `file`.
Failure index_failure(const indexing::Status& s, const std::string& file);

// Takes a library result into `out` (its zero value when the call failed) and
// gives the Failure of its status, naming `file`.
template <typename T>
Failure index_result(const indexing::Result<T>& r, T& out, const std::string& file) {
  out = r.ok() ? *r : T{};
  return r.ok() ? Failure{} : index_failure(r.status(), file);
}

// `s` without leading blanks and trailing blanks or NULs.
std::string strip_expression(std::string s);

// The ordering weights of keys of a type: the collation for character keys,
// nullptr (byte order) for the others.
const uint8_t* key_weights(indexing::KeyType type);

struct OrderExpressions {
  expr::ExpressionPtr key;
  expr::ExpressionPtr condition;  // null when there is none
  std::string file;               // the index file, for messages

  // Compiles both. With `raise_syntax` (a new index) a syntax error is raised and
  // fails; otherwise (a stored index) an expression that does not compile makes
  // the file damaged (32/1012).
  Failure compile(const std::string& key_text, const std::string& for_text, bool raise_syntax);

  // Whether the current record passes the condition (true without one).
  Failure eval_for(bool& passes) const;

  // The key bytes of the current record in `format` (a KeyFormat of the driver,
  // with `type` and `size`), through `append(value, format, out)`: the driver's
  // key codec. A failed evaluation (already reported) gives a blank key.
  template <typename Format, typename Append>
  Failure eval_key(const Format& format, Append append, std::string& out) const {
    out.clear();
    if (format.type == indexing::KeyType::kCharacter && key->eval_text(out)) {
      if (out.size() != format.size) out.resize(format.size, ' ');
      return {};
    }
    out.clear();
    Value v = key->eval();
    if (v.is_nil()) {
      out.assign(format.size, ' ');
      return {};
    }
    indexing::Status st = append(v, format, out);
    if (!st.ok()) {
      out.assign(format.size, ' ');
      return {gen::kDataType,
              sub::kInvalidKey,
              0,
              file,
              "key " + key->source() + " gives a value of another type",
              {}};
    }
    return {};
  }
};

}  // namespace codfix::dbf
