// `q71-emulator feed`: the operator's hand at a running emulator. It puts a sheet into the
// feeder (or lists or clears it) over a control connection and prints the device's answer.
#pragma once

#include <optional>
#include <string>

namespace calvix::emulator {

struct FeedRequest {
    std::string address;     // host:port of the emulator
    std::string chartOn;     // "front" or "rear"; empty with blank, list or clear
    std::string it8;         // reference file of the chart
    double rotate = 0.0;
    int shiftX = 0;
    int shiftY = 0;
    bool blank = false;
    std::optional<double> level;  // with blank: a grey sheet of that encoded level
    bool list = false;
    bool clear = false;
};

// The control text for a request; nothing with the reason when the request is not whole.
// A relative reference path is made absolute, since the emulator runs in its own folder.
std::optional<std::string> FeedText(const FeedRequest& request, std::string* why);

// Sends the request and prints the answer; 0 accepted, 1 refused or unreachable, 2 bad request.
int RunFeedCommand(const FeedRequest& request);

}  // namespace calvix::emulator
