// The editor's commands that keep the user from losing or writing what he did
// not mean: the removal of a sort value, the check for edits not yet saved,
// and the steps back and forth through the kept Saves.
#include <string>

#include "Bridge/MusicLibrary.h"
#include "Controller/SRMainController.h"

namespace yomi {

void SRMainController::removeSortValue(const void*)
{
    const std::vector<PairEntryRef> selected =
        arrayController ? arrayController->selectedObjects() : std::vector<PairEntryRef>{};
    lastEdit_ = EditReport{selected.size(), 0, 0};
    for (const PairEntryRef& entry : selected) {
        if (!entry || entry->removing())
            continue;
        lastEdit_.changed += !entry->sortStr.empty();
        entry->sortStr.clear();
        entry->removeSort = true;
    }
    setDataArray(dataArray_);
}

bool SRMainController::hasUnsavedEdits() const
{
    bool edited = false;
    if (dataArray_)
        dataArray_->forEach([&](const PairEntryRef& entry) { edited = edited || entry->isEdited(); });
    return edited;
}

storage::RevertSteps SRMainController::revertSteps() const
{
    const auto app = bridge::applicationWithBundleIdentifier(bridge::kMusicApplicationIdentifier);
    return storage::revertSteps(app ? app->folder() : std::string());
}

void SRMainController::redoLastRevert(const void*)
{
    const storage::RevertSteps steps = revertSteps();
    if (!steps.redo) {
        lastRevert_ = RevertReport{};
        lastRevert_.error = "no revert to redo";
        return;
    }
    revertSave(*steps.redo);
    if (dataArray_ && !dataArray_->empty())
        load(nullptr);
}

} // namespace yomi
