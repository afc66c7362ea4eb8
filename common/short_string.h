// A text field of fixed capacity stored inside its record: no heap per record,
// and a longer value keeps its first Capacity characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavo {

template <std::size_t Capacity>
class ShortString {
    static_assert(Capacity < 256);

public:
    ShortString() = default;
    ShortString(std::string_view text) { Assign(text); }  // NOLINT: stores like an assignment

    ShortString& operator=(std::string_view text) {
        Assign(text);
        return *this;
    }

    std::string_view View() const { return {chars_, length_}; }
    std::string Str() const { return std::string(View()); }
    std::size_t Length() const { return length_; }
    static constexpr std::size_t MaxLength() { return Capacity; }

    friend bool operator==(const ShortString& a, std::string_view b) { return a.View() == b; }

private:
    void Assign(std::string_view text) {
        length_ = static_cast<unsigned char>(text.size() < Capacity ? text.size() : Capacity);
        text.copy(chars_, length_);
    }

    unsigned char length_ = 0;
    char chars_[Capacity] = {};
};

}  // namespace tavo
