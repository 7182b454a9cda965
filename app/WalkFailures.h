// What a clearing walk could not do: entries whose read-only attribute could
// not be taken off and folders that could not be listed, so that the walk
// never says it is done after doing less. The first few are kept by name with
// the system's reason for the box that names them; the rest are only
// counted, so a tree of millions of failures costs no more memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The system's text for an error code, on one line.
std::wstring SystemReason(DWORD error);

class TWalkFailures {
  public:
    // How many failures the box names; it counts the rest.
    static constexpr std::size_t kNamed = 20;

    void Clear();
    // `path` is an extended-length path.
    void NotCleared(std::wstring_view path, DWORD error);
    void NotListed(std::wstring_view folder, DWORD error);
    bool Any() const { return notCleared_ + notListed_ > 0; }

    // What follows the count in the result line: empty when nothing failed.
    std::wstring ResultSuffix() const;
    // The box's text: the named failures, each with its reason, then the
    // totals.
    std::wstring Report() const;

  private:
    struct TNamed {
        const wchar_t* heading;
        std::wstring path; // as the user knows it
        DWORD error;
    };
    void Name(const wchar_t* heading, std::wstring_view path, DWORD error);
    // The totals, each after `separator`.
    std::wstring Totals(const wchar_t* separator) const;

    std::vector<TNamed> named_;
    std::int64_t notCleared_ = 0;
    std::int64_t notListed_ = 0;
};
