#include "lib/errors/error_report.h"

#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/settings/value_text.h"
#include "platform/console/console.h"
#include "platform/dbf/work_areas.h"
#include "platform/printer/printer_output.h"
#include "platform/sys/environment.h"
#include "platform/text/codepage.h"

namespace codfix {
namespace {

std::string field_line(std::string_view label, const Value& v) {
  return pad_right(label, 11) + ": " + X_TO_C(v);
}

// "ALIAS*->ORDER1*, ORDER2 " for one work area.
std::string area_line(dbf::WorkArea& area, bool current) {
  std::string line = area.alias() + (current ? "*" : " ");
  if (area.order_count() > 0) {
    line += "->";
    for (int i = 1; i <= area.order_count(); ++i) {
      if (i > 1) line += ", ";
      line += area.order(i)->name() + (i == area.active_order() ? "*" : " ");
    }
  }
  return line;
}

}  // namespace

AutomationError& last_automation_error() {
  static AutomationError last;
  return last;
}

std::string error_report(const ErrorRecord& e) {
  Runtime& rt = Runtime::current();
  std::vector<std::string> lines;
  if (Value session = rt.vars.get("CFILESISTEMA"); session.is_text())
    lines.push_back(session.text());
  lines.push_back("Sistema Operacional: " + sys::os_name_version());
  if (sys::terminal_services_session()) lines.push_back("Modo: WTS");
  lines.push_back(sys::platform_version());

  const Value fields[][2] = {
      {Value("SubSystem"), Value(e.subsystem)},
      {Value("SubCode"), Value(e.subcode)},
      {Value("Description"), Value(e.description)},
      {Value("Operation"), Value(e.operation)},
      {Value("FileName"), Value(e.filename)},
      {Value("OsCode"), Value(e.oscode)},
      {Value("Args"), Value::array(e.args)},
      {Value("CanDefault"), Value(e.can_default)},
      {Value("CanRetry"), Value(e.can_retry)},
      {Value("CanSubstit"), Value(e.can_substitute)},
      {Value("Cargo"), e.cargo},
      {Value("GenCode"), Value(e.gencode)},
      {Value("Severity"), Value(e.severity)},
      {Value("Tries"), Value(e.tries)},
  };
  for (const auto& [label, value] : fields) lines.push_back(field_line(label.text(), value));
  lines.emplace_back();

  const RuntimeSettings& s = rt.settings;
  const printer::PrinterState printer = printer::current().state();
  lines.push_back(field_line("LASTKEY", Value(console::current().keyboard().last_key())));
  lines.push_back(field_line("DATE FORMAT", Value(effective_date_format(s.dates))));
  lines.push_back(field_line("PATH", Value(s.path)));
  lines.push_back(field_line("DEFAULT", Value(s.default_folder)));
  lines.push_back(field_line("DELETED", Value(s.deleted)));
  lines.push_back(field_line("DEVICE", Value(s.device)));
  lines.push_back(field_line("EXTRA", Value(false)));  // no extra output file here
  lines.push_back(field_line("EXTRAFILE", Value("")));
  lines.push_back(field_line("PRINTER", Value(printer.printing)));
  lines.push_back(field_line("PRINTFILE", Value(printer.file)));

  if (text::upper(e.operation).find("TOLEAUTO") != std::string::npos) {
    const AutomationError& a = last_automation_error();
    lines.push_back("(" + a.text + " " + std::to_string(a.code) + ")");
  }

  lines.push_back(std::string(6, '-') + "Rotinas" + std::string(7, '-'));
  for (const std::string& level : rt.calls.chain(2)) lines.push_back(level);

  dbf::WorkAreas* areas = dbf::WorkAreas::current_areas();
  if (areas && !areas->open_areas().empty()) {
    lines.push_back(std::string(12, '-') + "Tabelas abertas" + std::string(13, '-'));
    for (const auto& [number, area] : areas->open_areas()) {
      if (number >= 1 && number <= 150)
        lines.push_back(area_line(*area, number == areas->current_area()));
    }
  }

  std::string report;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) report += "\r\n";
    report += lines[i];
  }
  return report;
}

}  // namespace codfix
