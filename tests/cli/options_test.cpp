// The one table of options against what is made from it and what is written
// about it: the parser, the helps, the man page and the README.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

using tavo::cli::OptionTable;

constexpr std::pair<const char*, unsigned> kCommands[] = {{"report", tavo::cli::kReport},
                                                          {"call", tavo::cli::kCall},
                                                          {"data", tavo::cli::kData},
                                                          {"convert-cty", tavo::cli::kConvertCty}};

// The name as a word of its own: "-o" is not found inside "--output".
bool Names(const std::string& text, std::string_view name) {
    const std::regex word("(^|[^-A-Za-z])" + std::string(name) + "($|[^-A-Za-z])");
    return std::regex_search(text, word);
}

// The man page's text with roff's escaped minus read as a plain one.
std::string ManPageText() {
    std::string page = tavo::test::ReadBytes(TAVO_SOURCE_DIR "/dist/tavo.1");
    for (std::size_t at; (at = page.find("\\-")) != std::string::npos;) page.erase(at, 1);
    return page;
}

TEST(OptionTable, EveryOptionIsInTheManPageAndTheReadme) {
    const std::string man = ManPageText();
    const std::string readme = tavo::test::ReadBytes(TAVO_SOURCE_DIR "/README.md");
    for (const tavo::cli::OptionEntry& option : OptionTable()) {
        for (std::string_view name : {option.Long, option.Short}) {
            if (name.empty()) continue;
            EXPECT_TRUE(Names(man, name)) << name << " is missing from dist/tavo.1";
            EXPECT_TRUE(Names(readme, name)) << name << " is missing from README.md";
        }
    }
}

TEST(OptionTable, EachCommandParsesAndShowsExactlyItsOptions) {
    const std::string general = tavo::cli::GeneralHelp();
    for (const tavo::cli::OptionEntry& option : OptionTable()) {
        EXPECT_TRUE(Names(general, option.Long)) << option.Long;
        for (const auto& [command, bit] : kCommands) {
            const bool takes = (option.Commands & bit) != 0;
            const std::string help = tavo::cli::CommandHelp(command);
            EXPECT_EQ(Names(help, option.Long), takes) << command << ' ' << option.Long;
            std::vector<std::string> argv = {command, std::string(option.Long)};
            if (!option.Value.empty()) argv.push_back("7");
            if (takes) {
                EXPECT_NO_THROW(tavo::cli::Parse(argv)) << command << ' ' << option.Long;
            } else {
                EXPECT_THROW(tavo::cli::Parse(argv), tavo::cli::UsageError)
                    << command << ' ' << option.Long;
            }
        }
    }
}

}  // namespace
