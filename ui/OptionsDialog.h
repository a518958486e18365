#pragma once
// What the two option dialogs share: one check box per task of a group, kept in step with
// the task selection and with the group's master check box on the main window.

#include <string>
#include <vector>

#include "ui/RunTexts.h"
#include "engine/TaskSelection.h"
#include "platform/toolkit/Controls.h"
#include "ui/LayoutWindow.h"

namespace tv::ui {

// The run reads this caption to tell a full wipe: one text for both.
inline constexpr const char* kMasterComplete = kMasterCompleteCaption;
inline constexpr const char* kMasterPartial = "Nettoyage partiel";

class OptionsDialog : public LayoutWindow {
public:
    // Recomputes the group's master check box from this dialog's boxes.
    void clean();
    // "Ok": every choice took effect when its box was clicked, so there is nothing to apply.
    void Panel3Click() { hide(); }

    struct TaskBox {
        toolkit::CheckBox* box;
        engine::TaskIndex task;
    };
    // In the order in which clean tests them and the master sets them.
    const std::vector<TaskBox>& taskBoxes() const { return boxes_; }
    engine::TaskGroup group() const { return group_; }

protected:
    OptionsDialog(toolkit::Application& app, const std::string& layoutName, const toolkit::Handlers& handlers,
                  engine::TaskGroup group);
    // Binds the boxes by name, in the group's order.
    void bindTaskBoxes(const std::vector<std::pair<std::string, engine::TaskIndex>>& names);
    // A box's state changed, by the user or by the master.
    void boxClicked(toolkit::CheckBox& box, engine::TaskIndex task);
    virtual toolkit::CheckBox& master() const = 0;

private:
    engine::TaskGroup group_;
    std::vector<TaskBox> boxes_;
};

} // namespace tv::ui
