// What the calibration wizard needs from the main window: the scanner's kind, the paper query
// and the scan of one side, the chart check and correction of that side, help, and the two
// flags that end a run. The controller implements it; tests play it.
#pragma once

#include <cstdint>

namespace calvix {

class AssistantHost {
public:
    virtual ~AssistantHost() = default;

    // The lamps need no warm-up.
    virtual bool LedScanner() const = 0;
    // The source scans both sides in one pass.
    virtual bool TwainDuplex() const = 0;
    virtual bool ExpertMode() const = 0;
    // Process clock in milliseconds when calibration mode was entered.
    virtual std::int32_t WarmUpStart() const = 0;

    // < 0 the query failed, 0 no paper, > 0 paper present.
    virtual int FeederLoaded() = 0;
    // side 1 front, 0 rear; < 0 when the scan failed (the acquisition reported it).
    virtual int AcquireScan(int side) = 0;
    // Ends a scan that waits for the scanner, so that AcquireScan returns without an image and
    // without a message; nothing when no scan runs.
    virtual void AbortScan() {}
    // The chart check of the front or rear scan window; 0 when found and checked,
    // CheckGreyWedgeFailed when the box was found but its grey wedge is not, any other
    // negative number when the chart was not found.
    static constexpr int CheckGreyWedgeFailed = -1000;
    virtual int CheckScan(bool front) = 0;
    // Grey-scale evaluation and correction values of the analysed scan; false when a channel's
    // table falls somewhere, which no calibration may upload.
    virtual bool StoreScan() = 0;

    virtual void SetLutReady() = 0;
    virtual void SetCloseRequested() = 0;
    // The application's help at a help context, in the language in force.
    virtual void ShowHelp(int helpContext) = 0;
};

}  // namespace calvix
