// A temporary folder of real files for a test, in Windows' temporary folder
// (under Wine, in the prefix's drive C:); the Linux side (symbolic links,
// permission checks) reaches it through UnixPath. It is removed, read-only
// entries included, when the test ends.
#pragma once

#include "tests/support/WinePaths.h"

#include <windows.h>

#include <string>
#include <vector>

class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The tree's root as a Windows path without a trailing "\".
    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }

    // Entries below the root; attributes are applied after creation.
    std::string Dir(const std::string& relative, DWORD attributes = 0) const;
    std::string File(const std::string& relative, DWORD attributes = 0,
                     const std::string& content = "data") const;
    // A Unix symbolic link at `relative` to the absolute Windows path `target`.
    bool UnixSymlink(const std::string& relative, const std::string& target) const;
    // Read-only from the Linux side: Wine ignores the read-only attribute set
    // on a folder, but reports a folder without write bits as read-only.
    bool UnixReadOnly(const std::string& relative) const;

  private:
    std::string root_;
};

// Windows' temporary folder (GetTempPath), long form, without a trailing "\".
std::string TempFolder();
// The drive's root and every folder below it down to `path`, which a tree
// passes through: "C:\", "C:\a", "C:\a\b" for "C:\a\b".
std::vector<std::string> FoldersDownTo(const std::string& path);
DWORD Attributes(const std::string& path);
std::string ReadContent(const std::string& path);
FILETIME LastWriteTime(const std::string& path);
