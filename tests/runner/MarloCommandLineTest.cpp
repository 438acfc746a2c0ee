#include "MarloCommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

MarloCommandLine Parse(std::vector<const char*> args)
{
    return ParseMarloCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(MarloCommandLine, TheFirstArgumentIsTheScript)
{
    using Action = MarloCommandLine::Action;
    struct Case {
        std::vector<const char*> args;
        Action action;
        const char* script;
    };
    const Case cases[] = {
        {{"marlo"}, Action::Usage, ""},
        {{"./marlo", "job.txt"}, Action::Run, "job.txt"},
        {{"marlo", "job.txt", "ignored", "--help"}, Action::Run, "job.txt"},
        {{"marlo", "--help"}, Action::Help, ""},
        {{"marlo", "-h", "job.txt"}, Action::Help, ""},
        {{"marlo", "--version"}, Action::Version, ""},
        {{"marlo", "--", "--help"}, Action::Run, "--help"},
        {{"marlo", "--"}, Action::Usage, ""},
        {{"marlo", "-x"}, Action::Run, "-x"},
    };
    for (const Case& c : cases) {
        const MarloCommandLine line = Parse(c.args);
        EXPECT_EQ(line.action, c.action) << c.args.size();
        EXPECT_EQ(line.script, c.script);
        EXPECT_EQ(line.program, c.args[0]);
    }
}

}  // namespace
