// A small in-memory stand-in for the table engine's work areas: each area has an
// alias, a field list and one record buffer in the DBF layout (C padded text,
// N right-aligned digits, D YYYYMMDD, L T/F). Enough to test name resolution,
// alias switching and the key fast path without the table engine.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lib/core/date.h"
#include "lib/core/names.h"
#include "lib/core/number_text.h"
#include "lib/core/work_area_host.h"

namespace codfix::expr::testing {

struct FakeField {
  std::string name;
  char type = 'C';
  int width = 10;
  int decimals = 0;
};

class FakeWorkAreas : public WorkAreaHost {
 public:
  // Opens a table in the next area and selects it; returns the area number.
  int open(std::string alias, std::vector<FakeField> fields) {
    Area a;
    a.alias = upper_name(alias);
    a.fields = std::move(fields);
    for (const FakeField& f : a.fields) {
      a.offsets.push_back(a.record.size());
      a.record.append(static_cast<std::size_t>(f.width), ' ');
    }
    areas_.push_back(std::move(a));
    select_area(static_cast<int>(areas_.size()));
    return current_;
  }
  // Stores a value in a field of the current area (through field_put).
  void put(std::string_view field, const Value& v) { field_put(field_pos(field), v); }
  // Writes the stored bytes of a field as they are (to fake damaged contents).
  void put_raw(std::string_view field, std::string_view bytes) {
    int pos = field_pos(field);
    Area& a = *area();
    a.record.replace(a.offsets[static_cast<std::size_t>(pos - 1)], bytes.size(), bytes);
  }
  // Memo fields hold their text here instead of a block number.
  std::string memo_text;
  int selects = 0;  // how often select_area was called

  int current_area() const override { return current_; }
  void select_area(int area) override {
    ++selects;
    current_ = area;
    generation_ = next_layout_generation();
  }
  int area_of_alias(std::string_view alias) const override {
    for (std::size_t i = 0; i < areas_.size(); ++i)
      if (same_name(areas_[i].alias, alias)) return static_cast<int>(i + 1);
    return 0;
  }
  int field_pos(std::string_view name) const override {
    const Area* a = area();
    if (!a) return 0;
    for (std::size_t i = 0; i < a->fields.size(); ++i)
      if (same_name(a->fields[i].name, name)) return static_cast<int>(i + 1);
    return 0;
  }
  Value field_get(int pos) override {
    const FakeField& f = field(pos);
    std::string_view bytes = field_bytes(pos);
    switch (f.type) {
      case 'N': {
        std::string s(bytes);
        double v = std::strtod(s.c_str(), nullptr);
        if (f.decimals > 0) return Value::number(v, f.width - f.decimals - 1, f.decimals);
        return Value::number(v, f.width, 0);
      }
      case 'D':
        return Value(dtos_to_date(bytes));
      case 'L':
        return Value(bytes == "T" || bytes == "Y");
      case 'M':
        return Value::memo(memo_text);
      default:
        return Value(bytes);
    }
  }
  void field_put(int pos, const Value& v) override {
    const FakeField& f = field(pos);
    std::string bytes;
    switch (f.type) {
      case 'N':
        bytes = format_fixed(v.number_or(0), f.width, f.decimals);
        break;
      case 'D':
        bytes = date_to_dtos(v.is_date() ? v.as_date() : Date{});
        break;
      case 'L':
        bytes = v.logical_or(false) ? "T" : "F";
        break;
      case 'M':
        memo_text = v.text_or("");
        return;
      default:
        bytes = v.text_or("");
        bytes.resize(static_cast<std::size_t>(f.width), ' ');
    }
    Area& a = *area();
    a.record.replace(a.offsets[static_cast<std::size_t>(pos - 1)], bytes.size(), bytes);
  }
  FieldInfo field_info(int pos) const override {
    const FakeField& f = field(pos);
    return {f.type, f.width, f.decimals};
  }
  std::string_view field_bytes(int pos) const override {
    const Area& a = *area();
    return std::string_view(a.record).substr(a.offsets[static_cast<std::size_t>(pos - 1)],
                                             static_cast<std::size_t>(field(pos).width));
  }
  uint64_t layout_generation() const override { return generation_; }

 private:
  struct Area {
    std::string alias;
    std::vector<FakeField> fields;
    std::vector<std::size_t> offsets;
    std::string record;
  };
  Area* area() {
    return current_ >= 1 && current_ <= static_cast<int>(areas_.size()) ? &areas_[current_ - 1]
                                                                        : nullptr;
  }
  const Area* area() const { return const_cast<FakeWorkAreas*>(this)->area(); }
  const FakeField& field(int pos) const {
    return area()->fields[static_cast<std::size_t>(pos - 1)];
  }

  std::vector<Area> areas_;
  int current_ = 0;
  uint64_t generation_ = next_layout_generation();
};

}  // namespace codfix::expr::testing
