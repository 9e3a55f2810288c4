// The MessagePump over Qt: while the TWAIN acquisition waits for its source, the windows keep
// painting, the timers keep ticking and the operator's input is handled.
#pragma once

#include "scanner/MessagePump.h"

#include <functional>

namespace calvix {

class QtMessagePump final : public MessagePump {
public:
    // The application counts as quitting once Qt is shutting down or this says so (the main
    // window closed during the wait).
    void SetQuitCheck(std::function<bool()> quitRequested) { quitRequested_ = std::move(quitRequested); }

    bool ProcessEvents(int maxWaitMs) override;

private:
    bool Quitting() const;

    std::function<bool()> quitRequested_;
};

}  // namespace calvix
