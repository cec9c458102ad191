// Array functions: ARRAY, AADD, ASIZE, ADEL, AINS, AFILL, ASCAN, ASORT, ACOPY,
// ACLONE, AEVAL, ATAIL. Arrays are 1-based and shared by reference, so the
// functions that change an array change it for every holder.
#include <algorithm>
#include <vector>

#include "platform/expr/ops.h"
#include "platform/expr/std_common.h"

namespace codfix::expr {
namespace {

// The 0-based range [first, last) from the optional start and count arguments.
struct Range {
  std::size_t first = 0, last = 0;
};
Range range_of(const ArrayData& items, const Value& start, const Value& count) {
  long size = static_cast<long>(items.size());
  long s = start.is_number() ? whole(start) : 1;
  if (s < 1) s = 1;
  if (s > size) return {};
  long n = count.is_number() ? whole(count) : size - s + 1;
  n = std::clamp(n, 0L, size - s + 1);
  return {static_cast<std::size_t>(s - 1), static_cast<std::size_t>(s - 1 + n)};
}

Value call_block(const Value& block, std::initializer_list<Value> args) {
  return block.callback()->call(std::span<const Value>(args.begin(), args.size()));
}

Value make_array(const Args& a, std::size_t dim) {
  long n = whole(a[dim]);
  auto items = std::make_shared<ArrayData>(static_cast<std::size_t>(n));
  if (dim < a.count())
    for (Value& v : *items) v = make_array(a, dim + 1);
  return Value(std::move(items));
}

Value fn_array(const Args& a) {
  if (a.count() == 0) return bad_args("ARRAY", 1131, a);
  double total = 1;
  for (std::size_t i = 1; i <= a.count(); ++i) {
    if (!a[i].is_number() || whole(a[i]) < 0) return bad_args("ARRAY", 1131, a);
    total *= static_cast<double>(whole(a[i]));
  }
  if (total > static_cast<double>(kMaxArrayLength)) return bad_args("ARRAY", 1131, a);
  return make_array(a, 1);
}

Value fn_aadd(const Args& a) {
  if (!a[1].is_array()) return bad_args("AADD", 1123, a);
  if (a[1].items().size() >= kMaxArrayLength) return bad_args("AADD", 1123, a);
  a[1].items().push_back(a[2]);
  return a[2];
}

Value fn_asize(const Args& a) {
  if (!a[1].is_array() || !a[2].is_number()) return bad_args("ASIZE", 2023, a);
  long n = std::max(0L, whole(a[2]));
  if (static_cast<std::size_t>(n) > kMaxArrayLength) return bad_args("ASIZE", 2023, a);
  a[1].items().resize(static_cast<std::size_t>(n));
  return a[1];
}

// ADEL(a, n): removes element n, the rest move up, the last becomes nil.
Value fn_adel(const Args& a) {
  if (!a[1].is_array()) return bad_args("ADEL", 2024, a);
  ArrayData& items = a[1].items();
  long n = whole(a[2]);
  if (n >= 1 && n <= static_cast<long>(items.size())) {
    std::move(items.begin() + n, items.end(), items.begin() + n - 1);
    items.back() = Value();
  }
  return a[1];
}

// AINS(a, n): a nil at n, the rest move down, the last is lost.
Value fn_ains(const Args& a) {
  if (!a[1].is_array()) return bad_args("AINS", 2025, a);
  ArrayData& items = a[1].items();
  long n = whole(a[2]);
  if (n >= 1 && n <= static_cast<long>(items.size())) {
    std::move_backward(items.begin() + n - 1, items.end() - 1, items.end());
    items[static_cast<std::size_t>(n - 1)] = Value();
  }
  return a[1];
}

Value fn_afill(const Args& a) {
  if (!a[1].is_array()) return bad_args("AFILL", 2026, a);
  ArrayData& items = a[1].items();
  Range r = range_of(items, a[3], a[4]);
  for (std::size_t i = r.first; i < r.last; ++i) items[i] = a[2];
  return a[1];
}

// An element matches the searched value as `element = value` does, without
// raising errors for other types (they just do not match).
bool matches(const Value& element, const Value& wanted) {
  if (wanted.is_nil() || element.is_nil()) return wanted.is_nil() && element.is_nil();
  bool comparable = false;
  int o = order_of(element, wanted, comparable);
  if (comparable) return o == 0;
  return element.type() == wanted.type() && exactly_equal(element, wanted);
}

Value fn_ascan(const Args& a) {
  if (!a[1].is_array()) return Value(0);
  const ArrayData& items = a[1].items();
  Range r = range_of(items, a[3], a[4]);
  for (std::size_t i = r.first; i < r.last && i < items.size(); ++i) {
    Value element = items[i];
    bool hit = a[2].is_callback()
                   ? call_block(a[2], {element, Value::integer(static_cast<double>(i + 1))})
                         .logical_or(false)
                   : matches(element, a[2]);
    if (hit) return Value::integer(static_cast<double>(i + 1));
  }
  return Value(0);
}

// Order of values of different types in a sort: nil, logical, number, date, text,
// then the rest.
int type_rank(const Value& v) {
  switch (v.type()) {
    case Type::Nil:
      return 0;
    case Type::Logical:
      return 1;
    case Type::Number:
      return 2;
    case Type::Date:
      return 3;
    case Type::Text:
      return 4;
    default:
      return 5;
  }
}

bool default_before(const Value& x, const Value& y) {
  bool comparable = false;
  int o = order_of(x, y, comparable);
  if (comparable) return o < 0;
  return type_rank(x) < type_rank(y);
}

// A stable merge sort that stays within bounds whatever the comparison answers
// (a callback need not be a consistent order).
template <class Before>
void merge_sort(std::vector<Value>& v, Before before) {
  std::vector<Value> tmp(v.size());
  for (std::size_t width = 1; width < v.size(); width *= 2) {
    for (std::size_t lo = 0; lo < v.size(); lo += 2 * width) {
      std::size_t mid = std::min(lo + width, v.size());
      std::size_t hi = std::min(lo + 2 * width, v.size());
      std::size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) tmp[k++] = before(v[j], v[i]) ? v[j++] : v[i++];
      while (i < mid) tmp[k++] = v[i++];
      while (j < hi) tmp[k++] = v[j++];
    }
    v.swap(tmp);
  }
}

Value fn_asort(const Args& a) {
  if (!a[1].is_array()) return bad_args("ASORT", 2027, a);
  ArrayData& items = a[1].items();
  Range r = range_of(items, a[2], a[3]);
  std::vector<Value> part(items.begin() + static_cast<long>(r.first),
                          items.begin() + static_cast<long>(r.last));
  if (a[4].is_callback()) {
    const Value block = a[4];
    merge_sort(part, [&](const Value& x, const Value& y) {
      return call_block(block, {x, y}).logical_or(false);
    });
  } else {
    merge_sort(part, default_before);
  }
  // The callback may have resized the array meanwhile: write back what still fits.
  for (std::size_t i = 0; i < part.size() && r.first + i < items.size(); ++i)
    items[r.first + i] = std::move(part[i]);
  return a[1];
}

// ACOPY(source, target, [start], [count], [target position]) -> target
Value fn_acopy(const Args& a) {
  if (!a[1].is_array() || !a[2].is_array()) return bad_args("ACOPY", 2028, a);
  const ArrayData source = a[1].items();
  ArrayData& target = a[2].items();
  Range r = range_of(source, a[3], a[4]);
  long at = a[5].is_number() ? whole(a[5]) : 1;
  if (at < 1) at = 1;
  for (std::size_t i = r.first, t = static_cast<std::size_t>(at - 1);
       i < r.last && t < target.size(); ++i, ++t)
    target[t] = source[i];
  return a[2];
}

Value clone(const Value& v, int depth) {
  if (!v.is_array() || depth > 256) return v;
  std::vector<Value> items;
  items.reserve(v.items().size());
  for (const Value& e : v.items()) items.push_back(clone(e, depth + 1));
  return Value::array(std::move(items));
}

Value fn_aclone(const Args& a) {
  if (!a[1].is_array()) return Value();
  return clone(a[1], 0);
}

// AEVAL(a, block, [start], [count]): block(element, index) for each.
Value fn_aeval(const Args& a) {
  if (!a[1].is_array() || !a[2].is_callback()) return bad_args("AEVAL", 2017, a);
  const ArrayData& items = a[1].items();
  Range r = range_of(items, a[3], a[4]);
  for (std::size_t i = r.first; i < r.last && i < items.size(); ++i) {
    Value element = items[i];
    call_block(a[2], {element, Value::integer(static_cast<double>(i + 1))});
  }
  return a[1];
}

Value fn_atail(const Args& a) {
  if (!a[1].is_array() || a[1].items().empty()) return Value();
  return a[1].items().back();
}

}  // namespace

void register_array_functions() {
  add_function("ARRAY", fn_array);
  add_function("AADD", fn_aadd, false);
  add_function("ASIZE", fn_asize, false);
  add_function("ADEL", fn_adel, false);
  add_function("AINS", fn_ains, false);
  add_function("AFILL", fn_afill, false);
  add_function("ASCAN", fn_ascan, false);
  add_function("ASORT", fn_asort, false);
  add_function("ACOPY", fn_acopy, false);
  add_function("ACLONE", fn_aclone);
  add_function("AEVAL", fn_aeval, false);
  add_function("ATAIL", fn_atail);
}

}  // namespace codfix::expr
