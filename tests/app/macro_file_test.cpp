// The macro lines' file arguments: quoted and plain, missing ones, and the path macros.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/macro_file.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"

namespace {

TEST(MacroFile, FileArguments)
{
    std::snprintf(g_NcFolder, sizeof g_NcFolder, "/nc/");
    std::snprintf(g_DmeFolder, sizeof g_DmeFolder, "/work/");
    struct Case {
        const char* text;       // the line from the argument's column on
        const char* argument;   // null: none
        int restAt;             // position after the argument
    };
    const Case cases[] = {
        {" part.dme\n", "part.dme", 10},
        {"\t \"my part.dme\" rest", "my part.dme", 15},
        {" last", "last", 5},                            // no line end: the last character stays
        {"part.dme", nullptr, 0},                        // no blank before it
        {" \"unclosed.dme", nullptr, 0},
        {"   \n", nullptr, 0},
        {" \"\"", nullptr, 0},
        {" $(workdir)part.dme", "/work/part.dme", 19},
        {" $(NCDIR)a.nc", "/nc/a.nc", 13},
        {" $(other)x", "x", 10},
        {" a$(ncdir", "a", 9},                           // an unclosed macro ends the text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char out[MACRO_ARGUMENT_SIZE] = "unchanged";
        const char* rest = ParseMacroFileArgument(c.text, out, sizeof out);
        if (c.argument == nullptr) {
            EXPECT_EQ(rest, nullptr);
            EXPECT_STREQ(out, "unchanged");
        } else {
            ASSERT_NE(rest, nullptr);
            EXPECT_STREQ(out, c.argument);
            EXPECT_EQ(rest - c.text, c.restAt);
        }
    }
    // An argument longer than its buffer is cut, never overrun.
    const std::string longName = " " + std::string(600, 'n');
    char small[16];
    ASSERT_NE(ParseMacroFileArgument(longName.c_str(), small, sizeof small), nullptr);
    EXPECT_EQ(std::string(small), std::string(15, 'n'));
    g_NcFolder[0] = g_DmeFolder[0] = '\0';
}

}  // namespace
