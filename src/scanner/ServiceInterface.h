// The check that no other service tool holds the scanner's service interface: what
// TMainFormular::checkServiceInterface needs besides its flags and closing the window.
#pragma once

namespace calvix {

class Desktop;
class NamedLock;
class TAppStrings;

// Takes the service lock unless lockHeld says it is held already. When another process holds
// it: tells the operator (MsgServiceInUse, OK only), logs the abort, leaves lockHeld false and
// returns false, and the caller closes the main window.
bool AcquireServiceInterface(NamedLock& lock, bool& lockHeld, Desktop& desktop, const TAppStrings& strings);

}  // namespace calvix
