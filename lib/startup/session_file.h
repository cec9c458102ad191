// The session file: a small text file in the current folder that marks a running
// program of the family ("CODFIX417.usr"). Start-up writes it and keeps it open
// for reading until shut-down, which closes and deletes it; other programs count
// the files that are held open (USUARIOSATIVOS).
//
// The file is held through the process-wide file lock layer with a shared open,
// so another process's exclusive open of it fails while this run lives, and
// succeeds once the run has ended (a file left by a crashed run reads as free).
#pragma once

#include <string>
#include <string_view>

namespace codfix {

// The session file's two lines (CR LF between them, none after): the date
// dd/mm/yyyy, the time, the workstation/user; and "(" + the network name of the
// executable's drive + ") " + the executable's full path.
std::string session_file_text();

// Creates (or empties) `name`, writes `text`, closes it and opens it again
// read-only, holding it. Returns the session handle, -1 when the file could not
// be created (a file of that name held by another run is left alone).
int open_session_file(std::string_view name, std::string_view text);

// Closes a handle from open_session_file and deletes the file it names (by the
// full path it was created under, wherever the current folder is now); false
// when the handle is not open.
bool close_session_file(int handle);

}  // namespace codfix
