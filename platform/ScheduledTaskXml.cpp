#include "platform/ScheduledTaskXml.h"

#include <cstdio>
#include <string_view>

namespace tv {

namespace {

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string unescaped(std::string_view text) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        bool replaced = false;
        for (const auto& [entity, character] : kEntities)
            if (text.substr(at, entity.size()) == entity) {
                out += character;
                at += entity.size();
                replaced = true;
                break;
            }
        if (!replaced) out += text[at++];
    }
    return out;
}

// The text of the first element of that name at or after `from` and before `until`.
std::optional<std::string> elementText(std::string_view xml, std::string_view name, std::size_t from = 0,
                                       std::size_t until = std::string_view::npos) {
    std::string open = "<", close = "</";
    open.append(name).append(">");
    close.append(name).append(">");
    const std::size_t start = xml.find(open, from);
    if (start == std::string_view::npos || start >= until) return std::nullopt;
    const std::size_t end = xml.find(close, start);
    if (end == std::string_view::npos) return std::nullopt;
    return unescaped(xml.substr(start + open.size(), end - start - open.size()));
}

// The number of two digits at `at`, or -1.
int twoDigits(const std::string& text, std::size_t at) {
    if (at + 2 > text.size() || text[at] < '0' || text[at] > '9' || text[at + 1] < '0' || text[at + 1] > '9') return -1;
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

} // namespace

std::string scheduledTaskXml(const ScheduledRun& run, const LocalTime& today, const std::string& user) {
    std::string trigger;
    if (run.trigger == ScheduleTrigger::Logon) {
        // The user's own logon only: a logon of anyone would need an administrator.
        trigger = "    <LogonTrigger>\n      <Enabled>true</Enabled>\n      <UserId>" + escaped(user) +
                  "</UserId>\n    </LogonTrigger>\n";
    } else {
        char start[32];
        std::snprintf(start, sizeof start, "%04d-%02d-%02dT%02d:%02d:00", today.year, today.month, today.day, run.hour,
                      run.minute);
        // No zone: the clock of wherever the computer is.
        trigger = std::string("    <CalendarTrigger>\n      <StartBoundary>") + start +
                  "</StartBoundary>\n      <Enabled>true</Enabled>\n"
                  "      <ScheduleByDay>\n        <DaysInterval>1</DaysInterval>\n      </ScheduleByDay>\n"
                  "    </CalendarTrigger>\n";
    }
    return "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
           "  <RegistrationInfo>\n"
           "    <Author>Tarmel Veilo</Author>\n"
           "    <Description>Nettoyage des traces par Tarmel Veilo, sans fenêtre</Description>\n"
           "  </RegistrationInfo>\n"
           "  <Triggers>\n" +
           trigger +
           "  </Triggers>\n"
           "  <Principals>\n"
           "    <Principal id=\"Author\">\n"
           "      <LogonType>InteractiveToken</LogonType>\n"
           "      <RunLevel>LeastPrivilege</RunLevel>\n"
           "    </Principal>\n"
           "  </Principals>\n"
           // A run missed while the computer was off starts when it is back, on battery too.
           "  <Settings>\n"
           "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
           "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n"
           "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n"
           "    <StartWhenAvailable>true</StartWhenAvailable>\n"
           "    <Enabled>true</Enabled>\n"
           "  </Settings>\n"
           "  <Actions Context=\"Author\">\n"
           "    <Exec>\n"
           "      <Command>" +
           escaped("\"" + run.program + "\"") +
           "</Command>\n"
           "      <Arguments>" +
           escaped(run.arguments) +
           "</Arguments>\n"
           "    </Exec>\n"
           "  </Actions>\n"
           "</Task>\n";
}

std::optional<ScheduledRun> scheduledRunOfXml(const std::string& xml) {
    ScheduledRun run;
    const std::size_t exec = xml.find("<Exec>");
    if (exec == std::string::npos) return std::nullopt;
    std::optional<std::string> command = elementText(xml, "Command", exec);
    if (!command) return std::nullopt;
    if (command->size() >= 2 && command->front() == '"' && command->back() == '"')
        *command = command->substr(1, command->size() - 2);
    run.program = *command;
    run.arguments = elementText(xml, "Arguments", exec).value_or("");

    run.trigger = ScheduleTrigger::Other;
    const std::size_t calendar = xml.find("<CalendarTrigger>");
    const std::size_t logon = xml.find("<LogonTrigger>");
    if (logon != std::string::npos && logon < calendar) {
        run.trigger = ScheduleTrigger::Logon;
    } else if (calendar != std::string::npos) {
        const std::size_t end = xml.find("</CalendarTrigger>", calendar);
        const std::optional<std::string> start = elementText(xml, "StartBoundary", calendar, end);
        const std::optional<std::string> interval = elementText(xml, "DaysInterval", calendar, end);
        // 2026-12-11T21:30:00, every day
        const int hour = start && start->size() >= 16 && (*start)[10] == 'T' ? twoDigits(*start, 11) : -1;
        const int minute = hour >= 0 && (*start)[13] == ':' ? twoDigits(*start, 14) : -1;
        if (interval == "1" && hour >= 0 && minute >= 0) {
            run.trigger = ScheduleTrigger::Daily;
            run.hour = hour;
            run.minute = minute;
        }
    }
    return run;
}

} // namespace tv
