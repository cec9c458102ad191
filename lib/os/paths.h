// Text operations on paths and the small folder services of the library:
// NOMEARQ, NOMEDIR, DIRFILE, _TRUENAME, CHANGEDIR, DIRWINDOWS, GETSPECIALFOLDER,
// VARAMBIENTE / ENVPARAM.
//
// The text routines accept Windows paths ("C:\DADOS\KVPROD.DBF") and POSIX paths
// on every platform: both '\' and '/' separate folders, "X:" is a drive. On POSIX a
// name with a drive letter has no full path of its own and stays as given.
#pragma once

#include <string>
#include <string_view>

namespace codfix {

// The name part: what follows the last ':' and then the last separator; without
// the extension (cut before the first '.') when `with_extension` is false.
std::string NOMEARQ(std::string_view path, bool with_extension = true);
// The folder of a path (after _TRUENAME), without a trailing separator except
// after a drive root ("C:\").
std::string NOMEDIR(std::string_view path);
// Joins a folder and a name with one backslash (the folder's own separator when it
// uses '/').
std::string DIRFILE(std::string_view folder, std::string_view name);
// The full path of a name, or the name as given when it has none.
std::string TRUENAME_(std::string_view name);
// Changes the current folder step by step from the root; returns the previous one.
std::string CHANGEDIR(std::string_view folder);
// The Windows folder from WINDIR, WINBOOTDIR or SYSTEMROOT; "" when none is set.
std::string DIRWINDOWS();
// A special folder: "PROGRAMFILES" from the environment; "Desktop" (the default)
// is the XDG desktop folder, else $HOME/Desktop.
std::string GETSPECIALFOLDER(std::string_view name = "Desktop");
// The value of an environment variable, "" when not set.
std::string VARAMBIENTE(std::string_view name);

void register_path_routines();

}  // namespace codfix
