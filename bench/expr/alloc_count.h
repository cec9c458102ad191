// Counts heap allocations made through the global operator new, which this
// benchmark program replaces (alloc_count.cpp).
#pragma once

namespace codfix::bench {
long allocation_count();
}
