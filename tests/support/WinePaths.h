// Paths between the two sides of Wine, as Wine itself maps them: the drives
// and the prefix's layout are Wine's to know, not the tests'.
#pragma once

#include <string>

// The Unix path of a Windows path (its last part need not exist); empty
// where there is no such mapping (not under Wine).
std::string UnixPath(const std::string& windowsPath);

// The Windows path of an absolute Unix path; empty where there is none.
std::string WindowsPath(const std::string& unixPath);
