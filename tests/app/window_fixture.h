// Both window test suites run in a scratch folder, because the window loads
// "CQWW.DAT" from the current folder, and start from empty unit tables.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "country/cty_utl3.h"
#include "logformat/tv_util2.h"
#include "tests/support/temp_dir.h"

namespace u_main::test {

class InScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        cty_utl3::ClearCountryTables();
        tv_util2::ClearHeaderLine();
        oldDir = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
    }
    void TearDown() override {
        std::filesystem::current_path(oldDir);
        cty_utl3::ClearCountryTables();
        tv_util2::ClearHeaderLine();
    }

    tavo::test::TempDir dir;
    std::filesystem::path oldDir;
};

}  // namespace u_main::test
