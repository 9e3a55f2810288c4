// The feed subcommand: builds the sheet line, sends it on a control connection, prints the
// device's result line.
#include "FeedCommand.h"

#include "WireClient.h"

#include <cstdio>
#include <filesystem>

namespace calvix::emulator {

namespace {

constexpr int kAnswerWaitMs = 10000;

}  // namespace

std::optional<std::string> FeedText(const FeedRequest& request, std::string* why) {
    if (request.level && !request.blank) {
        *why = "--level goes with --blank";
        return std::nullopt;
    }
    const int modes = (request.blank ? 1 : 0) + (request.list ? 1 : 0) + (request.clear ? 1 : 0) +
                      (request.chartOn.empty() ? 0 : 1);
    if (modes != 1) {
        *why = "give exactly one of --chart-on, --blank, --list, --clear";
        return std::nullopt;
    }
    if (request.list) return "list";
    if (request.clear) return "clear";
    if (request.blank && request.level) {
        char text[48];
        std::snprintf(text, sizeof text, "blank,level=%.17g", *request.level);
        return std::string(text);
    }
    if (request.blank) return "blank";
    if (request.it8.empty()) {
        *why = "--chart-on needs --it8 FILE";
        return std::nullopt;
    }
    std::error_code ignored;
    const std::string path = std::filesystem::absolute(request.it8, ignored).string();
    if (path.find(',') != std::string::npos) {
        *why = "the reference file's path must not contain a comma: " + path;
        return std::nullopt;
    }
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, ",rotate=%.17g,shift-x=%d,shift-y=%d", request.rotate, request.shiftX,
                  request.shiftY);
    return "chart-on=" + request.chartOn + ",it8=" + path + numbers;
}

int RunFeedCommand(const FeedRequest& request) {
    std::string why;
    const std::optional<std::string> text = FeedText(request, &why);
    if (!text) {
        std::fprintf(stderr, "q71-emulator feed: %s\n", why.c_str());
        return 2;
    }
    WireClient client;
    if (!client.Connect(request.address, &why)) {
        std::fprintf(stderr, "q71-emulator feed: %s\n", why.c_str());
        return 1;
    }
    if (!client.Greet(wire::kRoleControl, kAnswerWaitMs)) {
        std::fprintf(stderr, "q71-emulator feed: the emulator at %s did not accept a control connection\n",
                     request.address.c_str());
        return 1;
    }
    std::optional<wire::Frame> answer;
    if (client.Send(wire::FrameType::Feed, *text)) answer = client.Next(kAnswerWaitMs);
    if (!answer || answer->type != wire::FrameType::FeedResult) {
        std::fprintf(stderr, "q71-emulator feed: no answer from the emulator at %s\n", request.address.c_str());
        return 1;
    }
    std::fwrite(answer->payload.data(), 1, answer->payload.size(), stdout);
    std::fputc('\n', stdout);
    return answer->payload.rfind("A000", 0) == 0 ? 0 : 1;
}

}  // namespace calvix::emulator
