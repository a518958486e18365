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

// The items after their heading, line after line as the panel's width allows.
std::vector<std::string> wrapped(const std::string& heading, const std::vector<std::string>& items) {
    std::vector<std::string> lines = {heading};
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string piece = items[i] + (i + 1 < items.size() ? "," : "");
        if (characterCount(lines.back()) + 1 + characterCount(piece) > kLineCharacters)
            lines.push_back(piece);
        else
            lines.back() += " " + piece;
    }
    return lines;
}

} // namespace

void RunSummary::addOnce(std::vector<std::string>& list, const std::string& item) {
    for (const std::string& known : list)
        if (known == item) return;
    list.push_back(item);
}

void RunSummary::taskEnded(std::size_t task, const std::string& status) {
    if (task < kTaskCount && status == kImpossible) impossible_[task] = true;
}

std::string RunSummary::text() const {
    std::vector<std::string> refused;
    for (std::size_t task = 0; task < kTaskCount; ++task)
        if (impossible_[task]) refused.emplace_back(kTaskNames[task]);
    if (refused.empty() && filesStayed_ == 0 && !browserOpen_ && leftOpen_.empty() && notCleaned_.empty())
        return kCongratulation;

    std::vector<std::string> lines = {kExceptionsHeading};
    if (filesStayed_ > 0) lines.push_back(filesLine(filesStayed_));
    for (const auto* browsers : {&leftOpen_, &notCleaned_}) {
        if (browsers->empty()) continue;
        auto named = wrapped(browsers == &leftOpen_ ? kLeftOpenHeading : kNotCleanedHeading, *browsers);
        lines.insert(lines.end(), named.begin(), named.end());
    }
    const std::size_t used = lines.size() + (browserOpen_ ? 1 : 0);
    const std::size_t room = used < kPanelLines ? kPanelLines - used : 0;
    if (refused.size() == 1 && room > 0) {
        lines.push_back(refused.front() + " : " + kImpossible);
    } else if (!refused.empty()) {
        // The tasks named line after line, as many as the panel holds; past that, counted:
        // their own status texts named them during the run.
        const std::vector<std::string> named = wrapped(std::string(kImpossible) + " :", refused);
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
