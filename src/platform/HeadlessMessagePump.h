// The MessagePump of the headless desktop: there are no window events, so a wait just yields
// for its time; a quit request (a signal, for instance) ends it.
#pragma once

#include "scanner/MessagePump.h"

#include <functional>
#include <utility>

namespace calvix {

class Clock;

class HeadlessMessagePump final : public MessagePump {
public:
    // quitRequested: asked before and after each wait; none: the application never quits.
    explicit HeadlessMessagePump(Clock& clock, std::function<bool()> quitRequested = {})
        : clock_(clock), quitRequested_(std::move(quitRequested)) {}

    bool ProcessEvents(int maxWaitMs) override;

private:
    bool Quitting() const { return quitRequested_ && quitRequested_(); }

    Clock& clock_;
    std::function<bool()> quitRequested_;
};

}  // namespace calvix
