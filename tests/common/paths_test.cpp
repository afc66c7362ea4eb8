#include "common/paths.h"

#include <gtest/gtest.h>

namespace tavo {
namespace {

TEST(ChangeFileExt, ReplacesTheExtensionAfterTheLastSeparatorOrAppends) {
    EXPECT_EQ(ChangeFileExt("/usr/bin/tavow", ".ini"), "/usr/bin/tavow.ini");
    EXPECT_EQ(ChangeFileExt("logs/cq.cabrillo", ".tavo"), "logs/cq.tavo");
    EXPECT_EQ(ChangeFileExt("a.b.c", ".x"), "a.b.x");
    EXPECT_EQ(ChangeFileExt("dir.d/file", ".x"), "dir.d/file.x");
    EXPECT_EQ(ChangeFileExt("name.", ".x"), "name.x");
    EXPECT_EQ(ChangeFileExt("", ".x"), ".x");
}

TEST(ExtractFileName, TakesThePartAfterTheLastSeparator) {
    EXPECT_EQ(ExtractFileName("/home/op/logs/cq 2012.ALL"), "cq 2012.ALL");
    EXPECT_EQ(ExtractFileName("cq.cbr"), "cq.cbr");
    EXPECT_EQ(ExtractFileName("logs/"), "");
    EXPECT_EQ(ExtractFileExt("logs/cq.ALL"), ".ALL");
    EXPECT_EQ(ExtractFileExt("logs.d/cq"), "");
}

#ifdef _WIN32
TEST(ChangeFileExt, KnowsTheWindowsSeparators) {
    EXPECT_EQ(ChangeFileExt("C:\\logs\\cq2012.ALL", ".tavo"), "C:\\logs\\cq2012.tavo");
    EXPECT_EQ(ChangeFileExt("C:\\logs.d\\contest", ".tavo"), "C:\\logs.d\\contest.tavo");
    EXPECT_EQ(ExtractFileName("C:cq.ALL"), "cq.ALL");
}
#else
TEST(ChangeFileExt, TakesBackslashAndColonAsPlainCharactersOnPosix) {
    EXPECT_EQ(ChangeFileExt("C:\\logs.d\\contest", ".tavo"), "C:\\logs.tavo");
    EXPECT_EQ(ExtractFileName("a\\b:c"), "a\\b:c");
}
#endif

}  // namespace
}  // namespace tavo
