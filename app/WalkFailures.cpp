#include "app/WalkFailures.h"

#include "app/Unit1Texts.h"
#include "app/WalkPaths.h"

std::string SystemReason(DWORD error) {
    char text[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, DWORD(sizeof text), nullptr);
    // The system's texts end in a line break; some hold more inside.
    while (length > 0 &&
           (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
        --length;
    if (length == 0) return texts::kErrorCode + std::to_string(error);
    std::string reason(text, length);
    for (char& c : reason)
        if (c == '\r' || c == '\n') c = ' ';
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

void TWalkFailures::Name(const char* heading, std::wstring_view path, DWORD error) {
    if (named_.size() < kNamed) named_.push_back({heading, DisplayPath(path), error});
}

std::string TWalkFailures::ResultSuffix() const {
    return Totals("\r");
}

std::string TWalkFailures::Report() const {
    std::string report;
    for (const TNamed& failure : named_)
        report.append(failure.heading)
            .append(failure.path)
            .append(texts::kReasonOpen)
            .append(SystemReason(failure.error))
            .append(texts::kReasonClose)
            .append("\r\n");
    return report + Totals("\r\n");
}

std::string TWalkFailures::Totals(const char* separator) const {
    std::string totals;
    const std::pair<const char*, std::int64_t> counts[] = {{texts::kNotCleared, notCleared_},
                                                           {texts::kNotListed, notListed_}};
    for (auto [heading, count] : counts)
        if (count > 0)
            totals.append(separator)
                .append(heading)
                .append(std::to_string(count))
                .append(texts::kItems);
    return totals;
}
