// The look at the scanner's calibration mode: one parameter request on its own connection.
#include "scanner/CalibModeWatch.h"

#include "app/FormStatus.h"
#include "scanner/CalibMode.h"
#include "scanner/EthernetCmd.h"

namespace calvix {

namespace {

bool Answered(std::uint8_t status) { return status != 0 && status != kReplyTimedOut && status != kReplyReadFailed; }

}  // namespace

CalibModeCheck CalibModeWatch::Check(CEthernetCmd& ethernet, bool duplex) {
    if (last_ == CalibModeCheck::Lost) return last_;
    reason_.clear();
    last_ = Look(ethernet, duplex);
    if (last_ != CalibModeCheck::Holds) {
        CALVIX_LOG_ERR(unit::MainForm, "Calibration mode not confirmed: " + reason_, LogErrBarSplash);
    }
    return last_;
}

CalibModeCheck CalibModeWatch::Look(CEthernetCmd& ethernet, bool duplex) {
    if (ethernet.Connect() != 0) {
        reason_ = "the scanner cannot be reached over the network";
        return CalibModeCheck::Unreachable;
    }
    std::uint32_t scratch = 0;
    ethernet.FlushReplies(scratch);
    const bool sent = ethernet.SendCommand("get_params\r\n", scratch) == 0;
    const std::uint8_t first = sent ? ethernet.ReadReply(kReplyTimeoutMs, ethernet.Reply()) : 0;
    const std::uint8_t second = Answered(first) ? ethernet.ReadReply(kReplyTimeoutMs, ethernet.Reply()) : 0;
    const std::string params(ethernet.Reply().Text());
    ethernet.Disconnect();
    if (!Answered(second)) {
        reason_ = "the scanner does not answer its parameter request";
        return CalibModeCheck::Unreachable;
    }
    unsigned long lamps = 0, front = 0, rear = 1, changes = 0;
    if (first != kReplyAcceptedStatus || second != kReplyAcceptedStatus || !FindParam(params, "LAMPS", lamps) ||
        !FindParam(params, "BYPASS_F", front) || (duplex && !FindParam(params, "BYPASS_R", rear)) ||
        !FindParam(params, "MODE_CHANGES", changes)) {
        reason_ = "the scanner does not report its calibration mode";
        return CalibModeCheck::Lost;
    }
    if (lamps != 1 || front != 1 || rear != 1) {
        reason_ = "the scanner has left calibration mode (another program ended it?)";
        return CalibModeCheck::Lost;
    }
    if (changes_ && *changes_ != changes) {
        reason_ = "another program has switched the scanner's calibration mode meanwhile";
        return CalibModeCheck::Lost;
    }
    changes_ = changes;
    return CalibModeCheck::Holds;
}

}  // namespace calvix
