// The source manager stand-in behind DSM_Entry: one application session, the installed sources,
// the session states, and a queue per open source for the messages it posts from any thread.
#pragma once

#include "SourceCatalog.h"
#include "scanner/TwainTypes.h"

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace calvix::twain {

class SourceManager {
public:
    // self is the exported entry the sources are given to post through; systemDir is asked for
    // at every OPENDSM, so a changed CALVIX_SYSTEM_DIR takes effect for the next session.
    SourceManager(DSMENTRYPROC self, std::function<std::string()> systemDir);
    // Brings every open source back to closed (joining their workers) and unloads them.
    ~SourceManager();
    SourceManager(const SourceManager&) = delete;
    SourceManager& operator=(const SourceManager&) = delete;

    TW_UINT16 Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

    // Most messages a source may have waiting; a source that posts more is refused.
    static constexpr std::size_t kMaxQueuedMessages = 32;
    // The application's Id; sources are numbered from kFirstSourceId in path order.
    static constexpr TW_UINT32 kApplicationId = 1;
    static constexpr TW_UINT32 kFirstSourceId = 2;

private:
    static constexpr int kClosed = 3;

    struct Source {
        CatalogEntry catalog;
        int state = kClosed;
        // Set when the manager itself refused a triplet addressed to this source: the next
        // DAT_STATUS for the source reports it, since the source never saw the triplet.
        TW_UINT16 refusal = TWCC_SUCCESS;
        // Guarded by eventMutex_.
        bool accepting = false;
        std::deque<TW_UINT16> events;
    };

    TW_UINT16 Fail(TW_UINT16 cc);
    TW_UINT16 Post(const TW_IDENTITY* origin, TW_UINT16 msg);
    TW_UINT16 ManagerTriplet(TW_IDENTITY* origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 OpenManager(TW_IDENTITY* origin);
    TW_UINT16 CloseManager();
    TW_UINT16 Identity(TW_UINT16 msg, TW_IDENTITY* identity);
    TW_UINT16 OpenSource(TW_IDENTITY* identity);
    TW_UINT16 CloseSource(TW_IDENTITY* identity);
    TW_UINT16 SourceTriplet(Source& source, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 ProcessEvent(Source& source, TW_EVENT* event);
    TW_UINT16 ConditionOf(Source& source);
    void SetAccepting(Source& source, bool accepting);
    void ShutDown();
    Source* FindById(TW_UINT32 id);

    DSMENTRYPROC self_;
    std::function<std::string()> systemDir_;
    std::mutex apiMutex_;    // one application call at a time
    std::mutex eventMutex_;  // the queues and the source list against posting threads
    bool open_ = false;
    TW_IDENTITY application_{};
    std::vector<Source> sources_;
    std::size_t cursor_ = 0;
    bool enumerating_ = false;
    TW_UINT16 condition_ = TWCC_SUCCESS;
};

}  // namespace calvix::twain
