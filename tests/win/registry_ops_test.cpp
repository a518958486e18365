// The registry operations on the real registry, in a scratch key of the current user's hive.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engine/RegistryOps.h"
#include "engine/StatusWords.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv {
namespace {

constexpr const char* kTestsRoot = "Software\\TarmelVeiloTests";

// Direct registry calls, independent of the code under test.
bool keyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win32::widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void plantKey(const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, win32::widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS)
        << path;
    RegCloseKey(key);
}

void plantString(const std::string& path, const wchar_t* name, const std::wstring& text) {
    plantKey(path);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, win32::widen(path).c_str(), name, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void plantNumber(const std::string& path, const wchar_t* name, DWORD number) {
    plantKey(path);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, win32::widen(path).c_str(), name, REG_DWORD, &number, sizeof number),
              ERROR_SUCCESS);
}

struct ValueRead {
    bool found = false;
    DWORD type = 0;
    std::wstring text;
    DWORD bytes = 0;
};

ValueRead readValue(const std::string& path, const wchar_t* name) {
    ValueRead read;
    wchar_t data[512] = {};
    DWORD size = sizeof data;
    read.found = RegGetValueW(HKEY_CURRENT_USER, win32::widen(path).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND,
                              &read.type, data, &size) == ERROR_SUCCESS;
    read.bytes = size;
    if (read.found && read.type == REG_SZ) read.text = data;
    return read;
}

struct KeyCounts {
    DWORD subkeys = 0;
    DWORD values = 0;
};

KeyCounts countsOf(const std::string& path) {
    KeyCounts counts;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win32::widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        ADD_FAILURE() << path << " missing";
        return counts;
    }
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &counts.subkeys, nullptr, nullptr, &counts.values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return counts;
}

class RegistryOps : public ::testing::Test {
protected:
    RegistryOps() : base(std::string(kTestsRoot) + "\\" + std::to_string(GetCurrentProcessId())) { removeScratch(); }
    ~RegistryOps() override {
        removeScratch();
        RegDeleteKeyW(HKEY_CURRENT_USER, win32::widen(kTestsRoot).c_str()); // only when nothing else is left
    }
    void removeScratch() { RegDeleteTreeW(HKEY_CURRENT_USER, win32::widen(base).c_str()); }

    const std::string base;
    win32::Win32Platform platform;
};

TEST_F(RegistryOps, ResetEmptiesANestedKeyAndLeavesItsSibling) {
    const std::string target = base + "\\Target";
    plantString(target, L"url1", L"http://exemple.fr/");
    plantNumber(target, L"count", 3);
    plantString(target + "\\one", L"v", L"1");
    plantString(target + "\\one\\two", L"v", L"2");
    plantString(target + "\\one\\two\\three", L"v", L"3");
    plantKey(target + "\\second");
    plantString(base + "\\TargetSibling", L"keep", L"me");

    EXPECT_EQ(engine::ResetRegKey(platform, target), engine::kCleaned);

    ASSERT_TRUE(keyExists(target));
    const KeyCounts counts = countsOf(target);
    EXPECT_EQ(counts.subkeys, 0u);
    EXPECT_EQ(counts.values, 0u);
    EXPECT_EQ(readValue(base + "\\TargetSibling", L"keep").text, L"me");
}

TEST_F(RegistryOps, MissingKeyIsReportedAndNeverCreated) {
    plantKey(base);
    const std::string absent = base + "\\Absent";
    EXPECT_EQ(engine::ResetRegKey(platform, absent), engine::kNotPresent);
    EXPECT_EQ(engine::DeleteRegValue(platform, absent, "url1"), engine::kNotPresent);
    engine::WriteRegString(platform, absent, "Start Page", "http://exemple.fr/");
    EXPECT_FALSE(keyExists(absent));
}

TEST_F(RegistryOps, DeleteValueRemovesOnlyTheNamedValue) {
    const std::string target = base + "\\Values";
    plantString(target, L"MRU1", L"a");
    plantString(target, L"MRUList", L"a");
    plantKey(target + "\\child");

    EXPECT_EQ(engine::DeleteRegValue(platform, target, "MRU1"), engine::kCleaned);
    EXPECT_FALSE(readValue(target, L"MRU1").found);
    EXPECT_TRUE(readValue(target, L"MRUList").found);
    EXPECT_TRUE(keyExists(target + "\\child"));

    // A value that is not there changes nothing and is no failure.
    EXPECT_EQ(engine::DeleteRegValue(platform, target, "MRU1"), engine::kCleaned);
    EXPECT_EQ(countsOf(target).values, 1u);
}

TEST_F(RegistryOps, WriteStringReplacesANumberWithAPlainString) {
    const std::string target = base + "\\Main";
    plantNumber(target, L"Start Page", 42);
    const std::string address = "http://exemple.fr/tool/?url=caf\xC3\xA9"; // café

    engine::WriteRegString(platform, target, "Start Page", address);

    const ValueRead read = readValue(target, L"Start Page");
    ASSERT_TRUE(read.found);
    EXPECT_EQ(read.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(read.text, L"http://exemple.fr/tool/?url=caf\u00E9");
    EXPECT_EQ(read.bytes, (read.text.size() + 1) * sizeof(wchar_t)); // the terminator is stored
}

TEST_F(RegistryOps, TheSystemRefusesALeadingBackslashAndTakesTrailingOnes) {
    // The in-memory registry follows the same rules, so that no test passes there on a
    // path that would fail here.
    plantKey(base + "\\Seen");
    EXPECT_FALSE(platform.openKey(Hive::CurrentUser, "\\" + base + "\\Seen", kKeyReadExistence));
    EXPECT_FALSE(platform.createKey(Hive::CurrentUser, "\\" + base + "\\Other"));
    EXPECT_TRUE(platform.openKey(Hive::CurrentUser, base + "\\Seen\\\\", kKeyReadExistence));
    EXPECT_EQ(engine::ResetRegKey(platform, "\\" + base + "\\Seen"), engine::kNotPresent);
    EXPECT_TRUE(keyExists(base + "\\Seen"));
}

TEST_F(RegistryOps, KeyTreeDeletionTakesEverythingBelowAndNothingBeside) {
    plantString(base + "\\Tree\\a\\b", L"v", L"1");
    plantKey(base + "\\TreeBeside");
    EXPECT_TRUE(platform.deleteKeyTree(Hive::CurrentUser, base + "\\Tree"));
    EXPECT_FALSE(keyExists(base + "\\Tree"));
    EXPECT_TRUE(keyExists(base + "\\TreeBeside"));
    EXPECT_FALSE(platform.deleteKeyTree(Hive::CurrentUser, base + "\\Tree"));
    EXPECT_FALSE(platform.deleteKeyTree(Hive::CurrentUser, ""));
}

} // namespace
} // namespace tv
