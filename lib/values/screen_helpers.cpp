#include "lib/values/screen_helpers.h"

#include "lib/core/active_field.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "platform/console/console.h"
#include "platform/text/codepage.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

}  // namespace

std::string GT() {
  Routines& r = routines();
  SessionVars& vars = Runtime::current().vars;
  bool mouse = r.exists("VLMOUSEOFF");
  if (mouse) {
    vars.set("LATIVAMOUSE", r.call("VLSETMOUSE", {}));
    r.call("VLMOUSEOFF", {});
  }
  std::string image = console::current().save_all();
  if (mouse && vars.get("LATIVAMOUSE").logical_or(false)) {
    Value on[] = {Value(true)};
    r.call("VLSETMOUSE", on);
  }
  vars.set("CRETORNO", Value(image));
  return image;
}

void RT(std::string_view image) {
  console::current().restore_all(image);
}

bool PADX(bool allow_empty, std::string_view fill, std::string_view align,
          std::string_view variable, bool keep_empty, int width) {
  ActiveField* field = active_field();
  SessionVars& vars = Runtime::current().vars;
  bool use_field = variable.empty() && field;
  Value current = use_field ? field->value() : vars.get(variable);
  std::string value = current.text_or("");
  std::size_t length = value.size();
  std::size_t target = width < 0 ? length : static_cast<std::size_t>(width);
  if (keep_empty && current.empty()) return true;
  if (!allow_empty && current.empty()) return false;
  std::string t(trim(value));
  char f = fill.empty() ? ' ' : fill.front();
  if (align == "E" || align == "e") {
    t = pad_left(t, target, f);
  } else if (align == "D" || align == "d") {
    t = pad_right(t, target, f);
  } else if (align == "C" || align == "c") {
    std::size_t left = t.size() < target ? (target - t.size()) / 2 : 0;
    t = pad_right(std::string(left, f) + t, target, f);
  }
  if (target != length) t = pad_right(t, length);
  if (use_field) {
    field->assign(Value(t));
    field->redisplay();
  } else {
    vars.set(variable, Value(t));
  }
  return true;
}

bool SN(std::string_view colour) {
  ActiveField* field = active_field();
  if (!field) return false;
  std::string v = text::upper(trim(field->value().text_or("")));
  if (v != "S" && v != "N") return false;
  SessionVars& vars = Runtime::current().vars;
  std::string c(colour.empty() ? "B/W" : colour);
  if (vars.get("LCONFCOR").logical_or(false)) c = vars.get("CCORSAY").text_or(c);
  console::Console& con = console::current();
  int row = con.row(), col = con.col();
  con.say(row, col - 1, v == "S" ? std::string_view("Sim") : "Nâo"_cp850,
          console::colour_attribute(c));
  con.set_pos(row, col);
  return true;
}

void register_screen_helpers() {
  Routines& r = routines();
  r.add("GT", [](const Args&) { return Value(GT()); });
  r.add("RT", [](const Args& a) {
    RT(a.text(1));
    return Value();
  });
  r.add("PADX", [](const Args& a) {
    return Value(PADX(a.logical(1, true), a.text(2, "0"), a.text(3, "E"), a.text(4, ""),
                      a.logical(5, false), a.given(6) ? a.integer(6) : -1));
  });
  r.add("SN", [](const Args& a) { return Value(SN(a.text(1, "B/W"))); });
}

}  // namespace codfix
