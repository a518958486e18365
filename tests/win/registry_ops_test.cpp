// The registry operations on the real registry, in a scratch key of the current user's hive.

#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <winternl.h>

#include <string>

#include "engine/DesktopLists.h"
#include "engine/RegistryOps.h"
#include "engine/StatusWords.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

namespace tv {
namespace {

constexpr const char* kTestsRoot = "Software\\TarmelVeiloTests";

extern "C" NTSTATUS NTAPI NtDeleteKey(HANDLE key);
extern "C" NTSTATUS NTAPI NtQueryKey(HANDLE key, int infoClass, void* info, ULONG length, ULONG* resultLength);

// Removes a key and what is below it, every key opened as itself: the scratch keys hold
// links, and a removal that followed them would take what they lead to.
void removeAsItself(HKEY parent, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    DWORD type = 0;
    if (RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS ||
        type != REG_LINK) {
        wchar_t child[256];
        for (DWORD length = 256; RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) ==
                                 ERROR_SUCCESS;
             length = 256) {
            const DWORD before = length;
            removeAsItself(key, std::wstring(child, before));
            HKEY still = nullptr;
            if (RegOpenKeyExW(key, std::wstring(child, before).c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &still) ==
                ERROR_SUCCESS) {
                RegCloseKey(still);
                break; // it would not go: leave the rest rather than loop
            }
        }
    }
    NtDeleteKey(key);
    RegCloseKey(key);
}

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
        // Only when nothing else is left.
        RegDeleteKeyW(HKEY_CURRENT_USER, win32::widen(kTestsRoot).c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, win32::widen(kTestsRoot).c_str());
    }
    void removeScratch() {
        for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            HKEY root = nullptr;
            if (RegOpenKeyExW(hive, win32::widen(kTestsRoot).c_str(), 0, KEY_ALL_ACCESS, &root) != ERROR_SUCCESS)
                continue;
            removeAsItself(root, std::to_wstring(GetCurrentProcessId()));
            RegCloseKey(root);
        }
    }

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
    EXPECT_TRUE(engine::DeleteKeyWithSubkeys(platform, Hive::CurrentUser, base + "\\Tree"));
    EXPECT_FALSE(keyExists(base + "\\Tree"));
    EXPECT_TRUE(keyExists(base + "\\TreeBeside"));
    EXPECT_FALSE(engine::DeleteKeyWithSubkeys(platform, Hive::CurrentUser, ""));
}

// --- registry links, planted as another program would ---

HKEY hiveOf(Hive hive) { return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// The registry's own name of a key ("\REGISTRY\USER\..."), which a link holds.
std::wstring registryName(Hive hive, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(hiveOf(hive), win32::widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    alignas(ULONG) BYTE info[2048] = {};
    ULONG length = 0;
    std::wstring name;
    if (NtQueryKey(key, 3 /* KeyNameInformation */, info, sizeof info, &length) == 0)
        name.assign(reinterpret_cast<const wchar_t*>(info + sizeof(ULONG)), *reinterpret_cast<ULONG*>(info) / 2);
    RegCloseKey(key);
    return name;
}

void plantLink(const std::string& path, Hive targetHive, const std::string& targetPath) {
    const std::wstring target = registryName(targetHive, targetPath);
    ASSERT_FALSE(target.empty()) << targetPath;
    HKEY link = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, win32::widen(path).c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr),
              ERROR_SUCCESS)
        << path;
    EXPECT_EQ(RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.data()),
                             static_cast<DWORD>(target.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(link);
}

bool isLinkKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win32::widen(path).c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    const bool link = RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
                      type == REG_LINK;
    RegCloseKey(key);
    return link;
}

