#include "words/RunWords.h"

namespace tv::words {

const char* statusText(engine::StatusWord word) {
    switch (word) {
    case engine::StatusWord::Cleaned: return kCleanedWord;
    case engine::StatusWord::NotPresent: return kNotPresentWord;
    case engine::StatusWord::Impossible: return kImpossibleWord;
    case engine::StatusWord::AutoCompleteCleaned: return kAutoCompleteCleaned;
    }
    return kImpossibleWord;
}

const char* outcomeText(engine::Outcome outcome) {
    switch (outcome) {
    case engine::Outcome::Cleaned: return kCleanedWord;
    case engine::Outcome::NotPresent: return kNotPresentWord;
    case engine::Outcome::Impossible: break;
    }
    return kImpossibleWord;
}

std::string storeName(const engine::StoreLeft& store) {
    if (store.store.empty()) return store.profile.empty() ? store.browser : store.browser + " (" + store.profile + ")";
    const auto slash = store.store.rfind('\\');
    return store.browser + " (" + store.store.substr(slash == std::string::npos ? 0 : slash + 1) + ")";
}

std::string filesStayedText(int count) {
    return count == 1 ? "1 fichier n'a pas été supprimé" : std::to_string(count) + " fichiers n'ont pas été supprimés";
}

} // namespace tv::words
