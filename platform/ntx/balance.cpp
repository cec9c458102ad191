#include "platform/ntx/balance.h"

namespace codfix::ntx {

void balance(PageRef left, PageRef right, PageRef parent, unsigned sep) {
  const unsigned nl = left.count();
  const unsigned nr = right.count();
  const unsigned new_left = (nl + nr + 1) / 2;
  if (new_left < nl) {
    // Keys new_left+1 .. nl-1 of the left page and the separator go to the front of
    // the right page; key new_left of the left page becomes the separator.
    const unsigned moved = nl - new_left;
    for (unsigned i = nr + 1; i-- > 0;) {
      uint16_t a = right.entry(i);
      right.set_entry(i, right.entry(i + moved));
      right.set_entry(i + moved, a);
    }
    for (unsigned j = 0; j + 1 < moved; ++j) {
      unsigned from = new_left + 1 + j;
      right.set_entry_item(j, Item{left.child(from), left.recno(from), left.key(from)});
    }
    right.set_entry_item(moved - 1, Item{left.child(nl), parent.recno(sep), parent.key(sep)});
    parent.set_entry_key(sep, left.recno(new_left), left.key(new_left));
    left.set_count(static_cast<uint16_t>(new_left));
    right.set_count(static_cast<uint16_t>(nr + moved));
  } else if (new_left > nl) {
    // The separator and keys 0 .. moved-2 of the right page go to the end of the
    // left page; key moved-1 of the right page becomes the separator.
    const unsigned moved = new_left - nl;
    left.set_entry_key(nl, parent.recno(sep), parent.key(sep));
    for (unsigned j = 0; j + 1 < moved; ++j)
      left.set_entry_item(nl + 1 + j, Item{right.child(j), right.recno(j), right.key(j)});
    left.set_child(new_left, right.child(moved - 1));
    parent.set_entry_key(sep, right.recno(moved - 1), right.key(moved - 1));
    for (unsigned i = 0; i + moved <= nr; ++i) {
      uint16_t a = right.entry(i);
      right.set_entry(i, right.entry(i + moved));
      right.set_entry(i + moved, a);
    }
    left.set_count(static_cast<uint16_t>(new_left));
    right.set_count(static_cast<uint16_t>(nr - moved));
  }
}

void join(PageRef left, PageRef right, PageRef parent, unsigned sep) {
  const unsigned nl = left.count();
  const unsigned nr = right.count();
  left.set_entry_key(nl, parent.recno(sep), parent.key(sep));
  for (unsigned j = 0; j < nr; ++j)
    left.set_entry_item(nl + 1 + j, Item{right.child(j), right.recno(j), right.key(j)});
  left.set_child(nl + 1 + nr, right.child(nr));
  left.set_count(static_cast<uint16_t>(nl + 1 + nr));
}

}  // namespace codfix::ntx
