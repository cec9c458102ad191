// WorkAreas: the numbered work areas of a run-time context, their aliases and the
// current one. It is the context's WorkAreaHost: expressions find fields of the
// current area through it. Creating a WorkAreas installs it in the current
// run-time context; destroying it closes every table and uninstalls it.
//
// Alias rules: upper case; by default the table's file name without folder,
// extension or MEM: prefix, blanks made '_'. Two areas cannot share an alias.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "lib/core/runtime.h"
#include "lib/core/work_area_host.h"
#include "platform/dbf/table.h"
#include "platform/dbf/work_area.h"

namespace codfix::dbf {

struct UseOptions {
  bool new_area = true;  // open in the lowest free area (else in the current one)
  bool exclusive = false;
  bool read_only = false;
  std::string alias;   // empty: from the file name
  std::string driver;  // empty: the context's default driver
};

class WorkAreas : public WorkAreaHost {
 public:
  WorkAreas();
  ~WorkAreas() override;
  WorkAreas(const WorkAreas&) = delete;
  WorkAreas& operator=(const WorkAreas&) = delete;

  // The WorkAreas installed in the current context, nullptr when none.
  static WorkAreas* current_areas();

  // Opens a table. The network-error flag is cleared first; an open refused
  // because of another user raises 21 with OS code 32, retry and default
  // allowed. Returns the area number, 0 when the open failed.
  int use(std::string_view path, const UseOptions& options = {});
  // Creates a table; with `open` it is then opened (exclusively) like use().
  bool create(std::string_view path, const Structure& structure, const std::string& driver = {});
  void close_area(int area);
  void close_all();

  WorkArea* area(int n);  // nullptr when not in use
  WorkArea* current() { return area(current_); }
  // Selects by number (0: the lowest free area) or alias; false when no area has
  // the alias.
  void select(int n);
  bool select(std::string_view alias);
  int lowest_free() const;
  std::string default_alias(std::string_view path) const;
  const std::map<int, std::unique_ptr<WorkArea>>& open_areas() const { return areas_; }

  // Evaluates with another area selected, then selects the previous one again.
  template <class F>
  auto in_area(int n, F&& f) {
    Selected s(*this, n);
    return f();
  }

  // Selects an area for its lifetime.
  class Selected {
   public:
    Selected(WorkAreas& areas, int n) : areas_(areas), previous_(areas.current_) {
      if (n != previous_) areas_.select(n);
    }
    ~Selected() {
      if (areas_.current_ != previous_) areas_.select(previous_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

   private:
    WorkAreas& areas_;
    int previous_;
  };

  // WorkAreaHost.
  int current_area() const override { return current_; }
  void select_area(int area) override { select(area); }
  int area_of_alias(std::string_view alias) const override;
  int field_pos(std::string_view name) const override;
  Value field_get(int pos) override;
  void field_put(int pos, const Value& v) override;
  FieldInfo field_info(int pos) const override;
  std::string_view field_bytes(int pos) const override;
  uint64_t layout_generation() const override { return generation_; }

  // Bumped by the areas when their tables change shape (open, close).
  void bump() { generation_ = next_layout_generation(); }

 private:
  Runtime& runtime_;
  WorkAreaHost* previous_host_;
  std::map<int, std::unique_ptr<WorkArea>> areas_;
  int current_ = 1;
  WorkArea* current_ptr_ = nullptr;
  uint64_t generation_ = next_layout_generation();
};

}  // namespace codfix::dbf
