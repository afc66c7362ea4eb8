// The token walk reads lines 64 bytes at a time; a plain byte-by-byte walk is
// the reference it must agree with on every line, long or short, odd bytes
// included.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "logformat/tv_util2.h"

namespace tv_util2 {
namespace {

struct RefToken {
    std::string text;
    int column;
};

std::vector<RefToken> ReferenceTokens(std::string_view line) {
    std::vector<RefToken> tokens;
    std::size_t i = 4;
    while (i < line.size()) {
        if (static_cast<unsigned char>(line[i]) <= 32) {
            ++i;
            continue;
        }
        std::size_t start = i;
        while (i < line.size() && static_cast<unsigned char>(line[i]) > 32) ++i;
        tokens.push_back({std::string(line.substr(start, i - start)), static_cast<int>(start) + 1});
    }
    return tokens;
}

bool ReferenceOnTemplate(const std::vector<RefToken>& t) {
    const int n = static_cast<int>(t.size());
    if (n < 6) return false;
    int exchange = n - 4;
    if (exchange % 2 != 0) exchange -= 1;
    const int call = 4 + exchange / 2;
    return t[0].column + static_cast<int>(t[0].text.size()) - 1 == 10 && t[2].column == 15 &&
           t[3].column == 26 && t[static_cast<std::size_t>(call)].column == 56;
}

void ExpectSameAsReference(const std::string& line) {
    SCOPED_TRACE("line of " + std::to_string(line.size()) + " bytes: " + line.substr(0, 120));
    const CabrilloTokens tokens(line);
    const std::vector<RefToken> want = ReferenceTokens(line);
    ASSERT_EQ(tokens.Count(), static_cast<int>(want.size()));
    for (int i = -1; i <= tokens.Count(); ++i) {
        const CabrilloToken got = tokens.At(i);
        if (i < 0 || i >= tokens.Count()) {
            EXPECT_TRUE(got.Text.empty());
            EXPECT_EQ(got.Column, 0);
            continue;
        }
        EXPECT_EQ(got.Text, want[static_cast<std::size_t>(i)].text) << "token " << i;
        EXPECT_EQ(got.Column, want[static_cast<std::size_t>(i)].column) << "token " << i;
    }
    EXPECT_EQ(tokens.OnTemplate(), ReferenceOnTemplate(want));
}

TEST(CabrilloTokens, RandomLinesAgreeWithAPlainWalk) {
    std::mt19937 rng(20261209);
    // Blanks, tabs, control and high bytes, and the characters of real lines.
    const std::string alphabet =
        std::string("  \t\r\x01\x1f!\x7f\x80\xff") + "QSO:0123456789AZaz/-.";
    for (int round = 0; round < 4000; ++round) {
        std::size_t length = std::uniform_int_distribution<std::size_t>(0, 400)(rng);
        std::string line = "QSO:";
        // Runs of one kind make long tokens and long gaps, across block edges.
        while (line.size() < length) {
            char c =
                alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
            std::size_t run =
                std::uniform_int_distribution<std::size_t>(1, round % 3 == 0 ? 90 : 6)(rng);
            line.append(std::min(run, length - line.size()), c);
        }
        ExpectSameAsReference(line);
    }
}

TEST(CabrilloTokens, TokensOnEveryBlockEdgeAndPastTheKeptBlocks) {
    // A token ending, starting or running across each multiple of 64 bytes
    // after the marker, up to lines far longer than the kept blocks.
    for (std::size_t edge : {64u, 128u, 192u, 256u, 320u}) {
        for (int shift = -2; shift <= 2; ++shift) {
            const std::size_t at = 4 + edge + static_cast<std::size_t>(shift);
            std::string line = "QSO: 14025 CW 2024-11-23 0042 K8AZ";
            line.resize(at - 1, ' ');
            line += "X";  // a token of one byte right at the edge
            ExpectSameAsReference(line);
            ExpectSameAsReference(line + "YZ 599 04");
            std::string across = line;
            across.resize(at - 3, ' ');
            across += std::string(70, 'L');  // a token longer than a block
            ExpectSameAsReference(across);
            ExpectSameAsReference(across + " K1AA 599 05");
        }
    }
    ExpectSameAsReference("QSO: " + std::string(1000, 'A'));
    ExpectSameAsReference("QSO:" + std::string(1000, ' '));
    ExpectSameAsReference("QSO:");
    ExpectSameAsReference("QSO");
    ExpectSameAsReference("");
}

TEST(CabrilloTokens, TemplateLinesAndTheirNearMisses) {
    const std::string on =
        "QSO: 14025 CW 2012-11-24 0752 2E0ZSE        599 14     8P5A          599 08";
    ExpectSameAsReference(on);
    EXPECT_TRUE(CabrilloTokens(on).OnTemplate());
    // Each field moved one column, and a line cut right after the frequency.
    for (std::size_t at : {5u, 14u, 25u, 55u}) {
        const std::string moved = on.substr(0, at) + " " + on.substr(at);
        ExpectSameAsReference(moved);
        EXPECT_FALSE(CabrilloTokens(moved).OnTemplate()) << moved;
    }
    ExpectSameAsReference(on.substr(0, 10));
    ExpectSameAsReference(on + " 0");  // with a transmitter id
}

}  // namespace
}  // namespace tv_util2
