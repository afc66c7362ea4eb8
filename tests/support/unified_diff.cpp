#include "tests/support/unified_diff.h"

#include <algorithm>
#include <vector>

namespace tavo::test {

namespace {

std::vector<std::string> SplitKeepingCr(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.replace(line.size() - 1, 1, "\\r");
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

struct Edit {
    char kind;         // ' ', '-' or '+'
    std::size_t a, b;  // 0-based lines of the expected and the actual text
};

// The longest common subsequence, walked back into a list of edits.
std::vector<Edit> Edits(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;)
            lcs[i][j] =
                a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    }
    std::vector<Edit> edits;
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i] == b[j]) {
            edits.push_back({' ', i++, j++});
        } else if (i < n && (j == m || lcs[i + 1][j] >= lcs[i][j + 1])) {
            edits.push_back({'-', i++, j});
        } else {
            edits.push_back({'+', i, j++});
        }
    }
    return edits;
}

}  // namespace

std::string UnifiedDiff(const std::string& expected, const std::string& actual, int context) {
    if (expected == actual) return {};
    std::vector<std::string> a = SplitKeepingCr(expected), b = SplitKeepingCr(actual);
    if (a == b) return "(the texts differ only in their last line end)\n";
    std::vector<Edit> edits = Edits(a, b);
    std::string out = "--- expected\n+++ actual\n";
    const auto ctx = static_cast<std::size_t>(context);
    std::size_t k = 0;
    while (k < edits.size()) {
        if (edits[k].kind == ' ') {
            ++k;
            continue;
        }
        // A hunk: from `ctx` lines before this change to `ctx` lines after the
        // last change that is no more than 2 * ctx unchanged lines away.
        std::size_t first = k >= ctx ? k - ctx : 0, last = k;
        for (std::size_t s = k; s < edits.size(); ++s) {
            if (edits[s].kind != ' ')
                last = s;
            else if (s - last > 2 * ctx)
                break;
        }
        std::size_t end = std::min(edits.size(), last + ctx + 1);
        std::size_t aLines = 0, bLines = 0;
        for (std::size_t s = first; s < end; ++s) {
            aLines += edits[s].kind != '+';
            bLines += edits[s].kind != '-';
        }
        out += "@@ -" + std::to_string(edits[first].a + 1) + "," + std::to_string(aLines) + " +" +
               std::to_string(edits[first].b + 1) + "," + std::to_string(bLines) + " @@\n";
        for (std::size_t s = first; s < end; ++s) {
            const Edit& e = edits[s];
            out += e.kind;
            out += e.kind == '+' ? b[e.b] : a[e.a];
            out += '\n';
        }
        k = end;
    }
    return out;
}

}  // namespace tavo::test
