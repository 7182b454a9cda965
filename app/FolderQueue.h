// The walk's folder queue: folder paths (below the start folder) appended at
// the end and never removed, kept in one buffer so that each folder costs its
// path and an offset, not a separate allocation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TFolderQueue {
  public:
    std::size_t Count() const { return ends_.size(); }
    bool Empty() const { return ends_.empty(); }

    void Append(std::wstring_view folder, std::wstring_view name) {
        text_.append(folder).append(name);
        ends_.push_back(std::uint32_t(text_.size()));
    }

    std::wstring_view operator[](std::size_t i) const {
        std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::wstring_view(text_).substr(begin, ends_[i] - begin);
    }

    // Bytes held, for the benchmark's memory figure.
    std::size_t CapacityBytes() const {
        return text_.capacity() * sizeof(wchar_t) + ends_.capacity() * sizeof(std::uint32_t);
    }

  private:
    std::wstring text_;
    std::vector<std::uint32_t> ends_;
};
