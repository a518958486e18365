#include "ui/RunSummary.h"

#include <vector>

#include "engine/Names.h"
#include "ui/RunTexts.h"

namespace tv::ui {

using engine::characterCount;

namespace {

// A line of the status panel holds about this many characters of its bold face without
// reaching the panel's edge, at any scale.
constexpr std::size_t kLineCharacters = 52;
// Lines the status panel shows once the bar is put away.
constexpr std::size_t kPanelLines = 4;

constexpr const char* kColon = "\u00A0: ";
constexpr const char* kEllipsis = "…";

// Where the text's character number `index` starts (the end for the character count).
std::size_t characterStart(const std::string& utf8, std::size_t index) {
    std::size_t seen = 0;
    for (std::size_t at = 0; at < utf8.size(); ++at)
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && seen++ == index) return at;
    return utf8.size();
}

// A name in `room` characters: whole, or its start and its end around an ellipsis.
std::string shortened(const std::string& name, std::size_t room) {
    const std::size_t count = characterCount(name);
    if (count <= room) return name;
    const std::size_t head = (room - 1) / 2;
    const std::size_t tail = room - 1 - head;
    return name.substr(0, characterStart(name, head)) + kEllipsis + name.substr(characterStart(name, count - tail));
}

// A path in `room` characters: whole, or its last names after an ellipsis, or its last name
// shortened.
std::string fitted(std::string path, std::size_t room) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (characterCount(path) <= room) return path;
    std::size_t cut = path.size();
    std::string tail;
    while (cut > 0) {
        const std::size_t slash = path.rfind('\\', cut - 1);
        if (slash == std::string::npos) break;
        const std::string longer = std::string(kEllipsis) + path.substr(slash);
        if (characterCount(longer) > room) break;
        tail = longer;
        cut = slash;
    }
    if (!tail.empty()) return tail;
    return shortened(path.substr(path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\') + 1), room);
}

std::string foldersLine(int count, const std::string& first) {
    const std::string lead = count == 1 ? std::string("Dossier illisible") + kColon
                                        : std::to_string(count) + " dossiers illisibles, dont ";
    return lead + fitted(first, kLineCharacters - characterCount(lead));
}

// Names after one lead, on as many lines as they take.
std::vector<std::string> listLines(const std::string& lead, const std::vector<std::string>& names) {
    std::vector<std::string> lines = {lead + "\u00A0:"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string piece = names[i] + (i + 1 < names.size() ? "," : "");
        if (characterCount(lines.back()) + 1 + characterCount(piece) > kLineCharacters)
            lines.push_back(piece);
        else
            lines.back() += " " + piece;
    }
    return lines;
}

// Each browser's store that stayed, named once: "Google Chrome (History)", or the browser
// alone when none of it could be reached.
std::vector<std::string> storesNamed(const engine::RunReport& report) {
    std::vector<std::string> names;
    for (const engine::StoreLeft& store : report.storesLeft) engine::addOnce(names, storeName(store));
    return names;
}

} // namespace

std::string closingText(const engine::RunReport& report) {
    const int filesStayed_ = report.filesStayed();
    const int foldersUnreached_ = report.foldersUnreached;
    const std::string& firstUnreached_ = report.firstFolderUnreached.path;
    const bool browserOpen_ = report.internetExplorerStayedOpen;
    const std::vector<std::string>& leftOpen_ = report.browsersLeftOpen;
    const std::vector<std::string> notCleaned_ = storesNamed(report);

    std::vector<std::string> refused;
    for (std::size_t task = 0; task < engine::kTaskCount; ++task)
        if (report.tasks[task].outcome() == engine::Outcome::Impossible) refused.emplace_back(kTaskNames[task]);

    std::vector<std::string> body;
    if (filesStayed_ > 0) body.push_back(words::filesStayedText(filesStayed_));
    if (foldersUnreached_ > 0) body.push_back(foldersLine(foldersUnreached_, firstUnreached_));
    std::vector<std::string> browsers;
    if (!leftOpen_.empty()) browsers = listLines(kLeftOpenLead, leftOpen_);
    if (!notCleaned_.empty())
        for (std::string& line : listLines(kNotCleanedLead, notCleaned_)) browsers.push_back(std::move(line));
    std::vector<std::string> tasks = refused.empty() ? std::vector<std::string>() : listLines(kImpossibleWord, refused);
    const std::size_t others = (browserOpen_ ? 1 : 0) + browsers.size();
    // Past the panel's room, the refused tasks are counted: their own status texts named
    // them during the run.
    if (tasks.size() > 1 && body.size() + tasks.size() + others > kPanelLines)
        tasks = {std::string(kImpossibleWord) + " pour " + std::to_string(refused.size()) + " tâches"};
    body.insert(body.end(), tasks.begin(), tasks.end());
    if (browserOpen_) body.push_back(kBrowserStayedOpen);
    body.insert(body.end(), browsers.begin(), browsers.end());
    if (body.empty()) return kCongratulation;

    std::vector<std::string> lines;
    if (body.size() < kPanelLines) lines.push_back(kIncompleteHeading);
    if (body.size() > kPanelLines) {
        const std::size_t hidden = body.size() - (kPanelLines - 1);
        body.resize(kPanelLines - 1);
        body.push_back("Et " + std::to_string(hidden) + " autres problèmes");
    }
    lines.insert(lines.end(), body.begin(), body.end());

    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r") + line;
    return text;
}

} // namespace tv::ui
