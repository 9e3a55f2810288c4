// The MessagePump port: lets the window system do its pending work while the TWAIN acquisition
// waits for the source. The Qt view processes window events, the headless desktop just yields.
#pragma once

namespace calvix {

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Processes the window events pending now, waiting at most maxWaitMs for more; returns false
    // once the application is quitting, so a waiting loop can end.
    virtual bool ProcessEvents(int maxWaitMs) = 0;
};

}  // namespace calvix
