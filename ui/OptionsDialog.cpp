#include "ui/OptionsDialog.h"

#include "ui/Program.h"
#include "ui/Unit1.h"

namespace tv::ui {

using toolkit::CheckState;

OptionsDialog::OptionsDialog(toolkit::Application& app, const std::string& layoutName,
                             const toolkit::Handlers& handlers, engine::TaskGroup group)
    : LayoutWindow(app, layoutName, handlers), group_(group) {}

void OptionsDialog::bindTaskBoxes(const std::vector<std::pair<std::string, engine::TaskIndex>>& names) {
    for (const auto& [name, task] : names) boxes_.push_back({&control<toolkit::CheckBox>(name), task});
}

void OptionsDialog::clean() {
    std::size_t ticked = 0;
    for (const TaskBox& b : boxes_)
        if (b.box->checked()) ++ticked;
    CheckState target = CheckState::Grayed;
    const char* caption = kMasterPartial;
    if (ticked == boxes_.size()) {
        target = CheckState::Checked;
        caption = kMasterComplete;
    } else if (ticked == 0) {
        target = CheckState::Unchecked;
        caption = kMasterComplete;
    }
    // The master's own handling would otherwise take this change for a user's click.
    Form1->SyncEnabled = 0;
    master().setState(target);
    master().setCaption(caption);
    Form1->SyncEnabled = 1;
}

void OptionsDialog::boxClicked(toolkit::CheckBox& box, engine::TaskIndex task) {
    clean();
    Form1->TaskFlags.select(task, box.checked());
}

} // namespace tv::ui
