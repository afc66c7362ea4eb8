// A unified diff of two texts, line by line, for golden-file failures: the
// changed lines with a few lines of context, as `diff -u` shows them.
#pragma once

#include <string>

namespace tavo::test {

// Empty when the texts are equal. Line ends stay visible as "\r".
std::string UnifiedDiff(const std::string& expected, const std::string& actual, int context = 3);

}  // namespace tavo::test
