// Loading one of the program's own shared modules at run time.
//
// The desktop half of the program (windows, fonts, pictures) is a module, so
// the command line starts without mapping the display, font and image
// libraries it never uses.
#pragma once

#include <string>

namespace kal {

// Opens the module at `path` with every symbol bound at once, so a module that
// does not fit the executable fails here and not in the middle of a run, and
// returns the address of `symbol`. Null, with the loader's reason in `error`,
// when the module cannot be opened or lacks the symbol.
//
// The module is never closed: threads it started and exit handlers it
// registered may still run until the process ends.
void* LoadModuleSymbol(const std::string& path, const char* symbol, std::string& error);

}  // namespace kal
