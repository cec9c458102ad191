// Expression-driven helpers: CONCAT (templates with expressions between
// delimiters), EXTRAI_MAT (values of an expression over an array) and LARGURA
// (the width of an expression's value).
#pragma once

#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

// An invalid expression shows the alert "Atençäo;Expressao inválida;..." and
// gives "" (unless the session variable CHKCONCAT exists).
std::string CONCAT(std::string_view model, std::string_view delimiter = "|", bool trim_it = true,
                   const Value& if_empty = Value());
Value EXTRAI_MAT(const Value& data, std::string_view expression, std::string_view condition,
                 const Value& separator = Value());
int LARGURA(std::string_view expression, std::string_view type = "");

void register_template_helpers();

}  // namespace codfix
