// USUARIOSATIVOS: how many programs of the family run in the current folder,
// counted by their session files (*.usr) that are held open. A session file
// whose exclusive open is refused belongs to a live run; one that opens is a
// leftover of a run that ended without shut-down and is not counted.
#pragma once

#include "lib/core/value.h"

namespace codfix {

// The number of live sessions (of every program of the family). When given,
// `same` gets one line per live session of this program (its first line as a
// 79-column memo line, "(eu)" after this run's own) and `others` one line per
// session of another program (its first line trimmed, a space, the file name).
int USUARIOSATIVOS(const Value& same = Value(), const Value& others = Value());

}  // namespace codfix
