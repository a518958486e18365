#include "engine/RunSummary.h"

#include <vector>

#include "engine/StatusWords.h"

namespace tv::engine {

namespace {

// A line of the status panel holds about this many characters of its bold face without
// reaching the panel's edge, at any scale.
constexpr std::size_t kLineCharacters = 52;
// Lines the status panel shows once the bar is put away.
constexpr std::size_t kPanelLines = 4;

std::size_t characterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

std::string filesLine(int count) {
    const bool one = count == 1;
    return std::to_string(count) + (one ? " fichier utilisé ou protégé conservé" : " fichiers utilisés ou protégés conservés");
}

} // namespace

void RunSummary::taskEnded(std::size_t task, const std::string& status) {
    if (task < kTaskCount && status == kImpossible) impossible_[task] = true;
}

std::string RunSummary::text() const {
    std::vector<std::string> refused;
    for (std::size_t task = 0; task < kTaskCount; ++task)
        if (impossible_[task]) refused.emplace_back(kTaskNames[task]);
    if (refused.empty() && filesStayed_ == 0 && !browserOpen_) return kCongratulation;

    std::vector<std::string> lines = {kExceptionsHeading};
    if (filesStayed_ > 0) lines.push_back(filesLine(filesStayed_));
    const std::size_t room = kPanelLines - lines.size() - (browserOpen_ ? 1 : 0);
    if (refused.size() == 1) {
        lines.push_back(refused.front() + " : " + kImpossible);
    } else if (!refused.empty()) {
        // The tasks named line after line, as many as the panel holds; past that, counted:
        // their own status texts named them during the run.
        std::vector<std::string> named = {std::string(kImpossible) + " :"};
        for (std::size_t i = 0; i < refused.size(); ++i) {
            const std::string piece = refused[i] + (i + 1 < refused.size() ? "," : "");
            if (characterCount(named.back()) + 1 + characterCount(piece) > kLineCharacters)
                named.push_back(piece);
            else
                named.back() += " " + piece;
        }
        if (named.size() <= room)
            lines.insert(lines.end(), named.begin(), named.end());
        else
            lines.push_back(std::string(kImpossible) + " pour " + std::to_string(refused.size()) + " tâches");
    }
    if (browserOpen_) lines.push_back(kBrowserStayedOpen);

    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r") + line;
    return text;
}

} // namespace tv::engine
