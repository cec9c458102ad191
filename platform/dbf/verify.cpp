#include "platform/dbf/verify.h"

#include <map>

#include "lib/core/date.h"
#include "lib/core/runtime.h"
#include "platform/dbf/cdx_order.h"
#include "platform/dbf/field_codec.h"
#include "platform/dbf/work_areas.h"

namespace codfix::dbf {

namespace {

// Collects problems per file, keeping at most `limit` of each.
class Findings {
 public:
  explicit Findings(size_t limit) : limit_(limit) {}
  void add(const std::string& file, std::string reason) {
    size_t& n = counts_[file];
    if (n++ < limit_) out_.push_back({file, std::move(reason)});
  }
  void add(const Failure& f, const std::string& fallback_file) {
    add(f.filename.empty() ? fallback_file : f.filename,
        f.detail.empty() ? describe_gencode(f.gencode) : f.detail);
  }
  std::vector<VerifyProblem> finish() {
    for (const auto& [file, n] : counts_) {
      if (n > limit_) out_.push_back({file, std::to_string(n - limit_) + " more problems"});
    }
    return std::move(out_);
  }

 private:
  size_t limit_;
  std::map<std::string, size_t> counts_;
  std::vector<VerifyProblem> out_;
};

// Runs with an error handler that turns raised errors into findings.
class CollectErrors {
 public:
  CollectErrors(Findings& findings, const std::string& file)
      : rt_(Runtime::current()), saved_(rt_.error_handler) {
    rt_.error_handler = [&findings, file](ErrorRecord& e) {
      std::string reason = e.description;
      if (e.cargo.is_text()) reason += ": " + e.cargo.text();
      if (!e.operation.empty()) reason += " (" + e.operation + ")";
      findings.add(e.filename.empty() ? file : e.filename, reason);
      return ErrorAnswer::fail();
    };
  }
  ~CollectErrors() { rt_.error_handler = saved_; }
  CollectErrors(const CollectErrors&) = delete;
  CollectErrors& operator=(const CollectErrors&) = delete;

 private:
  Runtime& rt_;
  ErrorHandler saved_;
};

void check_records(WorkArea& area, Findings& findings) {
  Table& t = area.table();
  const std::string& file = t.path();
  std::string detail;
  if (Failure f = t.check_size(detail)) findings.add(f, file);
  if (!detail.empty()) findings.add(file, detail);
  uint32_t n = 0;
  if (Failure f = t.count(n)) {
    findings.add(f, file);
    return;
  }
  Value v;
  for (uint32_t k = 1; k <= n; ++k) {
    if (Failure f = t.go(k)) {
      findings.add(f, file);
      return;
    }
    for (int i = 0; i < t.field_count(); ++i) {
      const Field& field = t.fields()[static_cast<size_t>(i)];
      if (Failure f = t.get(i, v)) {
        findings.add(f.filename.empty() ? file : f.filename, f.detail);
        continue;
      }
      if (field.type == 'D' && field.length == 8 && v.as_date().empty() &&
          t.field_bytes(i) != "        ") {
        findings.add(file, "record " + std::to_string(k) + ": field " + field.name + " holds '" +
                               std::string(t.field_bytes(i)) + "', not a date");
      }
    }
  }
}

void check_order(WorkArea& area, int number, Findings& findings) {
  Order& o = *area.order(number);
  Table& t = area.table();
  // Problems of a tag name it beside its compound file.
  const std::string file = cdx_bag_of(o) ? o.bag() + " (tag " + o.name() + ")" : o.bag();
  if (Failure f = o.check()) {
    findings.add(f, file);
    return;
  }
  uint32_t count = 0;
  if (Failure f = t.count(count)) {
    findings.add(f, t.path());
    return;
  }
  std::vector<uint8_t> seen(size_t{count} + 1, 0);
  std::map<std::string, bool> unique_keys;
  std::string key;
  uint64_t steps = 0;
  const uint64_t limit = uint64_t{count} * 2 + 10;
  Failure f = o.first();
  while (!f && !o.eof() && steps++ < limit) {
    const uint32_t r = o.recno();
    const std::string stored(o.key());
    if (r == 0 || r > count) {
      findings.add(file, "key '" + stored + "' points to record " + std::to_string(r) + " of " +
                             std::to_string(count));
    } else {
      if (seen[r]++) findings.add(file, "record " + std::to_string(r) + " has two keys");
      if (Failure g = t.go(r)) {
        findings.add(g, t.path());
      } else {
        bool passes = true;
        if (Failure g2 = o.eval_for(passes)) findings.add(g2, file);
        if (Failure g3 = o.eval_key(key)) findings.add(g3, file);
        if (key != stored) {
          findings.add(file, "record " + std::to_string(r) + ": key '" + stored +
                                 "' but its expression gives '" + key + "'");
        }
        if (!passes) {
          findings.add(file, "record " + std::to_string(r) + " is indexed but fails the FOR");
        }
      }
    }
    if (o.unique()) unique_keys[stored] = true;
    f = o.next();
  }
  if (f) {
    findings.add(f, file);
    return;
  }
  if (steps > limit) {
    findings.add(file, "the walk does not end (a loop in the pages)");
    return;
  }
  for (uint32_t r = 1; r <= count; ++r) {
    if (seen[r]) continue;
    if (Failure g = t.go(r)) {
      findings.add(g, t.path());
      return;
    }
    bool passes = true;
    if (Failure g = o.eval_for(passes)) findings.add(g, file);
    if (!passes) continue;
    if (o.unique()) {
      if (Failure g = o.eval_key(key)) findings.add(g, file);
      if (unique_keys.count(key)) continue;
    }
    findings.add(file, "record " + std::to_string(r) + " is missing from the index");
  }
}

}  // namespace

std::vector<VerifyProblem> verify_table(const std::string& table,
                                        const std::vector<std::string>& indexes, size_t limit,
                                        const std::string& driver) {
  Findings findings(limit);
  WorkAreas* areas = WorkAreas::current_areas();
  if (!areas) {
    findings.add(table, "no work areas in this context");
    return findings.finish();
  }
  CollectErrors collect(findings, table);
  UseOptions options;
  options.read_only = true;
  options.alias = "VERIFY__";
  options.driver = driver;
  const int number = areas->use(table, options);
  if (number == 0) return findings.finish();
  WorkArea& area = *areas->area(number);
  const bool deleted = Runtime::current().settings.deleted;
  Runtime::current().settings.deleted = false;
  {
    WorkAreas::Selected selected(*areas, number);
    check_records(area, findings);
    // The production index opened with the table, then every index given (all
    // the tags of a compound file).
    for (int n = 1; n <= area.order_count(); ++n) check_order(area, n, findings);
    for (const std::string& index : indexes) {
      const int before = area.order_count();
      if (!area.add_index(index)) continue;
      for (int n = before + 1; n <= area.order_count(); ++n) check_order(area, n, findings);
    }
  }
  Runtime::current().settings.deleted = deleted;
  areas->close_area(number);
  return findings.finish();
}

}  // namespace codfix::dbf
