#include <gtest/gtest.h>

#include "engine/TempFolderGuard.h"
#include "platform/memory/MemoryPlatform.h"

using namespace tv;
using tv::engine::comparablePath;
using tv::engine::IsPurgeableTempFolder;

TEST(TempFolderGuard, PathsCompareWithoutPrefixSeparatorOrCase) {
    EXPECT_EQ(comparablePath("\\\\?\\C:\\Users\\ÉLODIE\\Temp\\"), "c:\\users\\élodie\\temp");
    EXPECT_EQ(comparablePath("\\\\?\\UNC\\Server\\Share\\Temp"), "\\\\server\\share\\temp");
    EXPECT_EQ(comparablePath("C:/Temp//"), "c:\\temp");
    EXPECT_EQ(comparablePath("C:\\"), "c:");
}

TEST(TempFolderGuard, OrdinaryTemporaryFoldersMayBeEmptied) {
    memory::MemoryPlatform platform;
    for (const char* folder : {"C:\\Users\\user\\AppData\\Local\\Temp", "C:\\Windows\\Temp", "C:\\Temp", "D:\\Tmp"})
        platform.files.addFolder(folder);
    // Reached through a link, or named in its short form, it is still the same folder.
    platform.files.addLink("C:\\TempLink", "C:\\Users\\user\\AppData\\Local\\Temp");
    platform.shortNames["C:\\Users\\user\\AppData\\Local\\TEMP~1"] = "C:\\Users\\user\\AppData\\Local\\Temp";
    for (const char* path : {"C:\\Users\\user\\AppData\\Local\\Temp\\", "C:\\Windows\\Temp\\", "c:\\temp", "D:\\Tmp\\",
                             "C:\\TempLink\\", "C:\\Users\\user\\AppData\\Local\\TEMP~1\\"})
        EXPECT_TRUE(IsPurgeableTempFolder(platform, path)) << path;
}

TEST(TempFolderGuard, AFolderThatCannotBeOpenedOrLeadsToAProtectedOneIsRefused) {
    memory::MemoryPlatform platform;
    platform.files.addFolder("C:\\Users\\user\\Documents");
    EXPECT_FALSE(IsPurgeableTempFolder(platform, "C:\\Missing\\"));
    // A link in the path itself: what counts is where it leads.
    platform.files.addLink("C:\\Temp", "C:\\Users\\user");
    EXPECT_FALSE(IsPurgeableTempFolder(platform, "C:\\Temp\\Documents\\"));
    // A known folder moved behind a link is recognised at its real place.
    platform.files.addFolder("E:\\Docs");
    platform.files.addLink("C:\\Users\\user\\MyDocs", "E:\\Docs");
    platform.knownFolders[KnownFolder::Documents] = "C:\\Users\\user\\MyDocs";
    EXPECT_FALSE(IsPurgeableTempFolder(platform, "E:\\Docs\\"));
    EXPECT_FALSE(IsPurgeableTempFolder(platform, "E:\\"));
}
