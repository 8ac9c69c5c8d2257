// Finding the outside product's folder and its library's folder.
#include <gtest/gtest.h>

#include <string>

#include "model/sdk_bridge.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"

namespace {

// A fresh tree: prog/ (the program's folder) and the folders named in `make`.
struct Tree {
    std::string root;
    explicit Tree(const std::string& name, std::initializer_list<const char*> make = {}) {
        root = CaseOutputDir() + "/sdk_locate/" + name + "/";
        ForceDirectories(root + "prog/");
        DeleteFile(root + "prog/EXTFRAME.txt");
        for (const char* m : make) ForceDirectories(root + m);
    }
    std::string Prog() const { return root + "prog/"; }
    void Txt(const std::string& text) const {
        TStringList list;
        list.SetText(text);
        ASSERT_TRUE(list.SaveToFile(Prog() + "EXTFRAME.txt"));
    }
};

TEST(SdkLocate, TextFileNamesBothFolders) {
    Tree t("both", {"vendor/FrameIn/", "sdk/"});
    // Blanks around the names are dropped; a final "/" is added once.
    t.Txt("  " + t.root + "vendor/FrameIn  \n" + t.root + "sdk/\n");
    EXPECT_TRUE(LocateExternalEngine(t.Prog(), {}, {}));
    EXPECT_EQ(t.root + "vendor/FrameIn/", ProductFolder);
    EXPECT_EQ(t.root + "sdk/", SdkFolder);
    EXPECT_EQ(t.Prog(), ExternalProgramFolder);
}

TEST(SdkLocate, CandidatesFillWhatTheTextFileLacks) {
    Tree t("oneline", {"vendor/", "c1/", "c2/", "s1/", "s2/"});
    t.Txt(t.root + "vendor\n");
    const std::vector<std::string> products = {t.root + "c1/", t.root + "c2/"};
    // The later existing candidate wins; a missing one is passed over.
    const std::vector<std::string> sdks = {t.root + "s1/", t.root + "s2/", t.root + "s3/"};
    EXPECT_TRUE(LocateExternalEngine(t.Prog(), products, sdks));
    EXPECT_EQ(t.root + "vendor/", ProductFolder);
    EXPECT_EQ(t.root + "s2/", SdkFolder);

    // A text file naming a folder that does not exist.
    t.Txt(t.root + "gone\n" + t.root + "gone2\n");
    EXPECT_TRUE(LocateExternalEngine(t.Prog(), products, sdks));
    EXPECT_EQ(t.root + "c2/", ProductFolder);
    EXPECT_EQ(t.root + "s2/", SdkFolder);
}

TEST(SdkLocate, NothingFoundIsFalse) {
    Tree t("none", {"c1/"});
    EXPECT_FALSE(LocateExternalEngine(t.Prog(), {t.root + "c1/"}, {t.root + "nosdk/"}));
    EXPECT_EQ(t.root + "c1/", ProductFolder);
    EXPECT_FALSE(LocateExternalEngine(t.Prog(), {}, {}));
    // An empty text file is the same as none.
    t.Txt("");
    EXPECT_FALSE(LocateExternalEngine(t.Prog(), {}, {}));
    EXPECT_EQ("", ProductFolder);
}

}  // namespace
