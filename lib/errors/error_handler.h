// The run-time error handler every program of the family installs at start-up.
//
// ERRORSYS makes DEFERROR the run-time context's error handler. DEFERROR turns a
// table held by another station (open error 21 with OS code 32) and a failed
// append lock (40) into the network-error flag, answers a division by zero with
// 0, and for everything else writes a report to ERRO.LOG, explains the error in
// Portuguese in an alert box whose buttons depend on the kind of error, and acts
// on the operator's choice: retry, give up (default), create the missing folder
// or connect the printer port and retry, or end the program (_SAIR). Esc shows
// the box again. When the box can get no answer (no terminal) the message and
// the chain of routines go to the error stream and the program ends with exit
// code 1.
//
// Ending the program throws ProgramExit (quit_program); the caller of the
// entry routine catches it and runs the shut-down procedures.
#pragma once

#include "lib/core/error.h"

namespace codfix {

// Installs DEFERROR as the current run-time context's error handler.
void ERRORSYS();

// The handler itself; the caller is the handler's callback (see ERRORSYS).
ErrorAnswer DEFERROR(ErrorRecord& e);

// _SAIR: writes the error line and the chain of routines to the error stream,
// closes every table, waits for a key and ends the program with exit code 1.
[[noreturn]] void SAIR_(const ErrorRecord& e);

// Registers ERRORSYS, DEFERROR, ERRORMESSAGE, _DOSMSG and _SAIR, and a CAPIMP
// that reports failure until the printer-port routines provide theirs.
void register_error_handler_routines();

}  // namespace codfix
