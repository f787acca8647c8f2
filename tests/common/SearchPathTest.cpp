// Search paths: their folders, and "&" and "@" replaced.
#include "common/SearchPath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quelmark;

TEST(SearchPath, FoldersInOrderWithoutEmptyOnes) {
    EXPECT_EQ(searchPlaces("a:/b/c::d:"), (std::vector<std::string>{"a", "/b/c", "d"}));
    EXPECT_TRUE(searchPlaces("").empty());
    EXPECT_TRUE(searchPlaces(":::").empty());
}

TEST(SearchPath, BeforeAndDefaultAreReplacedWhereTheyStand) {
    EXPECT_EQ(expandedSearchPath("x:&:y", "p:q", "d"), "x:p:q:y");
    EXPECT_EQ(expandedSearchPath("@:x", "p", "d1:d2"), "d1:d2:x");
    EXPECT_EQ(expandedSearchPath("&", "", "d"), "");
    EXPECT_EQ(expandedSearchPath(":x::&", "p", "d"), "x:p");
    // A folder merely containing the signs is a folder.
    EXPECT_EQ(expandedSearchPath("a&b:@c", "p", "d"), "a&b:@c");
}
