// Every routine of the library, registered by name so that expressions, hot keys
// and callers by name reach them.
#pragma once

namespace codfix {

void register_library_routines();

}  // namespace codfix
