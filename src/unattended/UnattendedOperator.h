// The scripted operator of an unattended calibration: after every tick of the real program it
// looks at the scanner session and the wizard, plays the operator's hand (the reference, the
// warm-up, Scan, Next, Finish), answers message boxes as a careful operator would, prints its
// progress, and tells how the run ended.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace calvix {

class Clock;
class HeadlessDesktop;
class TFormAssistent;
class TMainFormular;

// Exit codes of `calvix --unattended`, one per step that can fail.
enum class UnattendedResult : int {
    Uploaded = 0,           // the LUT was uploaded and the device acknowledged it
    Interrupted = 1,        // the program ended before a step could finish (e.g. a signal)
    StartRefused = 3,       // the service interface is in use
    ScannerNotReached = 4,  // no TWAIN source or no answer before the time limit
    CalibrationMode = 5,    // the scanner refused calibration mode
    Reference = 6,          // no usable reference file
    FrontSide = 7,          // the front scan or its chart check failed
    RearSide = 8,           // the rear scan or its chart check failed
    Upload = 9,             // the device did not take the LUT
    // The LUT was uploaded and acknowledged, but a side's ICC profile was not written (or a
    // stale one could not be moved aside): programs reading the scans would use a wrong profile.
    ProfilesNotWritten = 10,
};

struct UnattendedOptions {
    // A reference file to install (or to pick, when the same file is installed already); empty:
    // the reference the list remembers.
    std::string reference;
    // "Connect again?" is answered Retry this often, then Cancel.
    int connectRetries = 5;
    // Without calibration mode by then, the scanner counts as not reached.
    std::int64_t scannerTimeoutMs = 60000;
};

class UnattendedOperator {
public:
    UnattendedOperator(TMainFormular& form, HeadlessDesktop& desktop, Clock& clock, UnattendedOptions options,
                       std::FILE* out);
    UnattendedOperator(const UnattendedOperator&) = delete;
    UnattendedOperator& operator=(const UnattendedOperator&) = delete;

    // After every tick of the main window.
    void Act();
    // The driver's sleep up to the next tick: what the run waited rather than worked.
    void TickWaited(std::int64_t ms) { tickWaitMs_ += ms; }
    // The run is over when the main window has closed.
    bool Finished() const;
    UnattendedResult Result() const { return result_; }
    int ExitCode() const { return static_cast<int>(result_); }

private:
    void ReportSession();
    void ActOnWizard(TFormAssistent& wizard);
    void WatchDuringWarmUp();
    void ChooseReference(TFormAssistent& wizard);
    void Scan(TFormAssistent& wizard, bool front);
    void Fail(UnattendedResult result, const std::string& reason);
    void Conclude();
    // The texts of the message boxes shown since `from`, joined for a one-line reason.
    std::string MessagesSince(std::size_t from) const;
    void Say(const std::string& text);

    TMainFormular& form_;
    HeadlessDesktop& desktop_;
    Clock& clock_;
    UnattendedOptions options_;
    std::FILE* out_;
    std::int64_t startMs_;

    UnattendedResult result_ = UnattendedResult::Interrupted;
    bool failed_ = false;
    bool concluded_ = false;
    int connectAnswers_ = 0;
    bool connectCancelled_ = false;
    bool serviceRefused_ = false;
    bool reportedConnected_ = false;
    bool reportedCalibMode_ = false;
    bool referenceChosen_ = false;
    bool finishPressed_ = false;
    std::int32_t lastState_ = -1;
    std::string lastSeconds_;
    // Where the time of the run went, for its last line.
    std::int64_t calibModeAtMs_ = -1;
    std::int64_t warmUpWaitMs_ = 0;
    std::int64_t scanWorkMs_ = 0;
    std::int64_t finishAtMs_ = -1;
    std::int64_t tickWaitMs_ = 0;
};

}  // namespace calvix
