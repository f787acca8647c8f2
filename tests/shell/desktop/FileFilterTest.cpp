// The programs' file-dialog filters as the toolkit's chooser takes them.
#include "shell/desktop/FileFilter.h"

#include <FL/filename.H>
#include <gtest/gtest.h>

using namespace quelmark;

TEST(FileFilter, PatternsMatchNamesInAnyCase) {
    std::string pattern = FileFilter::anyCasePattern("*.QEL");
    EXPECT_EQ(pattern, "*.[Qq][Ee][Ll]");
    for (const char* name : {"scene.qel", "SCENE.QEL", "Scene.Qel"})
        EXPECT_TRUE(fl_filename_match(name, pattern.c_str())) << name;
    for (const char* name : {"scene.qelx", "scene.rib", "qel"})
        EXPECT_FALSE(fl_filename_match(name, pattern.c_str())) << name;
    // A set written in the pattern stays a set.
    EXPECT_EQ(FileFilter::anyCasePattern("*.r[0-9]"), "*.[Rr][0-9]");
}

TEST(FileFilter, EveryFileMatchesStarDotStar) {
    EXPECT_EQ(FileFilter::anyCasePattern("*.*"), "*");
    EXPECT_TRUE(fl_filename_match("README", FileFilter::anyCasePattern("*.*").c_str()));
}

TEST(FileFilter, PairsBecomeTheChoosersEntries) {
    EXPECT_EQ(FileFilter::chooserFilter("Scene Files (*.QEL)|*.QEL|All Files (*.*)|*.*|"),
              "Scene Files (*.[Qq][Ee][Ll])\t*");
    EXPECT_EQ(FileFilter::chooserFilter("RIB Files (*.RIB)|*.RIB|All Files (*.*)|*.*|"),
              "RIB Files (*.[Rr][Ii][Bb])\t*");
    // Several patterns of one description give one entry each.
    EXPECT_EQ(FileFilter::chooserFilter("Images|*.TIF;*.PNG|"),
              "Images (*.[Tt][Ii][Ff])\tImages (*.[Pp][Nn][Gg])");
    // A description without its pair and an empty filter give nothing.
    EXPECT_EQ(FileFilter::chooserFilter("Lonely"), "");
    EXPECT_EQ(FileFilter::chooserFilter(""), "");
}
