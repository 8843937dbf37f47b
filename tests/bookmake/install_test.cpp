// "bookmake install" writes the machine key the reader opens the book by.
#include "bookfiles.h"
#include "builds.h"

#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

TEST(Install, WritesTheBookKeyWithFolderPaths) {
    // The test process and the installing bookmake share the temporary registry of the test main.
    const BuiltBook& book = builtBook(TestBook::PageFile);
    ASSERT_EQ(book.run.exitCode, 0) << book.run.err;
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE\\talmaran\\talmaran_guide"));
    const std::string base = reg.ReadString("BasePath"), pages = reg.ReadString("PagesPath"),
                      user = reg.ReadString("UserPath"), root = reg.ReadString("RootPath");
    EXPECT_EQ(reg.ReadString("IndexFile"), "1.htm");
    for (const std::string& folder : {base, pages, user, root}) {
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder.back(), '\\') << folder;
        EXPECT_EQ(folder.front(), '/') << "absolute: " << folder;
    }
    EXPECT_EQ(pages, root);
    // The reader forms its file names by concatenation.
    EXPECT_TRUE(isReadable(base + "contents.txt"));
    EXPECT_TRUE(isReadable(pages + "out\\tree\\start.htm"));
    EXPECT_TRUE(isReadable(pages + "ebook.ini"));
    EXPECT_TRUE(folderExists(user));
}
