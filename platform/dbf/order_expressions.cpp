#include "platform/dbf/order_expressions.h"

#include "platform/text/codepage.h"

namespace codfix::dbf {

Failure index_failure(const indexing::Status& s, const std::string& file) {
  Failure f;
  f.filename = file;
  f.detail = s.detail();
  f.oscode = s.os_error();
  switch (s.code()) {
    case indexing::Code::kOk:
      return {};
    case indexing::Code::kCorrupt:
      f.gencode = gen::kCorruption;
      f.subcode = sub::kCorrupt;
      break;
    case indexing::Code::kReadError:
      f.gencode = gen::kRead;
      f.subcode = sub::kRead;
      break;
    case indexing::Code::kWriteError:
      f.gencode = gen::kWrite;
      f.subcode = sub::kWrite;
      break;
    case indexing::Code::kOpenError:
      f.gencode = gen::kOpen;
      f.subcode = sub::kOpenIndex;
      break;
    case indexing::Code::kCreateError:
      f.gencode = gen::kCreate;
      f.subcode = sub::kCreateIndex;
      break;
    case indexing::Code::kLockError:
      f.gencode = gen::kLock;
      f.subcode = sub::kLock;
      break;
    case indexing::Code::kInvalidArgument:
      f.gencode = gen::kDataType;
      f.subcode = sub::kInvalidKey;
      break;
  }
  return f;
}

std::string strip_expression(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

const uint8_t* key_weights(indexing::KeyType type) {
  return type == indexing::KeyType::kCharacter ? text::weights() : nullptr;
}

Failure OrderExpressions::compile(const std::string& key_text, const std::string& for_text,
                                  bool raise_syntax) {
  std::string problem;
  key = raise_syntax ? expr::compile(key_text) : expr::try_compile(key_text, &problem);
  if (!key) {
    return raise_syntax
               ? Failure{gen::kSyntax, 0, 0, file, "key expression does not compile", {}, true}
               : Failure::corrupt(file,
                                  "key expression '" + key_text + "' does not compile: " + problem);
  }
  condition.reset();
  if (!strip_expression(for_text).empty()) {
    condition = raise_syntax ? expr::compile(for_text) : expr::try_compile(for_text, &problem);
    if (!condition) {
      return raise_syntax
                 ? Failure{gen::kSyntax, 0, 0, file, "FOR condition does not compile", {}, true}
                 : Failure::corrupt(
                       file, "FOR condition '" + for_text + "' does not compile: " + problem);
    }
  }
  return {};
}

Failure OrderExpressions::eval_for(bool& passes) const {
  passes = true;
  if (!condition) return {};
  Value v = condition->eval();
  passes = v.is_logical() && v.logical();
  return {};
}

}  // namespace codfix::dbf
