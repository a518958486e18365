#include "console/ExitStatus.h"

namespace tv::console {

ExitStatus exitStatusOf(const engine::RunReport& report, const engine::TaskSelection& selected) {
    if (report.anotherRunInProgress) return kExitNotRun;
    if (!report.error.empty()) return report.started ? kExitRunError : kExitNotRun;
    if (report.nothingSelected) return kExitUsage;
    // An unattended run asks nothing; a run declined all the same did nothing.
    if (report.declined) return kExitNotRun;
    if (report.interrupted) return kExitSomethingStayed;
    if (!report.finished) return kExitRunError;
    if (report.mode == engine::RunMode::Plan) return kExitDone;
    return report.complete(selected) ? kExitDone : kExitSomethingStayed;
}

} // namespace tv::console
