// Text between UTF-16 and the ANSI code page. A name or path handed to the
// ANSI entry points must name exactly what the wide text names, so the exact
// conversion fails wherever the code page would put another character in
// (a best fit such as U+00A5 to "\", or the default "?"). Texts that are
// only shown may be converted loosely.
#pragma once

#include <string>
#include <string_view>

// The ANSI text that converts back to exactly `wide`; false, `ansi`
// untouched, when any character would be substituted.
bool ExactAnsiText(std::wstring_view wide, std::string& ansi);
// The ANSI text to show, with the code page's substitutions.
std::string ShownAnsiText(std::wstring_view wide);
std::wstring WideText(std::string_view ansi);
// The UTF-16 text of ANSI bytes that the code page reads exactly and writes
// back the same; false, `wide` untouched, for any other bytes.
bool ExactWideText(std::string_view ansi, std::wstring& wide);
