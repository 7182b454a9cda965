// Running Unix programs from a test under Wine. Wine starts a Unix binary
// given by its Unix path through CreateProcessA, but such a process cannot be
// waited on reliably: the script run here writes its exit status to a marker
// file as its last act, and the caller polls, boundedly, for that file.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Runs `script` with /bin/sh -c (PATH set to /usr/bin:/bin, standard input
// from /dev/null) and waits at most `timeoutMs` for it to end. Gives its exit
// status, or nothing if it could not be started or did not end in time. When
// `output` is given, the script's standard output is stored there.
std::optional<int> RunUnixShell(const std::string& script, DWORD timeoutMs = 15000,
                                std::string* output = nullptr);

// `text` in single quotes for a shell script.
std::string ShellQuote(const std::string& text);

// Unix bytes (a Unix path's UTF-8) as one word of a script: the script
// reaches /bin/sh through the ANSI code page, so bytes outside ASCII go as
// printf's octal escapes.
std::string ShellQuoteUnix(const std::string& bytes);

// `argument` quoted for a Windows command line, as CommandLineToArgvW (and
// Wine, when it starts a Unix program) splits it back.
std::string CommandLineQuote(const std::string& argument);
