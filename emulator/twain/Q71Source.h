// The Q71 data source behind DS_Entry: its identity, its session states (4 opened, 5 enabled,
// 6 transfer ready, 7 transferring), capabilities asked of the device, and the scan that runs
// on a worker thread while the application keeps handling its events.
#pragma once

#include "ScanLink.h"
#include "ScanReceiver.h"
#include "SourceStates.h"
#include "TwainEmu.h"
#include "scanner/TwainTypes.h"

#include <mutex>
#include <thread>
#include <vector>

namespace calvix::twain {

class Q71Source {
public:
    Q71Source() = default;
    // Stops a running scan and releases the images nobody took.
    ~Q71Source();
    Q71Source(const Q71Source&) = delete;
    Q71Source& operator=(const Q71Source&) = delete;

    TW_UINT16 Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

    static void FillIdentity(TW_IDENTITY* identity);

    static constexpr int kClosed = 3;

private:
    TW_UINT16 Fail(TW_UINT16 cc);
    TW_UINT16 Control(TW_IDENTITY* origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 SetEntryPoint(const TW_ENTRYPOINT* entry);
    TW_UINT16 Open(const TW_IDENTITY* origin, TW_IDENTITY* identity);
    TW_UINT16 Close();
    TW_UINT16 Capability(TW_UINT16 msg, TW_CAPABILITY* capability);
    TW_UINT16 UserInterface(TW_UINT16 msg, const TW_USERINTERFACE* ui);
    TW_UINT16 PendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending);
    TW_UINT16 NativeTransfer(TW_HANDLE* handle);
    void RunScan();
    void StopScan();
    void DiscardFaces();
    TW_UINT16 Remaining() const;

    std::mutex callMutex_;  // one application call at a time
    std::mutex mutex_;      // what the worker shares with the application's calls, below
    int state_ = kClosed;
    TW_UINT16 condition_ = TWCC_SUCCESS;
    bool scanning_ = false;
    bool cancelled_ = false;
    std::vector<ReceivedFace> faces_;
    std::size_t next_ = 0;

    TW_IDENTITY self_{};
    TW_IDENTITY application_{};
    DSMENTRYPROC manager_ = nullptr;
    MemoryFunctions memory_;
    ScanLink link_;
    std::thread worker_;
};

}  // namespace calvix::twain
