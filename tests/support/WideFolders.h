// Folders whose names the ANSI code page cannot write, or whose paths are
// longer than its entry points take, made below a TempTree through the wide
// entry points. They are removed, deepest first, before the tree is.
#pragma once

#include "tests/support/TempTree.h"
#include "tests/support/Text.h"

#include <string>
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

  private:
    std::wstring root_;
    std::vector<std::wstring> made_;
};
