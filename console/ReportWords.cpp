#include "console/ReportWords.h"

#include "console/Words.h"

namespace tv::console {

using engine::ItemKind;
using engine::StoreProblem;

namespace {

struct Unit {
    const char* singular;
    const char* plural;
};

Unit unitOf(ItemKind kind) {
    switch (kind) {
    case ItemKind::FolderFiles:
    case ItemKind::BrowserFile: return {"fichier", "fichiers"};
    case ItemKind::DatabaseRows: return {"ligne", "lignes"};
    case ItemKind::RegistryValues: return {"valeur", "valeurs"};
    case ItemKind::RecycleBin:
    case ItemKind::HistoryStore: return {"élément", "éléments"};
    default: return {"entrée", "entrées"};
    }
}

} // namespace

std::string browserPlaceText(const std::string& browser, const std::string& profile, const std::string& store) {
    std::string text = browser;
    if (!profile.empty()) {
        text += ' ';
        text += quotedFrench(profile);
    }
    if (!store.empty()) {
        text += " (";
        text += store;
        text += ')';
    }
    return text;
}

std::string placeText(const engine::Place& place, ItemKind kind) {
    if (!place.browser.empty()) {
        std::string text = browserPlaceText(place.browser, place.profile, place.store);
        if (place.store.empty() && !place.path.empty()) text += kColon + place.path;
        return text;
    }
    switch (kind) {
    case ItemKind::RegistryValues:
    case ItemKind::RegistryKeys:
    case ItemKind::FormData:
        return std::string(place.machineHive ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + place.path;
    case ItemKind::UrlCache:
        if (place.path.empty()) return "Cache d'adresses d'Internet Explorer";
        break;
    case ItemKind::HistoryStore:
        if (place.path.empty()) return "Historique d'Internet Explorer";
        break;
    case ItemKind::RecycleBin:
        if (place.path.empty()) return "Corbeille";
        break;
    default: break;
    }
    return place.path;
}

std::string countText(ItemKind kind, std::uint64_t count) {
    const Unit unit = unitOf(kind);
    return numberText(count) + " " + (count == 1 ? unit.singular : unit.plural);
}

const char* unitPlural(ItemKind kind) { return unitOf(kind).plural; }

std::string storeProblemText(StoreProblem why) {
    switch (why) {
    case StoreProblem::Refused: return "ouvert par un autre programme, refusé ou derrière un lien";
    case StoreProblem::Damaged: return "pas une base saine, ou pas celle attendue";
    case StoreProblem::HoldsTrigger: return "base qui exécute son propre code quand on l'écrit";
    case StoreProblem::NetworkPath: return "sur un lecteur réseau, jamais ouvert";
    case StoreProblem::RebuildFailed: return "ses lignes sont effacées, mais le fichier garde leurs pages";
    case StoreProblem::Unreachable: return "dossier du navigateur illisible";
    }
    return {};
}

const char* itemKindKey(ItemKind kind) {
    switch (kind) {
    case ItemKind::FolderFiles: return "files";
    case ItemKind::DatabaseRows: return "rows";
    case ItemKind::RegistryValues: return "registryValues";
    case ItemKind::RegistryKeys: return "registryKeys";
    case ItemKind::BrowserFile: return "browserFile";
    case ItemKind::JumpListEntries: return "jumpListEntries";
    case ItemKind::RecycleBin: return "recycleBin";
    case ItemKind::UrlCache: return "urlCache";
    case ItemKind::HistoryStore: return "historyStore";
    case ItemKind::FormData: return "formData";
    }
    return "";
}

const char* storeProblemKey(StoreProblem why) {
    switch (why) {
    case StoreProblem::Refused: return "refused";
    case StoreProblem::Damaged: return "damaged";
    case StoreProblem::HoldsTrigger: return "holdsTrigger";
    case StoreProblem::NetworkPath: return "networkPath";
    case StoreProblem::RebuildFailed: return "rebuildFailed";
    case StoreProblem::Unreachable: return "unreachable";
    }
    return "";
}

const char* outcomeKey(const engine::TaskReport& task, engine::RunMode mode) {
    if (!task.ended) return "impossible";
    switch (task.outcome()) {
    case engine::Outcome::Impossible: return "impossible";
    case engine::Outcome::NotPresent: return "absent";
    case engine::Outcome::Cleaned: break;
    }
    return mode == engine::RunMode::Plan ? "planned" : "done";
}

} // namespace tv::console
