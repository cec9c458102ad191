// The check of the operating system's configuration for file handles, which the
// error handler offers when the system runs out of them: CHKCFG (nothing to
// change here: reports success), NUMFILES (the configured number of file
// handles) and CHKSTD (a warning for a build without the standard command
// definitions).
#pragma once

#include "platform/sys/environment.h"

namespace codfix {

// Accepts its arguments (show a note, offer to continue); reads, writes and
// shows nothing.
bool CHKCFG(bool show = false, bool offer_continue = true);

// The FILES key of the system's configuration file: CONFIG.NT in the Windows
// folder's SYSTEM32 on the NT family, PERVMFILES of [386ENH] in SYSTEM.INI on
// Windows ME, else CONFIG.SYS at the root of the command interpreter's drive
// (COMSPEC). 0 when it cannot be found (always without COMSPEC off Windows).
int NUMFILES();
// The same for a given family, so every branch can be exercised anywhere.
int numfiles_for(sys::OsFamily family);

void CHKSTD();

void register_environment_check_routines();

}  // namespace codfix
