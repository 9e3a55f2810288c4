// A TWAIN source manager with one source, inside the test: a DynamicLibrary whose DSM_Entry
// records every triplet and plays the answers the test sets (capability values, refusals,
// posted events, native transfers).
#pragma once

#include "scanner/DynamicLibrary.h"
#include "scanner/TwainTypes.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace calvix::test {

struct TwainCall {
    twain::TW_UINT32 dg = 0;
    twain::TW_UINT16 dat = 0;
    twain::TW_UINT16 msg = 0;
    bool toSource = false;
    twain::TW_IDENTITY origin{};
    twain::TW_IDENTITY identity{};  // DAT_IDENTITY: the record as passed
    void* window = nullptr;         // DAT_PARENT: the handle pointed to; DAT_USERINTERFACE: hParent
    twain::TW_UINT16 cap = 0;       // DAT_CAPABILITY
    twain::TW_UINT16 conType = 0;
    twain::TW_UINT16 itemType = 0;  // MSG_SET: the container's item type and item bytes
    std::vector<std::uint8_t> item;
    bool eventGiven = false;  // DAT_EVENT: pEvent was not null
};

struct CapValue {
    twain::TW_UINT16 type = 0;
    std::vector<std::uint8_t> bytes;  // the item, ItemSize(type) bytes
};

class FakeTwainManager {
public:
    // Becomes the manager that the entry point answers for, until it goes and the one before
    // it answers again.
    FakeTwainManager();
    ~FakeTwainManager();
    FakeTwainManager(const FakeTwainManager&) = delete;
    FakeTwainManager& operator=(const FakeTwainManager&) = delete;

    std::unique_ptr<DynamicLibrary> Library();

    // The library.
    bool loadable = true;
    bool hasEntry = true;
    std::string openedPath;
    // The manager.
    twain::TW_UINT16 openDsmResult = twain::TWRC_SUCCESS;
    twain::TW_UINT16 openDsResult = twain::TWRC_SUCCESS;
    std::map<twain::TW_UINT16, twain::TW_UINT16> identityAnswers;  // GETFIRST/GETNEXT/USERSELECT...
    // The source's capabilities: current values, and what to refuse.
    std::map<twain::TW_UINT16, CapValue> values;
    std::map<twain::TW_UINT16, twain::TW_UINT16> getResult;     // GETCURRENT of cap answers this
    std::map<twain::TW_UINT16, twain::TW_UINT16> setCondition;  // SET of cap fails with this condition
    std::set<twain::TW_UINT16> setCheckStatus;                  // SET of cap answers CHECKSTATUS
    twain::TW_UINT16 followUpResult = twain::TWRC_SUCCESS;      // MSG_GET after CHECKSTATUS
    // Changes a GETCURRENT answer before it goes back (a malformed container, say).
    std::function<void(twain::TW_CAPABILITY&)> answer;
    twain::TW_UINT16 statusResult = twain::TWRC_SUCCESS;
    twain::TW_UINT16 enableResult = twain::TWRC_SUCCESS;
    // Messages the source posts, one per MSG_PROCESSEVENT; none queued: this result.
    std::deque<twain::TW_UINT16> events;
    twain::TW_UINT16 noEventResult = twain::TWRC_NOTDSEVENT;
    struct Transfer {
        twain::TW_UINT16 result;
        std::vector<std::uint8_t> dib;  // handed over in a calloc'd block on XFERDONE
    };
    std::deque<Transfer> transfers;  // the pending count is what is left

    std::vector<TwainCall> calls;

    void SetNumber(twain::TW_UINT16 cap, twain::TW_UINT16 type, std::uint32_t number);
    void SetText(twain::TW_UINT16 cap, twain::TW_UINT16 type, const std::string& text);
    std::size_t Count(twain::TW_UINT16 dat, twain::TW_UINT16 msg) const;
    // The capabilities of the calls with this message, in order.
    std::vector<twain::TW_UINT16> Caps(twain::TW_UINT16 msg) const;
    // A source that scans both sides (or one), with its own value in every row of the settings
    // table, the serial "Q71-4711" and paper in the feeder.
    void FillSource(bool duplex);

    twain::TW_UINT16 Entry(twain::TW_IDENTITY* origin, twain::TW_IDENTITY* dest, twain::TW_UINT32 dg,
                           twain::TW_UINT16 dat, twain::TW_UINT16 msg, void* data);

private:
    twain::TW_UINT16 Capability(TwainCall& call, twain::TW_CAPABILITY* cap);
    twain::TW_UINT16 condition_ = twain::TWCC_SUCCESS;
    FakeTwainManager* previous_;
};

// A native-transfer block: 40-byte header, rows bottom-up (top-down for topDown) padded to four
// bytes. Pixel (x, y) of a 24-bit image is blue x, green y, red `red`.
std::vector<std::uint8_t> MakeDib(int width, int height, int bits, std::uint8_t red, bool topDown = false);

}  // namespace calvix::test
