// The in-test TWAIN manager and its source.
#include "FakeTwainManager.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "SourceStates.h"
#include "scanner/TwainSettings.h"

namespace calvix::test {

using namespace twain;

namespace {

FakeTwainManager* g_current = nullptr;

extern "C" TW_UINT16 FakeDsmEntry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                                  TW_UINT16 msg, TW_MEMREF data) {
    return g_current ? g_current->Entry(origin, dest, dg, dat, msg, data) : TWRC_FAILURE;
}

class FakeLibrary final : public DynamicLibrary {
public:
    explicit FakeLibrary(FakeTwainManager& m) : m_(m) {}
    bool Open(const std::string& path) override { return (m_.openedPath = path, open_ = m_.loadable); }
    void* Symbol(const char* name) override {
        const bool known = open_ && m_.hasEntry && std::strcmp(name, kManagerEntryName) == 0;
        return known ? reinterpret_cast<void*>(&FakeDsmEntry) : nullptr;
    }
    void Close() override {
        if (open_) m_.unloadedIn = m_.state;
        open_ = false;
        m_.state = 2;
    }

private:
    FakeTwainManager& m_;
    bool open_ = false;
};

// The manager's own steps through the session: the state each needs and the one it leads to.
constexpr struct Step { TW_UINT16 msg; int from, to; } kSteps[] = {{MSG_OPENDSM, 2, 3}, {MSG_CLOSEDSM, 3, 2}, {MSG_OPENDS, 3, kStateOpen}, {MSG_CLOSEDS, kStateOpen, 3}};

const Step* StepOf(TW_UINT16 msg) {
    for (const Step& step : kSteps)
        if (step.msg == msg) return &step;
    return nullptr;
}

bool Admits(int state, bool toSource, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) {
    if (toSource) return state >= kStateOpen && AllowedInState(dg, dat, msg, state);
    const Step* step = StepOf(msg);
    return step ? state == step->from : dat == DAT_STATUS || state >= 3;
}

int After(int state, bool toSource, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_UINT16 rc, const void* data) {
    if (!toSource) return rc == TWRC_SUCCESS && StepOf(msg) ? StepOf(msg)->to : state;
    if (dat != DAT_EVENT) return StateAfter(dg, dat, msg, rc, data, state);
    return rc == TWRC_DSEVENT ? StateAfterEvent(static_cast<const TW_EVENT*>(data)->TWMessage, state) : state;
}

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

void FakeTwainManager::FillSource(bool duplex) {
    SetNumber(CAP_DEVICEONLINE, TWTY_BOOL, 1);
    SetNumber(CAP_DUPLEX, TWTY_UINT16, duplex ? TWDX_1PASSDUPLEX : TWDX_NONE);
    SetNumber(CAP_FEEDERLOADED, TWTY_BOOL, 1);
    values[CAP_SERIALNUMBER] = CapValue{TWTY_STR255, std::vector<std::uint8_t>(256)};
    std::memcpy(values[CAP_SERIALNUMBER].bytes.data(), "Q71-4711", 8);
    std::uint32_t own = 0x40;
    for (const SettingRow& row : kSettingsTable) {
        SetNumber(row.capability, row.itemType, row.itemType == TWTY_BOOL ? 0x100 + own : own);
        if (row.itemType == TWTY_STR64) std::memcpy(values[row.capability].bytes.data(), "own page", 9);
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
    call.dat = dat;
    call.msg = msg;
    call.toSource = dest != nullptr;
    if (origin) call.origin = *origin;
    if (!Admits(state, call.toSource, dg, dat, msg)) {
        ++sequenceErrors;
        condition_ = TWCC_SEQERROR;
        calls.push_back(call);
        return TWRC_FAILURE;
    }
    const auto set = answers.find({dat, msg});
    TW_UINT16 rc = set != answers.end() ? set->second : (msg == MSG_GETNEXT ? TWRC_ENDOFLIST : TWRC_SUCCESS);
    if (dat == DAT_PARENT) {
        call.window = *static_cast<void**>(data);
    } else if (dat == DAT_IDENTITY) {
        call.identity = *static_cast<TW_IDENTITY*>(data);
        if (msg == MSG_OPENDS && rc == TWRC_SUCCESS) static_cast<TW_IDENTITY*>(data)->Id = 7;
    } else if (dat == DAT_CAPABILITY) {
        rc = Capability(call, *static_cast<TW_CAPABILITY*>(data));
    } else if (dat == DAT_STATUS) {
        static_cast<TW_STATUS*>(data)->ConditionCode = condition_;
    } else if (dat == DAT_USERINTERFACE) {
        call.window = static_cast<TW_USERINTERFACE*>(data)->hParent;
    } else if (dat == DAT_EVENT) {
        auto* event = static_cast<TW_EVENT*>(data);
        call.eventGiven = event->pEvent != nullptr;
        rc = events.empty() ? noEventResult : TWRC_DSEVENT;
        if (!events.empty()) event->TWMessage = events.front(), events.pop_front();
    } else if (dat == DAT_IMAGENATIVEXFER) {
        const Transfer t = transfers.empty() ? Transfer{TWRC_FAILURE, {}} : transfers.front();
        if (!transfers.empty()) transfers.pop_front();
        if (t.result == TWRC_XFERDONE) {
            *static_cast<TW_HANDLE*>(data) = std::calloc(1, t.dib.size());
            std::memcpy(*static_cast<TW_HANDLE*>(data), t.dib.data(), t.dib.size());
        }
        rc = t.result;
    } else if (dat == DAT_PENDINGXFERS) {
        if (msg == MSG_RESET) transfers.clear();
        static_cast<TW_PENDINGXFERS*>(data)->Count = static_cast<TW_UINT16>(transfers.size());
    }
    state = After(state, call.toSource, dg, dat, msg, rc, data);
    calls.push_back(call);
    return rc;
}

TW_UINT16 FakeTwainManager::Capability(TwainCall& call, TW_CAPABILITY& cap) {
    call.cap = cap.Cap;
    call.conType = cap.ConType;
    const auto value = values.find(cap.Cap);
    if (call.msg == MSG_SET) {
        const auto* container = static_cast<const std::uint8_t*>(cap.hContainer);
        std::memcpy(&call.itemType, container, 2);
        call.item.assign(container + 2, container + 2 + ItemSize(call.itemType));
        const auto refusal = setCondition.find(cap.Cap);
        if (refusal == setCondition.end()) {
            values[cap.Cap] = CapValue{call.itemType, call.item};
            return TWRC_SUCCESS;
        }
        if (refusal->second == 0xFFFF) return TWRC_CHECKSTATUS;
        condition_ = refusal->second;
        return TWRC_FAILURE;
    }
    const auto result = getResult.find(cap.Cap);
    if (result != getResult.end() || value == values.end())
        return result != getResult.end() ? result->second : TWRC_FAILURE;
    cap.ConType = TWON_ONEVALUE;
    cap.hContainer = NewContainer(value->second);
    if (answer && call.msg == MSG_GETCURRENT) answer(cap);
    return TWRC_SUCCESS;
}

std::vector<std::uint8_t> MakeDib(int width, int height, int bits, std::uint8_t red, bool topDown) {
    const std::size_t stride = (static_cast<std::size_t>(width) * bits / 8 + 3) & ~std::size_t{3};
    const std::size_t palette = bits <= 8 ? (std::size_t{1} << bits) * 4 : 0;
    std::vector<std::uint8_t> dib(40 + palette + stride * static_cast<std::size_t>(height));
    const DibHeader header{40,
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
    for (int y = 0; bits == 24 && y < height; ++y) {
        std::uint8_t* row = dib.data() + 40 + stride * static_cast<std::size_t>(topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(x);
            row[3 * x + 1] = static_cast<std::uint8_t>(y);
            row[3 * x + 2] = red;
        }
    }
    return dib;
}

}  // namespace calvix::test
