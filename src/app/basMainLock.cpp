// The window's role: the lock, its rules at the pages and at Options.
#include "app/PortNaming.h"
#include "app/RolesPage.h"
#include "app/SwitchView.h"
#include "app/WindowLock.h"
#include "app/basMain.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "control/AudioPage.h"

#include <map>

namespace quadrel {

bool basMain::MayOnSelected(Action action) {
    const UnitRef unit = core_.model.objSelectedUnit;
    return !lock_ || lock_->Allow({action, unit ? unit->bID() : -1, {}, {}});
}

void basMain::WireLock() {
    lock_ = std::make_unique<WindowLock>(rolesFile_, core_, timerFactory_, *form_);
    // The pages disable what the staff may not touch, output by output.
    const auto outputRefusal = [this](Action action) {
        return [this, action](int output) {
            const UnitRef unit = core_.model.objSelectedUnit;
            return lock_->May({action, unit ? unit->bID() : -1, {output}, {}}).reason;
        };
    };
    switchView_->setOutputRefusal(outputRefusal(Action::Route));
    audioPage_->setOutputRefusal(outputRefusal(Action::Volume));
    lock_->setOnChanged([this] {
        switchView_->RoleChanged();
        audioPage_->RoleChanged();
    });
    lock_->Load();
    naming_->setRefusal([this] { return lock_->May({Action::Rename, -1, {}, {}}).reason; });
    hooks_.OptionsRefusal = [this] {
        const QString reason = lock_->May({Action::Options, -1, {}, {}}).reason;
        if (!reason.isEmpty()) {
            core_.activity.Act(reason);
        }
        return reason;
    };
    hooks_.ExtendOptions = [this](frmOptions& dialog) {
        std::map<int, int> units;
        for (const auto& entry : core_.model.objUnits()) {
            units[entry.unit->bID()] = entry.unit->iOutputCount();
        }
        auto* page = new RolesPage(*lock_, units, messages_, &dialog);
        dialog.AddPage(page, tr("Roles"), [page] { return page->Apply(); });
    };
}

} // namespace quadrel
