#include "lib/values/template_helpers.h"

#include "lib/core/date.h"
#include "lib/core/number_text.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/settings/memo_file.h"
#include "lib/settings/value_text.h"
#include "platform/dialogs/alert.h"
#include "platform/expr/expr.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

// A value as CONCAT appends it.
std::string piece_text(const Value& v) {
  if (v.is_text()) return v.text();
  if (v.is_number()) return number_text(v.num());
  return X_TO_C(v);
}

}  // namespace

std::string CONCAT(std::string_view model_arg, std::string_view delimiter, bool trim_it,
                   const Value& if_empty) {
  if (delimiter.empty()) delimiter = "|";
  std::string_view rest = trim_it ? trim(model_arg) : model_arg;
  SessionVars& vars = Runtime::current().vars;
  std::string out;
  for (std::size_t at;
       (at = rest.find(delimiter)) != std::string_view::npos && rest != delimiter;) {
    out.append(rest.substr(0, at));
    rest.remove_prefix(at + delimiter.size());
    std::size_t end = rest.find(delimiter);
    std::string_view expression = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + delimiter.size());
    if (!vars.exists("CHKCONCAT") && expr::type_of(expression).front() == 'U') {
      dialogs::alert(std::string("Atençäo;Expressao inválida;"_cp850) + std::string(expression) +
                         std::string(";Verificar configuraçäo "_cp850),
                     {});
      return {};
    }
    Value debug = vars.get("DBGCONCAT");
    if (debug.is_logical() && debug.logical()) MEMOWRITE("CONCAT.LOG", expression);
    Value v = expr::evaluate(expression);
    if (!if_empty.is_nil() && v.empty()) v = if_empty;
    out += piece_text(v);
  }
  out.append(rest);
  return out;
}

Value EXTRAI_MAT(const Value& data, std::string_view expression, std::string_view condition,
                 const Value& separator) {
  RoutineScope scope("EXTRAI_MAT", "FUNCOES.PRG");
  SessionVars& vars = Runtime::current().vars;
  bool as_array = separator.is_nil() || separator.text_or("") == "{}";
  std::vector<Value> values;
  std::string joined;
  bool first = true;
  expr::ExpressionPtr value_expr = expr::compile(expression);
  expr::ExpressionPtr for_expr = trim(condition).empty() ? nullptr : expr::compile(condition);
  std::size_t count = data.is_array() ? data.items().size() : 0;
  for (std::size_t i = 1; i <= count; ++i) {
    vars.declare_private("N_ELEM", Value(static_cast<int>(i)));
    if (for_expr) {
      Value ok = for_expr->eval();
      if (!(ok.is_logical() && ok.logical())) continue;
    }
    Value v = value_expr ? value_expr->eval() : Value();
    if (as_array) {
      values.push_back(v);
    } else {
      if (!first) joined += separator.text_or("");
      joined += X_TO_C(v);
      first = false;
    }
  }
  if (as_array) return Value::array(std::move(values));
  return Value(joined);
}

int LARGURA(std::string_view expression, std::string_view type) {
  Value v = expr::evaluate(expression);
  bool decimals = type == "D" || type == "d";
  if (v.is_number()) {
    std::string s(trim(number_text(v.num())));
    if (!decimals) return static_cast<int>(number_text(v.num()).size());
    std::size_t point = s.find('.');
    int n = point == std::string::npos ? 0 : static_cast<int>(s.size() - point - 1);
    Runtime::current().vars.set("NDECIMAL", Value(n));
    return n;
  }
  if (decimals) return 0;
  if (v.is_date())
    return static_cast<int>(date_to_text(v.as_date(), Runtime::current().settings.dates).size());
  if (v.is_text()) return static_cast<int>(v.text().size());
  if (v.is_array()) return static_cast<int>(v.items().size());
  return 0;
}

void register_template_helpers() {
  Routines& r = routines();
  r.add("CONCAT", [](const Args& a) {
    return Value(CONCAT(a.text(1), a.text(2, "|"), a.logical(3, true), a[4]));
  });
  r.add("EXTRAI_MAT", [](const Args& a) { return EXTRAI_MAT(a[1], a.text(2), a.text(3), a[4]); });
  r.add("LARGURA", [](const Args& a) { return Value(LARGURA(a.text(1), a.text(2))); });
}

}  // namespace codfix
