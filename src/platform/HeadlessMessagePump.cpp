// Yielding in place of window events.
#include "platform/HeadlessMessagePump.h"

#include "app/Clock.h"

namespace calvix {

bool HeadlessMessagePump::ProcessEvents(int maxWaitMs) {
    if (Quitting()) return false;
    if (maxWaitMs > 0) clock_.SleepMs(maxWaitMs);
    return !Quitting();
}

}  // namespace calvix
