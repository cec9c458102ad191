#include "lib/settings/colour_scheme.h"

#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/core/work_area_host.h"
#include "platform/console/console.h"
#include "platform/sys/environment.h"

namespace codfix {
namespace {

struct ColourVar {
  const char* name;
  const char* fallback;
  const char* field;  // the CORES.DBF field of the configured value
};

constexpr ColourVar kColourVars[] = {
    {"CCORTELA", "BG+/N", "CORTELA"},  {"CCORTITULO", "N/BG", "CORTITULO"},
    {"CCORMENU", "N/W+", "CORMENU"},   {"CCORDESAT", "BG/W+", "CORDESAT"},
    {"CCORSAY", "B/W", "CORSAY"},      {"CCORJAN", "N/W,W+/N", "CORJAN"},
    {"CCORGET", "B/W,N/BG,,,B/W", ""}, {"CCORALERT", "W+/R", "CORALERT"},
    {"CCOROPC", "N/W", "COROPC"},      {"CCORAVISO", "N/BG", "CORAVISO"},
    {"CCORBARRA", "W/B", "CORBARRA"},  {"CCORDEST", "R/W", "CORDEST"},
};

}  // namespace

// CORES.DBF is opened through ABREARQ and walked with the table functions, all
// called by name: the table routines sit above this module.
bool LERCORES() {
  SessionVars& vars = Runtime::current().vars;
  for (const ColourVar& v : kColourVars) vars.declare_public(v.name, Value(v.fallback));
  vars.declare_public("NFONTE", Value(0));
  vars.declare_public("LCONFCOR", Value(false));
  Routines& r = routines();
  WorkAreaHost* areas = Runtime::current().work_areas;
  Value exists_args[] = {Value("CORES")};
  if (!areas || !r.call("EXISTETABELA", exists_args).logical_or(false)) return true;
  int previous = areas->current_area();
  Value open_args[] = {Value("CORES"), Value(), Value(3)};
  r.call("ABREARQ", open_args);
  auto field = [&](std::string_view name) {
    int pos = areas->field_pos(name);
    return pos > 0 ? areas->field_get(pos) : Value();
  };
  if (areas->field_pos("CONFCOR") > 0) {
    if (areas->field_pos("ESTACAO") > 0) {
      std::string station(trim(sys::host_name()));
      bool found = false;
      while (!r.call("EOF", {}).logical_or(true)) {
        std::string value(trim(field("ESTACAO").text_or("")));
        if (value.compare(0, station.size(), station) == 0) {
          found = true;
          break;
        }
        r.call("DBSKIP", {});
      }
      if (!found) r.call("DBGOTOP", {});
    }
    bool confcor = field("CONFCOR").logical_or(false);
    if (confcor) {
      for (const ColourVar& v : kColourVars)
        if (*v.field) vars.set(v.name, Value(field(v.field).text_or("")));
      std::string say = field("CORSAY").text_or("");
      vars.set("CCORGET", Value(say + "," + field("CORGET").text_or("") + ",,," + say));
      Value font = field("FONTE");
      vars.set("NFONTE", font.is_number() ? font : Value(0));
    }
    vars.set("LCONFCOR", Value(confcor));
  }
  r.call("DBCLOSEAREA", {});
  areas->select_area(previous);
  return true;
}

Value TROCACOR(std::string_view old_colour, std::string_view new_colour, int top, int left,
               int bottom, int right) {
  console::Attr from = console::colour_attribute(old_colour);
  console::Attr to = console::colour_attribute(new_colour);
  console::Console& con = console::current();
  console::Screen& s = con.screen();
  for (int r = top; r <= bottom; ++r)
    for (int c = left; c <= right; ++c)
      if (s.inside(r, c) && s.cell(r, c).attr == from) s.set_attr(r, c, to);
  con.refresh();
  return Value::array({Value(std::string(old_colour)), Value(std::string(new_colour)), Value(top),
                       Value(left), Value(bottom), Value(right)});
}

Value TROCACOR(const Value& undo) {
  if (undo.is_array() && undo.items().size() >= 6) {
    TROCACOR(undo.at(2).text_or(""), undo.at(1).text_or(""),
             static_cast<int>(undo.at(3).number_or(0)), static_cast<int>(undo.at(4).number_or(0)),
             static_cast<int>(undo.at(5).number_or(0)), static_cast<int>(undo.at(6).number_or(0)));
  }
  return Value::array(0);
}

void register_colour_routines() {
  Routines& r = routines();
  r.add("LERCORES", [](const Args&) { return Value(LERCORES()); });
  r.add("TROCACOR", [](const Args& a) {
    if (a[1].is_array()) return TROCACOR(a[1]);
    return TROCACOR(a.text(1), a.text(2), a.integer(3), a.integer(4), a.integer(5), a.integer(6));
  });
}

}  // namespace codfix
