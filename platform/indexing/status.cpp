#include "platform/indexing/status.h"

#include <cstdio>
#include <cstdlib>

namespace codfix::indexing {

const char* code_name(Code code) {
  switch (code) {
    case Code::kOk:
      return "ok";
    case Code::kCorrupt:
      return "corrupt";
    case Code::kReadError:
      return "read error";
    case Code::kWriteError:
      return "write error";
    case Code::kOpenError:
      return "open error";
    case Code::kCreateError:
      return "create error";
    case Code::kLockError:
      return "lock error";
    case Code::kInvalidArgument:
      return "invalid argument";
  }
  return "unknown";
}

std::string Status::message() const {
  std::string m = code_name(code_);
  if (!detail_.empty()) {
    m += ": ";
    m += detail_;
  }
  return m;
}

namespace detail {
void value_of_failed_result(const Status& status) {
  std::fprintf(stderr, "index Result: value() of a failed result (%s)\n", status.message().c_str());
  std::abort();
}
}  // namespace detail

}  // namespace codfix::indexing
