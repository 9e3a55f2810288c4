// A TWAIN source manager with one source, inside the test: a DynamicLibrary whose DSM_Entry
// records every triplet and plays what the test set (answers, capability values, refusals,
// posted events, native transfers).
#pragma once

#include "scanner/DynamicLibrary.h"
#include "scanner/TwainTypes.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace calvix::test {

struct TwainCall {
    twain::TW_UINT16 dat = 0, msg = 0;
    bool toSource = false;
    twain::TW_IDENTITY origin{}, identity{};  // identity: DAT_IDENTITY's record as passed
    void* window = nullptr;                   // DAT_PARENT's handle, DAT_USERINTERFACE's parent
    twain::TW_UINT16 cap = 0, conType = 0, itemType = 0;
    std::vector<std::uint8_t> item;  // MSG_SET: the container's item
    bool eventGiven = false;         // DAT_EVENT: pEvent not null
};

struct CapValue {
    twain::TW_UINT16 type = 0;
    std::vector<std::uint8_t> bytes;
};

class FakeTwainManager {
public:
    // Answers the entry point until it goes; then the one made before it answers again.
    FakeTwainManager();
    ~FakeTwainManager();
    std::unique_ptr<DynamicLibrary> Library();

    bool loadable = true, hasEntry = true;
    std::string openedPath;
    // Result of a triplet by data type and message; unset: success (GETNEXT: end of list).
    std::map<std::pair<twain::TW_UINT16, twain::TW_UINT16>, twain::TW_UINT16> answers;
    std::map<twain::TW_UINT16, CapValue> values;                // the source's current values
    std::map<twain::TW_UINT16, twain::TW_UINT16> getResult;     // GETCURRENT of cap answers this
    std::map<twain::TW_UINT16, twain::TW_UINT16> setCondition;  // SET of cap fails with this; 0xFFFF: CHECKSTATUS
    std::function<void(twain::TW_CAPABILITY&)> answer;          // changes a GETCURRENT answer
    std::deque<twain::TW_UINT16> events;                        // one per PROCESSEVENT
    twain::TW_UINT16 noEventResult = twain::TWRC_NOTDSEVENT;
    struct Transfer {
        twain::TW_UINT16 result;
        std::vector<std::uint8_t> dib;  // handed over in a calloc'd block on XFERDONE
    };
    std::deque<Transfer> transfers;  // the pending count is what is left
    std::vector<TwainCall> calls;
    // The session's state as the standard numbers it (2 loaded, 3 manager open, 4 source open,
    // 5 enabled, 6 transfer ready, 7 transferring); a triplet the state does not admit fails
    // with a sequence error and is counted. unloadedIn: the state at the last unload, 0: none.
    int state = 2, sequenceErrors = 0, unloadedIn = 0;

    void SetNumber(twain::TW_UINT16 cap, twain::TW_UINT16 type, std::uint32_t number);
    std::size_t Count(twain::TW_UINT16 dat, twain::TW_UINT16 msg) const;
    std::vector<twain::TW_UINT16> Caps(twain::TW_UINT16 msg) const;
    // Online, duplex or not, serial "Q71-4711", paper, and a value of its own in every row of
    // the settings table (row n: 0x3F + n, BOOL rows 0x13F + n, the page "own page").
    void FillSource(bool duplex);

    twain::TW_UINT16 Entry(twain::TW_IDENTITY* origin, twain::TW_IDENTITY* dest, twain::TW_UINT32 dg,
                           twain::TW_UINT16 dat, twain::TW_UINT16 msg, void* data);

private:
    twain::TW_UINT16 Capability(TwainCall& call, twain::TW_CAPABILITY& cap);
    twain::TW_UINT16 condition_ = twain::TWCC_SUCCESS;
    FakeTwainManager* previous_;
};

// A native-transfer block: 40-byte header, rows bottom-up (top-down if asked) padded to four
// bytes. Pixel (x, y) of a 24-bit image is blue x, green y, red `red`.
std::vector<std::uint8_t> MakeDib(int width, int height, int bits, std::uint8_t red, bool topDown = false);

}  // namespace calvix::test
