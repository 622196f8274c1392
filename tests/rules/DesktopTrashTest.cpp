#include "rules/ContentHash.h"
#include "rules/DesktopTrash.h"

#include <gtest/gtest.h>

// The reference values of 64-bit FNV-1a.
TEST(ContentHash, IsFnv1a) {
    EXPECT_EQ(ContentHash(""), 0xcbf29ce484222325ULL);
    EXPECT_EQ(ContentHash("a"), 0xaf63dc4c8601ec8cULL);
    EXPECT_EQ(ContentHash("foobar"), 0x85944171f73967e8ULL);
}

// The record of the trash rules: the path's bytes escaped as in a URL (UTF-8 "é" is C3 A9), local time.
TEST(DesktopTrash, TheInfoRecordNamesThePathEscapedAndTheTime) {
    EXPECT_EQ(TrashInfoRecord("/tmp/c:/a b/\xC3\xA9%~x-1_2.xtr", {2024, 3, 5, 7, 8, 9}),
              "[Trash Info]\nPath=/tmp/c%3A/a%20b/%C3%A9%25~x-1_2.xtr\nDeletionDate=2024-03-05T07:08:09\n");
}
