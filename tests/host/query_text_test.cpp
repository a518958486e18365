#include <gtest/gtest.h>

#include "platform/memory/MemoryPlatform.h"
#include "ui/QueryText.h"

using tv::memory::MemoryPlatform;
using tv::ui::queryText;

TEST(QueryText, KeepsOnlyTheUnreservedCharactersAndEncodesEveryOtherByteInCapitals) {
    MemoryPlatform platform;
    EXPECT_EQ(queryText(platform, ""), "");
    EXPECT_EQ(queryText(platform, "AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(queryText(platform, "&=?#+% \"'/:,;\r\n\t"), "%26%3D%3F%23%2B%25%20%22%27%2F%3A%2C%3B%0D%0A%09");
    EXPECT_EQ(queryText(platform, std::string("a\0b", 3)), "a%00b");
}

TEST(QueryText, SpellsTheTextInWindows1252AndAnythingElseAsAQuestionMark) {
    MemoryPlatform platform;
    EXPECT_EQ(queryText(platform, "é"), "%E9");
    EXPECT_EQ(queryText(platform, "Ça coûte 5 €… ÿ"), "%C7a%20co%FBte%205%20%80%85%20%FF");
    EXPECT_EQ(queryText(platform, "Œœ‘’“”"), "%8C%9C%91%92%93%94");
    // Outside the code page: a Hungarian o, a Greek letter, and a character beyond 16 bits
    // that the system spells as two UTF-16 units, each a "?".
    EXPECT_EQ(queryText(platform, "ő"), "%3F");
    EXPECT_EQ(queryText(platform, "aΩ\U0001F600b"), "a%3F%3F%3Fb");
    // Broken UTF-8: each byte that starts no character stands for one.
    EXPECT_EQ(platform.toAnsiCodePage("x\xC3"), "x?");
    EXPECT_EQ(platform.toAnsiCodePage("\xE9t\xE9"), "?t?");
    EXPECT_EQ(platform.toAnsiCodePage("\xED\xA0\x80"), "???");
}
