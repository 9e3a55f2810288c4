// The in-test TWAIN manager and its source.
#include "FakeTwainManager.h"

#include "scanner/TwainSettings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace calvix::test {

using namespace twain;

namespace {

FakeTwainManager* g_current = nullptr;

extern "C" TW_UINT16 FakeDsmEntry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                  TW_MEMREF data) {
    return g_current ? g_current->Entry(origin, dest, dg, dat, msg, data) : TWRC_FAILURE;
}

class FakeLibrary final : public DynamicLibrary {
public:
    explicit FakeLibrary(FakeTwainManager& manager) : manager_(manager) {}
    bool Open(const std::string& path) override {
        manager_.openedPath = path;
        open_ = manager_.loadable;
        return open_;
    }
    void* Symbol(const char* name) override {
        if (!open_ || !manager_.hasEntry || std::strcmp(name, kManagerEntryName) != 0) return nullptr;
        return reinterpret_cast<void*>(&FakeDsmEntry);
    }
    void Close() override { open_ = false; }

private:
    FakeTwainManager& manager_;
    bool open_ = false;
};

void* NewContainer(const CapValue& value) {
    auto* block = static_cast<std::uint8_t*>(std::calloc(1, 2 + std::max<std::size_t>(value.bytes.size(), 4)));
    std::memcpy(block, &value.type, 2);
    std::memcpy(block + 2, value.bytes.data(), value.bytes.size());
    return block;
}

}  // namespace

FakeTwainManager::FakeTwainManager() : previous_(g_current) { g_current = this; }
FakeTwainManager::~FakeTwainManager() { g_current = previous_; }

std::unique_ptr<DynamicLibrary> FakeTwainManager::Library() { return std::make_unique<FakeLibrary>(*this); }

void FakeTwainManager::SetNumber(TW_UINT16 cap, TW_UINT16 type, std::uint32_t number) {
    CapValue value{type, std::vector<std::uint8_t>(ItemSize(type))};
    for (std::size_t i = 0; i < value.bytes.size() && i < 4; ++i)
        value.bytes[i] = static_cast<std::uint8_t>(number >> (8 * i));
    values[cap] = value;
}

void FakeTwainManager::SetText(TW_UINT16 cap, TW_UINT16 type, const std::string& text) {
    CapValue value{type, std::vector<std::uint8_t>(ItemSize(type))};
    std::copy_n(text.begin(), std::min(text.size(), value.bytes.size() - 1), value.bytes.begin());
    values[cap] = value;
}

void FakeTwainManager::FillSource(bool duplex) {
    SetNumber(CAP_DEVICEONLINE, TWTY_BOOL, 1);
    SetNumber(CAP_DUPLEX, TWTY_UINT16, duplex ? TWDX_1PASSDUPLEX : TWDX_NONE);
    SetText(CAP_SERIALNUMBER, TWTY_STR255, "Q71-4711");
    SetNumber(CAP_FEEDERLOADED, TWTY_BOOL, 1);
    // Values the requested settings never use, so a restore is told apart from a set.
    std::uint32_t own = 0x40;
    for (const SettingRow& row : kSettingsTable) {
        const TW_UINT16 cap = row.capability, type = row.itemType;
        if (type == TWTY_STR64)
            SetText(cap, type, "own page");
        else
            SetNumber(cap, type, type == TWTY_BOOL ? 0x100 + own : own);
        ++own;
    }
}

std::size_t FakeTwainManager::Count(TW_UINT16 dat, TW_UINT16 msg) const {
    return static_cast<std::size_t>(
        std::count_if(calls.begin(), calls.end(), [&](const TwainCall& c) { return c.dat == dat && c.msg == msg; }));
}

std::vector<TW_UINT16> FakeTwainManager::Caps(TW_UINT16 msg) const {
    std::vector<TW_UINT16> caps;
    for (const TwainCall& c : calls)
        if (c.dat == DAT_CAPABILITY && c.msg == msg) caps.push_back(c.cap);
    return caps;
}

