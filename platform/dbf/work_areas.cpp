#include "platform/dbf/work_areas.h"

#include "lib/core/names.h"
#include "platform/dbf/table_errors.h"
#include "platform/filelock/memory_space.h"

namespace codfix::dbf {

WorkAreas::WorkAreas() : runtime_(Runtime::current()), previous_host_(runtime_.work_areas) {
  runtime_.work_areas = this;
}

WorkAreas::~WorkAreas() {
  close_all();
  if (runtime_.work_areas == this) runtime_.work_areas = previous_host_;
}

WorkAreas* WorkAreas::current_areas() {
  return dynamic_cast<WorkAreas*>(Runtime::current().work_areas);
}

int WorkAreas::lowest_free() const {
  int n = 1;
  for (const auto& [number, area] : areas_) {
    if (number != n) break;
    ++n;
  }
  return n;
}

void WorkAreas::select(int n) {
  if (n <= 0) n = lowest_free();
  if (n == current_) return;
  current_ = n;
  auto it = areas_.find(n);
  current_ptr_ = it == areas_.end() ? nullptr : it->second.get();
  generation_ = next_layout_generation();
}

bool WorkAreas::select(std::string_view alias) {
  int n = area_of_alias(alias);
  if (n == 0) return false;
  select(n);
  return true;
}

WorkArea* WorkAreas::area(int n) {
  if (n == current_) return current_ptr_;
  auto it = areas_.find(n);
  return it == areas_.end() ? nullptr : it->second.get();
}

std::string WorkAreas::default_alias(std::string_view path) const {
  std::string_view name = path;
  if (filelock::is_memory_name(name)) name.remove_prefix(4);
  size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  size_t dot = name.find('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  std::string alias = upper_name(name);
  while (!alias.empty() && alias.back() == ' ') alias.pop_back();
  for (char& c : alias) {
    if (c == ' ') c = '_';
  }
  return alias;
}

int WorkAreas::area_of_alias(std::string_view alias) const {
  std::string want = upper_name(alias);
  while (!want.empty() && want.back() == ' ') want.pop_back();
  while (!want.empty() && want.front() == ' ') want.erase(0, 1);
  for (const auto& [number, area] : areas_) {
    if (area->alias() == want) return number;
  }
  return 0;
}

int WorkAreas::use(std::string_view path, const UseOptions& options) {
  runtime_.net_error = false;
  if (options.new_area) select(0);
  if (current_ptr_) close_area(current_);
  const int number = current_;
  const std::string driver =
      options.driver.empty() ? runtime_.settings.default_driver : upper_name(options.driver);
  std::string alias = options.alias.empty() ? default_alias(path) : upper_name(options.alias);
  while (!alias.empty() && alias.back() == ' ') alias.pop_back();
  if (int other = area_of_alias(alias); other != 0 || alias.empty()) {
    Failure f{gen::kOpen, 1011, 0, std::string(path), "alias already in use", alias};
    raise_failure(f, driver);
    return 0;
  }
  OpenOptions open;
  open.exclusive = options.exclusive;
  open.read_only = options.read_only;
  open.driver = driver;
  std::unique_ptr<Table> table;
  bool ok = with_retry(driver, {true, true}, [&] {
    Failure f;
    table = Table::open(path, open, f);
    return f;
  });
  if (!ok) return 0;
  auto area = std::make_unique<WorkArea>(*this, number, std::move(table), alias);
  WorkArea* a = area.get();
  areas_[number] = std::move(area);
  current_ptr_ = a;
  generation_ = next_layout_generation();
  a->go_top();
  if (!a->open_production_index()) {
    close_area(number);
    return 0;
  }
  return number;
}

bool WorkAreas::create(std::string_view path, const Structure& structure,
                       const std::string& driver_name) {
  const std::string driver =
      driver_name.empty() ? runtime_.settings.default_driver : upper_name(driver_name);
  std::unique_ptr<Table> table;
  bool ok = with_retry(driver, {true, true}, [&] {
    Failure f;
    table = Table::create(path, structure, driver, f);
    return f;
  });
  if (!ok) return false;
  Failure f = table->close();
  if (f) raise_failure(f, driver);
  return !f;
}

void WorkAreas::close_area(int n) {
  auto it = areas_.find(n);
  if (it == areas_.end()) return;
  it->second->close();
  areas_.erase(it);
  if (n == current_) current_ptr_ = nullptr;
  generation_ = next_layout_generation();
}

void WorkAreas::close_all() {
  while (!areas_.empty()) close_area(areas_.begin()->first);
}

int WorkAreas::field_pos(std::string_view name) const {
  if (!current_ptr_) return 0;
  return current_ptr_->table().field_index(name) + 1;
}

Value WorkAreas::field_get(int pos) {
  if (!current_ptr_) return {};
  return current_ptr_->get(pos - 1);
}

void WorkAreas::field_put(int pos, const Value& v) {
  if (current_ptr_) current_ptr_->put(pos - 1, v);
}

WorkAreaHost::FieldInfo WorkAreas::field_info(int pos) const {
  if (!current_ptr_) return {};
  const Field& f = current_ptr_->table().fields()[static_cast<size_t>(pos - 1)];
  return {f.type, f.length, f.decimals};
}

std::string_view WorkAreas::field_bytes(int pos) const {
  if (!current_ptr_) return {};
  return current_ptr_->table().field_bytes(pos - 1);
}

}  // namespace codfix::dbf
