// FECHAX: what the break key (Ctrl+C, the terminal closing) does during a run:
// logs "Fechamento forçado", tells the operator to leave through the menu's
// "Fim" option, logs "Fechamento Abortado", and the run goes on.
#pragma once

namespace codfix {

void FECHAX();

void register_fechax_routine();

}  // namespace codfix
