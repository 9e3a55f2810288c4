// Service interface exclusion: one named lock, held from the check to the end of the process.
#include "scanner/ServiceInterface.h"

#include "app/Desktop.h"
#include "app/FormStatus.h"
#include "app/Strings.h"
#include "scanner/NamedLock.h"

namespace calvix {

bool AcquireServiceInterface(NamedLock& lock, bool& lockHeld, Desktop& desktop, const TAppStrings& strings) {
    if (lockHeld) return true;
    if (lock.TryAcquire(kServiceLockName)) {
        lockHeld = true;
        return true;
    }
    desktop.ShowMessage(strings.MsgServiceInUse.caption, strings.MBoxTitleRequest.caption, MessageButtons::Ok);
    CALVIX_LOG_ERR(unit::MainForm, "Program aborted, service interface is in use!", LogErr);
    return false;
}

}  // namespace calvix
