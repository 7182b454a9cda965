#include "tests/support/WideFolders.h"

#include <windows.h>

namespace {

// The prefix lifts the length limit of the wide entry points.
std::wstring LongPath(const std::wstring& path) {
    return L"\\\\?\\" + path;
}

} // namespace

WideFolders::WideFolders(const TempTree& tree) : root_(Wide(tree.Root())) {}

WideFolders::~WideFolders() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it)
        RemoveDirectoryW(LongPath(*it).c_str());
}

std::wstring WideFolders::Dir(const std::wstring& relative) {
    std::wstring path = Path(relative);
    if (CreateDirectoryW(LongPath(path).c_str(), nullptr)) made_.push_back(path);
    return path;
}
