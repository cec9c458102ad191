// Moving keys between sibling pages (internal), shared by the bulk build and the
// updates.
//
// balance() evens out two neighbouring pages through the separator key between
// them in their parent: the left page keeps (nL + nR + 1) / 2 keys. Keys moving
// right are placed at the front of the right page by swapping its offset entries
// up (the classic tools' layout); keys moving left are appended to the left page.
// join() puts the separator and all keys of the right page into the left one; the
// caller removes the separator from the parent and frees the right page.
#pragma once

#include "platform/ntx/layout.h"

namespace codfix::ntx {

// `sep` is the separator item's position in `parent`: its child is `left` and the
// child after it is `right`. The caller guarantees nL + nR + 1 <= 2M + 1.
void balance(PageRef left, PageRef right, PageRef parent, unsigned sep);

// The caller guarantees nL + nR + 1 <= M.
void join(PageRef left, PageRef right, PageRef parent, unsigned sep);

}  // namespace codfix::ntx