// Another program's key: a value and a subkey with a value, checked by content.
void plantCanary(Hive hive, const std::string& path) {
    for (const std::string& where : {path, path + "\\Inner"}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(hiveOf(hive), win32::widen(where).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS)
            << where;
        const std::wstring text = L"keep";
        RegSetValueExW(key, L"Settings", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

void expectCanaryWhole(Hive hive, const std::string& path) {
    for (const std::string& where : {path, path + "\\Inner"}) {
        wchar_t data[16] = {};
        DWORD size = sizeof data;
        EXPECT_EQ(RegGetValueW(hiveOf(hive), win32::widen(where).c_str(), L"Settings", RRF_RT_REG_SZ, nullptr, data,
                               &size),
                  ERROR_SUCCESS)
            << where;
        EXPECT_STREQ(data, L"keep") << where;
    }
}

TEST_F(RegistryOps, RegistryLinksAreRemovedAsLinksAndWhatTheyLeadToStaysWhole) {
    const std::string other = base + "\\OtherProgram";
    const std::string machine = std::string(kTestsRoot) + "\\" + std::to_string(GetCurrentProcessId()) + "\\Machine";
    plantCanary(Hive::CurrentUser, other);
    plantCanary(Hive::LocalMachine, machine);
    const std::string target = base + "\\TypedURLs";
    plantString(target, L"url1", L"http://exemple.fr/");
    plantLink(target + "\\x", Hive::CurrentUser, other);
    plantKey(target + "\\a\\b");
    plantLink(target + "\\a\\b\\deep", Hive::LocalMachine, machine);
    plantLink(target + "\\loop", Hive::CurrentUser, target);

    EXPECT_EQ(engine::ResetRegKey(platform, target), engine::kCleaned);
    const KeyCounts counts = countsOf(target);
    EXPECT_EQ(counts.subkeys, 0u);
    EXPECT_EQ(counts.values, 0u);
    expectCanaryWhole(Hive::CurrentUser, other);
    expectCanaryWhole(Hive::LocalMachine, machine);

    // The target itself a link: the link goes, a plain empty key takes its place.
    const std::string recent = base + "\\RecentFileList";
    plantLink(recent, Hive::LocalMachine, machine);
    EXPECT_EQ(engine::ResetRegKey(platform, recent), engine::kCleaned);
    EXPECT_FALSE(isLinkKey(recent));
    EXPECT_EQ(countsOf(recent).subkeys, 0u);
    expectCanaryWhole(Hive::LocalMachine, machine);

    // A value is never deleted through a link, and the status says it is still there.
    const std::string word = base + "\\WordData";
    plantLink(word, Hive::CurrentUser, other);
    EXPECT_EQ(engine::DeleteRegValue(platform, word, "Settings"), engine::kImpossible);
    EXPECT_TRUE(isLinkKey(word));
    expectCanaryWhole(Hive::CurrentUser, other);
}

TEST_F(RegistryOps, ListValuesGoByTheirNamesAndNeverThroughALinkOrIntoAKeyThatIsNotThere) {
    const std::string list = base + "\\Word\\File MRU";
    for (const wchar_t* name : {L"Item 1", L"Item Metadata 1", L"Max Display"}) plantString(list, name, L"x");
    EXPECT_EQ(engine::DeleteRegValuesMatching(platform, list, engine::IsOfficeListItem), engine::kCleaned);
    EXPECT_EQ(countsOf(list).values, 1u);
    EXPECT_TRUE(readValue(list, L"Max Display").found);

    // Two keys missing on the way: absent, and nothing made.
    EXPECT_EQ(engine::DeleteRegValuesMatching(platform, base + "\\Excel\\User MRU\\File MRU", engine::IsOfficeListItem),
              engine::kNotPresent);
    EXPECT_FALSE(keyExists(base + "\\Excel"));

    // The list a link: what it leads to keeps its items, and the status says they are still seen.
    const std::string other = base + "\\OtherProgram";
    plantString(other, L"Item 1", L"keep");
    plantLink(base + "\\Word\\Place MRU", Hive::CurrentUser, other);
    EXPECT_EQ(engine::DeleteRegValuesMatching(platform, base + "\\Word\\Place MRU", engine::IsOfficeListItem),
              engine::kImpossible);
    EXPECT_EQ(readValue(other, L"Item 1").text, L"keep");
}

TEST_F(RegistryOps, OfficeItemsGoOrStayByTheirTextAsTheRegistryHoldsIt) {
    const std::string list = base + "\\Excel\\File MRU";
    plantString(list, L"Item 1", L"[F00000001][T01D9A1B2C3D4E5F6][O00000000]*C:\\Budget \u00E9t\u00E9.xlsx");
    plantString(list, L"Item Metadata 1", L"<Metadata/>");
    plantString(list, L"Item 2", L"[F00000000][T01D9A1B2C3D4E5F7][O00000000]*C:\\Secret.xlsx");
    plantNumber(list, L"Item 3", 1); // not a text: nothing says it is pinned
    {
        const RegKey key = platform.openKey(Hive::CurrentUser, list, kKeyRead);
        EXPECT_EQ(platform.stringValue(key, "Item 1"), "[F00000001][T01D9A1B2C3D4E5F6][O00000000]*C:\\Budget \u00E9t\u00E9.xlsx");
        EXPECT_FALSE(platform.stringValue(key, "Item 3"));
        EXPECT_FALSE(platform.stringValue(key, "Item 9"));
    }
    EXPECT_EQ(engine::DeleteRegValuesMatching(platform, list, engine::IsUnpinnedOfficeListItem), engine::kCleaned);
    EXPECT_EQ(countsOf(list).values, 2u);
    EXPECT_TRUE(readValue(list, L"Item 1").found);
    EXPECT_TRUE(readValue(list, L"Item Metadata 1").found);
}

TEST_F(RegistryOps, ASubkeyThatRefusesDeletionMakesTheResetImpossible) {
    const std::string target = base + "\\Guarded";
    plantString(target + "\\a", L"v", L"1");
    plantKey(target + "\\locked");
    // Everyone is refused every right on the subkey: the walk can neither open nor delete it.
    HKEY locked = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, win32::widen(target + "\\locked").c_str(), 0, WRITE_DAC, &locked),
              ERROR_SUCCESS);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    EXPLICIT_ACCESSW deny{};
    deny.grfAccessPermissions = KEY_ALL_ACCESS;
    deny.grfAccessMode = DENY_ACCESS;
    deny.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    deny.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    PACL acl = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &deny, nullptr, &acl), ERROR_SUCCESS);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    ASSERT_EQ(RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
    RegCloseKey(locked);

    HKEY probe = nullptr;
    const bool enforced = RegOpenKeyExW(HKEY_CURRENT_USER, win32::widen(target + "\\locked").c_str(), 0, KEY_READ,
                                        &probe) == ERROR_ACCESS_DENIED;
    if (probe) RegCloseKey(probe);
    if (enforced) {
        EXPECT_EQ(engine::ResetRegKey(platform, target), engine::kImpossible);
        EXPECT_EQ(countsOf(target).subkeys, 1u); // the locked subkey, which cannot even be read
        EXPECT_FALSE(keyExists(target + "\\a"));
    }

    // Lift the refusal so that the scratch key can go.
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win32::widen(target + "\\locked").c_str(), 0, WRITE_DAC, &locked) ==
        ERROR_SUCCESS) {
        RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, &descriptor);
        RegCloseKey(locked);
    }
    LocalFree(acl);
    FreeSid(everyone);
    if (!enforced) GTEST_SKIP() << "this system opens a key whatever its security says";
}

} // namespace
} // namespace tv
