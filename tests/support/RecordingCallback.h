#pragma once
// A front end that writes down what the run tells it, answers its questions from a script
// and keeps every item a plan reports: the run's logic tested with no window.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/RunCallback.h"

namespace tv::testsupport {

struct RecordingCallback : engine::RunCallback {
    std::vector<std::string> events; // in order: "task 5", "ask FullWipe", "notice SelectiveHint", ...
    std::deque<engine::Answer> answers; // taken in turn; Yes once they run out
    std::vector<engine::ReportItem> plannedItems;
    int fileSteps = 0;
    int shareUnits = 0;
    std::int32_t totalUnits = -1;
    std::function<bool()> goOn = [] { return true; };

    void working() override { events.push_back("working"); }
    void closingInternetExplorer() override { events.push_back("closing Internet Explorer"); }
    void closingBrowsers() override { events.push_back("closing browsers"); }
    void total(std::int32_t units) override { totalUnits = units; }
    void taskBegins(std::size_t task) override { events.push_back("task " + std::to_string(task)); }
    void finished(const engine::RunReport&) override { events.push_back("finished"); }
    void fileStep() override { ++fileSteps; }
    void shareStep(int units) override { shareUnits += units; }
    engine::Answer ask(engine::Question question, const std::vector<std::string>& names) override {
        static const char* const kNames[] = {"FullWipe", "CloseInternetExplorer", "CloseBrowsers", "StartPage"};
        std::string event = std::string("ask ") + kNames[static_cast<int>(question)];
        for (const std::string& name : names) event += " " + name;
        events.push_back(event);
        if (answers.empty()) return engine::Answer::Yes;
        const engine::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void notice(engine::Notice notice) override {
        static const char* const kNames[] = {"NothingSelected", "SelectiveHint", "PathError", "AnotherRunInProgress"};
        events.push_back(std::string("notice ") + kNames[static_cast<int>(notice)]);
    }
    bool mayGoOn() override { return goOn(); }
    void planned(const engine::ReportItem& item) override { plannedItems.push_back(item); }

    // The events that begin with `start`.
    std::vector<std::string> only(const std::string& start) const {
        std::vector<std::string> some;
        for (const std::string& event : events)
            if (event.rfind(start, 0) == 0) some.push_back(event);
        return some;
    }
};

} // namespace tv::testsupport
