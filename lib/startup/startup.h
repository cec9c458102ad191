// What every program of the family does before its entry routine and after it.
//
// INICIAR$ (start-up): the date format, the break key (code 256) bound to FECHAX,
// Alt+F1 bound to SHORTCUT when the shortcut routines exist, the session file
// (.usr) held open, the table drivers from the program's settings file
// (CODFIX.CFG), code page 850 and Portuguese platform messages. It registers
// FINALIZAR$ as a shut-down procedure of the run-time context.
//
// FINALIZAR$ (shut-down): ends the SQL back-end (a placeholder) and closes and
// deletes the session file.
//
// Routine names that are not C++ identifiers follow one rule: a '$' is written
// "_S" (INICIAR$ is INICIAR_S); a leading '_' moves to the end (routines.h).
//
// run_program() is what a program's main calls: it installs the error handler,
// runs start-up, the entry routine and shut-down, and returns the exit code (0,
// or 1 when the error handler ended the program).
#pragma once

#include <functional>

#include "lib/core/value.h"

namespace codfix {

void INICIAR_S();
void FINALIZAR_S();

// FREETSLICE: gives nothing back to the system; does nothing.
void FREETSLICE();

// Registers INICIAR$, FINALIZAR$, NOME_APLICACAO, ISDBSQL, USUARIOSATIVOS,
// FREETSLICE, the SQL placeholders, CHKCFG, NUMFILES and CHKSTD.
void register_startup_routines();

// Registers the routines start-up and the error handler call by name (and their
// own), installs the error handler (ERRORSYS), runs INICIAR$, `main_routine`
// and the shut-down procedures (also after the program was ended by the error
// handler), and returns the exit code.
int run_program(const std::function<void()>& main_routine);

}  // namespace codfix
