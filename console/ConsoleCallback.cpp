#include "console/ConsoleCallback.h"

#include "console/TextReport.h"
#include "console/Words.h"

namespace tv::console {

ConsoleCallback::ConsoleCallback(PlatformServices& platform, const UnattendedSession& session, const CommandLine& line,
                                 const engine::RunReport& report)
    : platform_(platform), session_(session), line_(line), report_(report) {}

void ConsoleCallback::taskEnded(std::size_t task, const engine::TaskReport& done) {
    if (line_.json || task >= engine::kTaskCount) return;
    platform_.writeStandard(StandardStream::Output, taskLines(task, done, report_));
    printed_[task] = true;
}

engine::Answer ConsoleCallback::ask(engine::Question question, const std::vector<std::string>&) {
    // An unattended run is not meant to ask; if it does, the command line answers as the
    // window's Yes would only where it said so, and never changes the start page.
    const bool closing =
        question == engine::Question::CloseInternetExplorer || question == engine::Question::CloseBrowsers;
    return closing && line_.closeBrowsers ? engine::Answer::Yes : engine::Answer::No;
}

void ConsoleCallback::notice(engine::Notice notice) {
    if (notice == engine::Notice::PathError)
        platform_.writeStandard(StandardStream::Error,
                                std::string("Un dossier n'a pas pu être trouvé par le système") + kColon +
                                    "ce nettoyage-là n'a rien fait" + kLineEnd);
}

bool ConsoleCallback::mayGoOn() { return !session_.interrupted(); }

} // namespace tv::console
