// The search for DLLs loaded by name, narrowed to System32 before any DLL but
// kernel32's and the C runtime's is loaded: the program is run from wherever
// it landed, typically a Downloads folder that a web page can drop files
// into, so neither its own folder nor the current one may supply a DLL.
#pragma once

// Makes System32 the only folder searched for a DLL that is loaded by name
// and is not a known DLL, for the rest of the process: the delay-loaded
// imports, and what the system's DLLs load later (the common controls'
// theme, the shell's handlers). Where the system has no
// SetDefaultDllDirectories (Windows 7 without KB2533623) it takes only the
// current folder out of the search. Calls nothing but kernel32; the entry
// point calls it first (app/CMakeLists.txt).
void NarrowDllSearch();
