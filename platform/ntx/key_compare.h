// The key comparison of the NTX library: the one shared by the index libraries
// (platform/indexing/key_order.h). A descending index reverses the result.
#pragma once

#include "platform/indexing/key_order.h"

namespace codfix::ntx {

using indexing::KeyOrder;

}  // namespace codfix::ntx
