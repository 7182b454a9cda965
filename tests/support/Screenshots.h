// Screenshots of the whole X screen for the end-to-end tests, kept in a
// folder of the build as "<series>NN-<step>.png", numbered in the order
// taken by all tests of one process.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

class Screenshots {
  public:
    // `unixFolder` is made if need be. Before the series' first screenshot in
    // this process, its screenshots of earlier runs there are removed.
    explicit Screenshots(const std::string& unixFolder, const std::string& series = "");

    // Takes one once `window`'s thread has painted what was pending in its
    // windows and gone back to its message loop, where Wine copies what they
    // show to the X screen; gives its path (Linux side), or an empty string.
    std::string take(const std::string& step, HWND window = nullptr);

  private:
    std::string folder_, series_;
};

} // namespace e2e
