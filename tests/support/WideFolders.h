// Folders and files whose names the ANSI code page cannot write, or whose
// paths are longer than its entry points take, made below a TempTree through
// the wide extended-length entry points, so that any name is written
// exactly. What was made is removed, deepest first, before the tree is.
#pragma once

#include "tests/support/TempTree.h"
#include "tests/support/Text.h"

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

class WideFolders {
  public:
    explicit WideFolders(const TempTree& tree);
    ~WideFolders();
    WideFolders(const WideFolders&) = delete;
    WideFolders& operator=(const WideFolders&) = delete;

    std::wstring Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }
    // Makes the folder (at any depth) and returns its path.
    std::wstring Dir(const std::wstring& relative);
    // Makes an empty file, gives it `attributes` and returns its path.
    std::wstring File(const std::wstring& relative, DWORD attributes = 0);
    // What could not be made so, one entry a line; empty when all was.
    const std::string& Failures() const { return failures_; }

    // An entry's Unix path: the Unix root's bytes, then the name's UTF-8.
    std::string UnixPath(const std::wstring& relative) const;
    // Every entry below the root, links not followed, with its attributes.
    std::map<std::wstring, DWORD> Snapshot() const;

  private:
    void Collect(const std::wstring& relative, std::map<std::wstring, DWORD>& entries) const;

    std::wstring root_;
    std::string unixRoot_;
    std::vector<std::pair<std::wstring, bool>> made_; // each path, and whether a folder
    std::string failures_;
};
