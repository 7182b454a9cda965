// Texts as tests compare them: ANSI text in UTF-16, and bytes as hex digits
// so that a failing byte-exact comparison prints readably.
#pragma once

#include <string>

// An ANSI text (the code page's bytes) in UTF-16.
std::wstring Wide(const std::string& ansi);

// Each byte as two lower-case hex digits.
std::string Hex(const std::string& bytes);