TW_UINT16 FakeTwainManager::Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                  void* data) {
    TwainCall call;
    call.dg = dg;
    call.dat = dat;
    call.msg = msg;
    call.toSource = dest != nullptr;
    if (origin) call.origin = *origin;
    TW_UINT16 rc = TWRC_SUCCESS;
    switch (dat) {
        case DAT_PARENT:
            call.window = data ? *static_cast<void**>(data) : nullptr;
            rc = msg == MSG_OPENDSM ? openDsmResult : TWRC_SUCCESS;
            break;
        case DAT_IDENTITY: {
            auto* id = static_cast<TW_IDENTITY*>(data);
            if (id) call.identity = *id;
            if (msg == MSG_OPENDS) {
                rc = openDsResult;
                if (rc == TWRC_SUCCESS && id) id->Id = 7;
            } else if (msg != MSG_CLOSEDS) {
                const auto answer = identityAnswers.find(msg);
                rc = answer != identityAnswers.end() ? answer->second
                                                     : (msg == MSG_GETNEXT ? TWRC_ENDOFLIST : TWRC_SUCCESS);
            }
            break;
        }
        case DAT_CAPABILITY:
            rc = Capability(call, static_cast<TW_CAPABILITY*>(data));
            break;
        case DAT_STATUS:
            static_cast<TW_STATUS*>(data)->ConditionCode = condition_;
            rc = statusResult;
            break;
        case DAT_USERINTERFACE:
            call.window = static_cast<TW_USERINTERFACE*>(data)->hParent;
            rc = msg == MSG_ENABLEDS ? enableResult : TWRC_SUCCESS;
            break;
        case DAT_EVENT: {
            auto* event = static_cast<TW_EVENT*>(data);
            call.eventGiven = event->pEvent != nullptr;
            if (events.empty()) {
                rc = noEventResult;
            } else {
                event->TWMessage = events.front();
                events.pop_front();
                rc = TWRC_DSEVENT;
            }
            break;
        }
        case DAT_IMAGENATIVEXFER: {
            Transfer transfer = transfers.empty() ? Transfer{TWRC_FAILURE, {}} : transfers.front();
            if (!transfers.empty()) transfers.pop_front();
            if (transfer.result == TWRC_XFERDONE) {
                void* block = std::calloc(1, transfer.dib.size());
                std::memcpy(block, transfer.dib.data(), transfer.dib.size());
                *static_cast<TW_HANDLE*>(data) = block;
            }
            rc = transfer.result;
            break;
        }
        case DAT_PENDINGXFERS:
            if (msg == MSG_RESET) transfers.clear();
            static_cast<TW_PENDINGXFERS*>(data)->Count = static_cast<TW_UINT16>(transfers.size());
            break;
        default:
            rc = TWRC_FAILURE;
    }
    calls.push_back(call);
    return rc;
}

TW_UINT16 FakeTwainManager::Capability(TwainCall& call, TW_CAPABILITY* cap) {
    call.cap = cap->Cap;
    call.conType = cap->ConType;
    const auto value = values.find(cap->Cap);
    switch (call.msg) {
        case MSG_GETCURRENT: {
            if (const auto r = getResult.find(cap->Cap); r != getResult.end()) return r->second;
            if (value == values.end()) {
                condition_ = TWCC_CAPUNSUPPORTED;
                return TWRC_FAILURE;
            }
            cap->ConType = TWON_ONEVALUE;
            cap->hContainer = NewContainer(value->second);
            if (answer) answer(*cap);
            return TWRC_SUCCESS;
        }
        case MSG_GET:
            if (followUpResult == TWRC_SUCCESS && value != values.end()) {
                cap->ConType = TWON_ONEVALUE;
                cap->hContainer = NewContainer(value->second);
            }
            return followUpResult;
        case MSG_SET: {
            const auto* container = static_cast<const std::uint8_t*>(cap->hContainer);
            std::memcpy(&call.itemType, container, 2);
            call.item.assign(container + 2, container + 2 + ItemSize(call.itemType));
            if (const auto c = setCondition.find(cap->Cap); c != setCondition.end()) {
                condition_ = c->second;
                return TWRC_FAILURE;
            }
            if (setCheckStatus.count(cap->Cap)) return TWRC_CHECKSTATUS;
            values[cap->Cap] = CapValue{call.itemType, call.item};
            return TWRC_SUCCESS;
        }
        default:
            return TWRC_FAILURE;
    }
}

std::vector<std::uint8_t> MakeDib(int width, int height, int bits, std::uint8_t red, bool topDown) {
    const std::size_t stride = (static_cast<std::size_t>(width) * bits / 8 + 3) & ~std::size_t{3};
    const std::size_t palette = bits <= 8 ? (std::size_t{1} << bits) * 4 : 0;
    std::vector<std::uint8_t> dib(sizeof(DibHeader) + palette + stride * static_cast<std::size_t>(height));
    DibHeader header{40,
                     width,
                     topDown ? -height : height,
                     1,
                     static_cast<TW_UINT16>(bits),
                     0,
                     static_cast<TW_UINT32>(stride * static_cast<std::size_t>(height)),
                     15748,
                     15748,
                     0,
                     0};
    std::memcpy(dib.data(), &header, sizeof header);
    if (bits != 24) return dib;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row =
            dib.data() + sizeof header + stride * static_cast<std::size_t>(topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(x);
            row[3 * x + 1] = static_cast<std::uint8_t>(y);
            row[3 * x + 2] = red;
        }
    }
    return dib;
}

}  // namespace calvix::test
