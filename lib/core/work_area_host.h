// What the expression evaluator and the library need from the table engine's work
// areas, without depending on it: field lookup in the current area, area
// selection by alias or number. The table engine implements it and installs it
// in the run-time context.
#pragma once

#include <cstdint>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

class WorkAreaHost {
 public:
  virtual ~WorkAreaHost() = default;

  // The current work area's number (1-based), and selecting another one.
  virtual int current_area() const = 0;
  virtual void select_area(int area) = 0;
  // Area number of an alias (case-insensitive), 0 when no area has it.
  virtual int area_of_alias(std::string_view alias) const = 0;

  // Position (1-based) of a field of the current area's table, 0 when there is
  // no such field or no table in use.
  virtual int field_pos(std::string_view name) const = 0;
  // Reads / writes a field of the current area's current record. Failures go
  // through the error handler.
  virtual Value field_get(int pos) = 0;
  virtual void field_put(int pos, const Value& v) = 0;

  // Raw access for fast key evaluation: the field's type letter, width and
  // decimals, and its stored bytes in the current record buffer (valid until the
  // record moves or the field is written).
  struct FieldInfo {
    char type = 'C';
    int width = 0;
    int decimals = 0;
  };
  virtual FieldInfo field_info(int pos) const = 0;
  virtual std::string_view field_bytes(int pos) const = 0;

  // Changes whenever a table is opened or closed or the current area changes, so
  // that cached field positions can be checked cheaply. Compiled expressions
  // outlive hosts, so a value must never come back for another layout, not even
  // from a host created where an earlier one lived: take each new value from
  // next_layout_generation().
  virtual uint64_t layout_generation() const = 0;
};

// A process-wide source of layout generations; never returns the same value twice.
inline uint64_t next_layout_generation() {
  static uint64_t counter = 0;
  return ++counter;
}

}  // namespace codfix
