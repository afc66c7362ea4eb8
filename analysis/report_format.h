// The report's number formats: right-aligned counts ("%0:4d") written
// through its line buffer, and the share "%0:4.1f".
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/text_file.h"

namespace u_tavo300 {

// One decimal, rounded half up from the value's 15 significant digits, right
// aligned in 4, with the decimal separator of the user's locale (LC_NUMERIC).
std::string Share(double value);

// Gathers a report's lines in a buffer and hands them to the report's writer
// 16 KB at a time: the charts have thousands of cells, and none of them may
// cost a string or a call of its own. Flush ends the text: writing can fail,
// so no destructor does it.
class LineWriter {
public:
    explicit LineWriter(tavo::TextWriter& out) : out_(out) {}
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void Put(std::string_view part) {
        if (part.size() > Room()) return PutAfterFlush(part);
        // An empty view may carry a null pointer, which memcpy must never get.
        if (part.empty()) return;
        std::memcpy(at_, part.data(), part.size());
        at_ += part.size();
    }
    // N bytes known when compiled, such as a cell: a copy of fixed size.
    template <std::size_t N>
    void PutFixed(const char* part) {
        if (Room() < N) Flush();
        std::memcpy(at_, part, N);
        at_ += N;
    }
    void Repeat(char c, std::size_t count);
    // Right-aligned in `width`, never cut ("%0:Nd").
    void Number(long long value, std::size_t width) {
        // Most cells are a digit or two in three or four columns: copied ready-made.
        if ((width == 3 || width == 4) && static_cast<unsigned long long>(value) < 100) {
            if (width == 4) PutFixed<1>(" ");
            PutFixed<3>(kNarrow + 3 * value);
        } else {
            AnyNumber(value, width);
        }
    }
    // Numbers 0..99, each right-aligned in three columns, 0 shown as "-" when
    // dashZero: a narrow chart row, its room taken once for all its cells.
    template <std::size_t N>
    void NarrowCells(const std::array<long long, N>& values, bool dashZero) {
        if (Room() < 3 * N) Flush();
        // A local cursor: the copies could alias at_ itself, which would then
        // be stored and loaded again for every cell.
        char* at = at_;
        for (long long n : values) {
            std::memcpy(at, dashZero && n == 0 ? "  -" : kNarrow + 3 * n, 3);
            at += 3;
        }
        at_ = at;
    }
    // Ends the line with the report's line end, CR LF.
    void EndLine(std::string_view last = {}) {
        Put(last);
        PutFixed<2>("\r\n");
    }
    void Flush() {
        out_.Write(std::string_view(buffer_, static_cast<std::size_t>(at_ - buffer_)));
        at_ = buffer_;
    }

private:
    // A whole small report, and few pieces of a large one: a standard output
    // stream takes each piece past its own buffer as writes of its own.
    static constexpr std::size_t kCapacity = 16384;
    // 0..99 right-aligned in three columns, one after the other.
    static constexpr char kNarrow[] =
        "  0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15 16 17 18 19"
        " 20 21 22 23 24 25 26 27 28 29 30 31 32 33 34 35 36 37 38 39"
        " 40 41 42 43 44 45 46 47 48 49 50 51 52 53 54 55 56 57 58 59"
        " 60 61 62 63 64 65 66 67 68 69 70 71 72 73 74 75 76 77 78 79"
        " 80 81 82 83 84 85 86 87 88 89 90 91 92 93 94 95 96 97 98 99";
    void PutAfterFlush(std::string_view part);
    void AnyNumber(long long value, std::size_t width);
    std::size_t Room() const { return kCapacity - static_cast<std::size_t>(at_ - buffer_); }

    tavo::TextWriter& out_;
    char buffer_[kCapacity];
    char* at_ = buffer_;
};

}  // namespace u_tavo300
