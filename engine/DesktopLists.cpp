#include "engine/DesktopLists.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "engine/Names.h"
#include "engine/RegistryOps.h"

namespace tv::engine {

namespace {

template <typename Names>
bool namedIn(const Names& names, const std::string& name) {
    return std::any_of(std::begin(names), std::end(names), [&](const char* n) { return equalsNoCase(n, name); });
}

bool isNumber(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Walks down from the Office key through handles, every key opened as itself: a link on the
// way is not entered, and counts as a list that may stay behind it.
class OfficeWalk {
public:
    explicit OfficeWalk(PlatformServices& platform) : platform_(platform) {}

    FoundLists run() {
        const RegKey office = platform_.openKey(Hive::CurrentUser, kOfficeKey, kKeyRead);
        if (!office) {
            found_.refused = !office.absent();
            return std::move(found_);
        }
        for (const std::string& version : names(office)) {
            if (!namedIn(kOfficeVersions, version)) continue;
            const std::string versionPath = std::string(kOfficeKey) + "\\" + version;
            if (const RegKey versionKey = child(office, version))
                for (const std::string& application : names(versionKey))
                    if (const RegKey appKey = child(versionKey, application))
                        applicationLists(appKey, application, versionPath + "\\" + application);
        }
        return std::move(found_);
    }

private:
    RegKey child(const RegKey& parent, const std::string& name) {
        RegKey key = platform_.openSubkey(parent, name, kKeyRead);
        if (!key || platform_.isLink(key)) {
            found_.refused = true;
            return {};
        }
        return key;
    }

    std::vector<std::string> names(const RegKey& key) {
        auto listed = SubkeyNames(platform_, key);
        if (!listed) {
            found_.refused = true;
            return {};
        }
        return std::move(*listed);
    }

    void applicationLists(const RegKey& appKey, const std::string& application, const std::string& path) {
        for (const std::string& name : names(appKey)) {
            if (namedIn(kOfficeItemLists, name)) found_.lists.push_back({path + "\\" + name, true});
            if (equalsNoCase(application, kWordApplication) && equalsNoCase(name, kWordReadingLocations))
                found_.lists.push_back({path + "\\" + name, false});
            if (equalsNoCase(name, kOfficeIdentities)) identityLists(appKey, path + "\\" + name, name);
        }
    }

    void identityLists(const RegKey& appKey, const std::string& path, const std::string& name) {
        const RegKey identities = child(appKey, name);
        if (!identities) return;
        for (const std::string& identity : names(identities)) {
            const RegKey identityKey = child(identities, identity);
            if (!identityKey) continue;
            for (const std::string& list : names(identityKey))
                if (namedIn(kOfficeItemLists, list)) found_.lists.push_back({path + "\\" + identity + "\\" + list, true});
        }
    }

    PlatformServices& platform_;
    FoundLists found_;
};

} // namespace

bool IsOfficeListItem(const std::string& valueName) {
    for (const char* prefix : {"Item Metadata ", "Item "})
        if (startsWithNoCase(valueName, prefix) && isNumber(valueName.substr(std::string(prefix).size()))) return true;
    return false;
}

bool IsPinnedOfficeItem(const std::string& itemData) {
    constexpr std::size_t kFlagDigits = 8;
    if (itemData.size() < kFlagDigits + 3 || itemData.compare(0, 2, "[F") != 0 || itemData[kFlagDigits + 2] != ']')
        return false;
    const std::string digits = itemData.substr(2, kFlagDigits);
    if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isxdigit(c); })) return false;
    return (std::stoul(digits, nullptr, 16) & 0x1) != 0;
}

bool IsUnpinnedOfficeListItem(const std::string& valueName, const ValueText& textOf) {
    if (!IsOfficeListItem(valueName)) return false;
    // "Item Metadata N" goes with "Item N": the number is what follows the last blank.
    const std::string item = "Item " + valueName.substr(valueName.find_last_of(' ') + 1);
    const auto data = textOf(item);
    return !data || !IsPinnedOfficeItem(*data);
}

FoundLists FindOfficeLists(PlatformServices& platform) { return OfficeWalk(platform).run(); }

} // namespace tv::engine
