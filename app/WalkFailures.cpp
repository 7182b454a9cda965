#include "app/WalkFailures.h"

#include "app/Unit1Texts.h"
#include "app/WalkPaths.h"

#include <iterator>

std::wstring SystemReason(DWORD error) {
    wchar_t text[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, DWORD(std::size(text)), nullptr);
    // The system's texts end in a line break; some hold more inside.
    while (length > 0 &&
           (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' '))
        --length;
    if (length == 0) return texts::kErrorCode + std::to_wstring(error);
    std::wstring reason(text, length);
    for (wchar_t& c : reason)
        if (c == L'\r' || c == L'\n') c = L' ';
    return reason;
}

void TWalkFailures::Clear() {
    named_.clear();
    notCleared_ = 0;
    notListed_ = 0;
}

void TWalkFailures::NotCleared(std::wstring_view path, DWORD error) {
    Name(texts::kNotCleared, path, error);
    ++notCleared_;
}

void TWalkFailures::NotListed(std::wstring_view folder, DWORD error) {
    Name(texts::kNotListed, folder, error);
    ++notListed_;
}

void TWalkFailures::Name(const wchar_t* heading, std::wstring_view path, DWORD error) {
    if (named_.size() < kNamed) named_.push_back({heading, DisplayPath(path), error});
}

std::wstring TWalkFailures::ResultSuffix() const {
    return Totals(L"\r");
}

std::wstring TWalkFailures::Report() const {
    std::wstring report;
    for (const TNamed& failure : named_)
        report.append(failure.heading)
            .append(failure.path)
            .append(texts::kReasonOpen)
            .append(SystemReason(failure.error))
            .append(texts::kReasonClose)
            .append(L"\r\n");
    return report + Totals(L"\r\n");
}

std::wstring TWalkFailures::Totals(const wchar_t* separator) const {
    std::wstring totals;
    const std::pair<const wchar_t*, std::int64_t> counts[] = {{texts::kNotCleared, notCleared_},
                                                              {texts::kNotListed, notListed_}};
    for (auto [heading, count] : counts)
        if (count > 0)
            totals.append(separator)
                .append(heading)
                .append(std::to_wstring(count))
                .append(texts::kItems);
    return totals;
}
