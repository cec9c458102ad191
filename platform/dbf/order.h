// Order: one index order attached to a work area (an NTX file, or a CDX tag),
// behind one interface so the work area does not care which driver made it.
//
// An order evaluates its own key and FOR condition on the table's current record;
// callers make the table's work area current first (expressions read the fields
// of the current area). Keys are the driver's byte form, compared in the order's
// own order. Walking goes through the order's single cursor: first/last/next/prev,
// seek and find; after each move recno() is the record under the cursor (0 at eof
// or bof).
//
// Failures carry the index file's name; a damaged file is 32/1012.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "lib/core/value.h"
#include "platform/dbf/failure.h"
#include "platform/indexing/key_sorter.h"

namespace codfix::dbf {

class Order {
 public:
  virtual ~Order() = default;

  // Description.
  virtual std::string name() const = 0;      // order name, upper case
  virtual std::string bag() const = 0;       // the index file as found on disk
  virtual std::string key_text() const = 0;  // the key expression as stored
  virtual std::string for_text() const = 0;  // the FOR condition; empty when none
  virtual bool unique() const = 0;
  virtual bool descending() const = 0;
  virtual char key_type() const = 0;  // C, N, D or L
  virtual int key_size() const = 0;
  // The index asks for the extended record-lock base (NTX header flag 0x10).
  virtual bool extended_locking() const { return false; }

  // Keys of the current record (its work area current).
  virtual Failure eval_key(std::string& key) = 0;
  // Whether the current record passes the FOR condition (true without one).
  virtual Failure eval_for(bool& passes) = 0;
  // The bytes a SEEK for `v` looks for (text may be shorter than the key).
  virtual Failure seek_key(const Value& v, std::string& out) = 0;
  // The value a stored key stands for.
  virtual Value key_value(std::string_view key) const = 0;

  // Changes. update_begin()/update_end() hold the index's write lock across the
  // changes of one record (shared files); insert and remove take it themselves
  // otherwise. remove() of an entry that is not there fails with 32/1012 unless the
  // order is unique or partial (where a missing entry is normal).
  virtual Failure update_begin() = 0;
  virtual Failure update_end() = 0;
  virtual Failure insert(std::string_view key, uint32_t recno) = 0;
  virtual Failure remove(std::string_view key, uint32_t recno) = 0;

  // Walking.
  virtual Failure first() = 0;
  virtual Failure last() = 0;
  virtual Failure next() = 0;
  virtual Failure prev() = 0;
  // First key beginning with `key` (last such key with `last`); when none, the
  // cursor stays where it would be (possibly eof) and `found` is false.
  virtual Failure seek(std::string_view key, bool last, bool& found) = 0;
  // The entry (key, recno); when missing, as seek() with the whole key.
  virtual Failure find(std::string_view key, uint32_t recno, bool& found) = 0;
  virtual bool eof() const = 0;
  virtual bool bof() const = 0;
  virtual uint32_t recno() const = 0;
  virtual std::string_view key() const = 0;
  // 1-based place of the cursor's key; 0 off the keys.
  virtual Failure position(uint64_t& n) = 0;
  virtual Failure go_to_position(uint64_t n, bool& found) = 0;
  virtual Failure key_count(uint64_t& n) = 0;

  // Structural check of the whole file (pages, order, free list).
  virtual Failure check() = 0;
};

// A new order being filled with the keys of every record, in physical order, then
// written in one pass.
class OrderBuild {
 public:
  virtual ~OrderBuild() = default;
  virtual Failure eval_key(std::string& key) = 0;
  virtual Failure eval_for(bool& passes) = 0;
  virtual bool has_for() const = 0;
  virtual char key_type() const = 0;  // C, N, D or L
  virtual int key_size() const = 0;
  virtual Failure add(std::string_view key, uint32_t recno) = 0;
  // `count` keys (key_size() bytes each, one after the other) of the records
  // from `first_recno` on, into part `part` (below kScanParts): each part may be
  // filled by its own thread at the same time as the others.
  static constexpr unsigned kScanParts = indexing::KeySorter::kParts;
  virtual Failure add_run(unsigned part, const char* keys, size_t count, uint32_t first_recno) = 0;
  // The number of records the build reads (the table's record count).
  virtual void set_record_count(uint32_t count) = 0;
  // Marks the index as built from part of the table (its build was stopped), so
  // that entries it lacks are not taken for damage later.
  virtual void mark_partial() = 0;
  // Writes the file and opens it as an order.
  virtual Failure finish(std::unique_ptr<Order>& order) = 0;
};

}  // namespace codfix::dbf
