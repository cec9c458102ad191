#include "platform/dbf/table_dump.h"

#include <cstdio>

namespace codfix::dbf {

std::string format_info(const Table& table) {
  const TableHeader& h = table.header();
  char version[8];
  std::snprintf(version, sizeof version, "0x%02X", h.version);
  std::string out = "version " + std::string(version) + "\n";
  out += "records " + std::to_string(h.record_count) + "\n";
  out += "header_length " + std::to_string(h.header_length) + "\n";
  out += "record_length " + std::to_string(h.record_length) + "\n";
  out += "memo ";
  out += h.memo == MemoKind::kDbt ? "dbt" : h.memo == MemoKind::kFpt ? "fpt" : "none";
  out += "\n";
  for (const Field& f : h.fields) {
    if (f.hidden()) continue;
    out += f.name + " " + f.type + " " + std::to_string(f.length) + " " +
           std::to_string(f.decimals) + "\n";
  }
  return out;
}

void escape_memo(std::string_view text, std::string& out) {
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
}

Failure dump_record(Table& table, std::string& line) {
  line.clear();
  line += table.deleted() ? '*' : ' ';
  const std::vector<Field>& fields = table.fields();
  for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
    const Field& f = fields[static_cast<size_t>(i)];
    if (f.hidden()) continue;
    line += '|';
    if (f.is_memo()) {
      Value v;
      if (Failure failure = table.get(i, v)) return failure;
      escape_memo(v.text(), line);
    } else {
      line += table.field_bytes(i);
    }
  }
  return {};
}

}  // namespace codfix::dbf
