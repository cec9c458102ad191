#include "platform/indexing/key_type.h"

#include <string>

namespace codfix::indexing {

Result<KeyType> key_type_of(const Value& v) {
  switch (v.type()) {
    case Type::Text:
      return KeyType::kCharacter;
    case Type::Number:
      return KeyType::kNumeric;
    case Type::Date:
      return KeyType::kDate;
    case Type::Logical:
      return KeyType::kLogical;
    default:
      return Status::invalid(std::string("a key cannot be of type ") + v.type_letter());
  }
}

char key_type_letter(KeyType type) {
  switch (type) {
    case KeyType::kCharacter:
      return 'C';
    case KeyType::kNumeric:
      return 'N';
    case KeyType::kDate:
      return 'D';
    case KeyType::kLogical:
      return 'L';
  }
  return 'C';
}

}  // namespace codfix::indexing
