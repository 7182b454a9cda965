// Texts as tests compare them: ANSI text in UTF-16 and back, and bytes as hex
// digits so that a failing byte-exact comparison prints readably.
#pragma once

#include <string>

// An ANSI text (the code page's bytes) in UTF-16.
std::wstring Wide(const std::string& ansi);
// UTF-16 in the code page, best fit where it has no exact character.
std::string Narrow(const std::wstring& wide);

// Each byte as two lower-case hex digits.
std::string Hex(const std::string& bytes);
