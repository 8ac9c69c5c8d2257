// The command line: options, file names split over arguments, Linux paths.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

struct Case {
    const char* what;
    std::vector<std::string> args;
    std::set<std::string> existing;
    bool batch;
    bool sdk;
    int pack;
    std::string file;
};

}  // namespace

TEST(CommandLine, Cases) {
    const Case cases[] = {
        {"name split over two arguments",
         {"/home/u/My", "Data/a.$O1"},
         {"/home/u/My Data/a.$O1"},
         false,
         false,
         999,
         "/home/u/My Data/a.$O1"},
        {"an option resets the name",
         {"x", "/SDK", "a.$O1"},
         {"a.$O1", "x a.$O1"},
         false,
         true,
         999,
         "a.$O1"},
        {"batch switch and absolute path",
         {"/BATCH", "/tmp/w/s.$O1"},
         {"/tmp/w/s.$O1"},
         true,
         false,
         999,
         "/tmp/w/s.$O1"},
        {"switches in lower case",
         {"/batch", "/sdk", "/fpack=12", "a"},
         {"a"},
         true,
         true,
         12,
         "a"},
        {"a letter behind /SDK is another option", {"/SDKX", "a"}, {"a"}, false, false, 999, "a"},
        {"pack value that is no number", {"/FPACK=abc"}, {}, false, false, 0, ""},
        {"pack value rounds like every integer field", {"/FPACK=2.95"}, {}, false, false, 3, ""},
        {"pack value reads at most nine characters",
         {"/FPACK=1234567891"},
         {},
         false,
         false,
         123456789,
         ""},
        {"batch without a file", {"/BATCH"}, {}, true, false, 999, ""},
        {"after the first existing file only the batch switch is read",
         {"a.$O1", "/SDK", "b.$O1", "/FPACK=5", "/batch"},
         {"a.$O1", "b.$O1"},
         true,
         false,
         999,
         "a.$O1"},
        {"no file exists", {"a", "b"}, {}, false, false, 999, ""},
        {"options between name pieces",
         {"My", "/FPACK=5", "Data"},
         {"My Data", "Data"},
         false,
         false,
         5,
         "Data"},
        {"a relative path with a folder",
         {"dir/x.$O1"},
         {"dir/x.$O1"},
         false,
         false,
         999,
         "dir/x.$O1"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> tried;
        const CommandLineOptions o = ParseCommandLine(c.args, [&](const std::string& name) {
            tried.push_back(name);
            return c.existing.count(name) > 0;
        });
        EXPECT_EQ(o.batchMode, c.batch) << c.what;
        EXPECT_EQ(o.sdk, c.sdk) << c.what;
        EXPECT_EQ(o.packValue, c.pack) << c.what;
        EXPECT_EQ(o.fileName, c.file) << c.what;
    }
}

TEST(CommandLine, PiecesAreJoinedWithSingleBlanks) {
    std::vector<std::string> tried;
    const CommandLineOptions o =
        ParseCommandLine({"C:\\My", "Big", "Data\\a.$O1"}, [&](const std::string& name) {
            tried.push_back(name);
            return false;
        });
    const std::vector<std::string> want = {"C:\\My", "C:\\My Big", "C:\\My Big Data\\a.$O1"};
    EXPECT_EQ(tried, want);
    EXPECT_EQ(o.fileName, "");
    EXPECT_EQ(o.triedName, "C:\\My Big Data\\a.$O1");  // named in the missing-file message
}
