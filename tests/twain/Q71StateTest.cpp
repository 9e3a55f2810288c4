// The Q71 source's own session states, called directly as a manager that checks nothing would
// call it: every triplet out of its state is refused with TWCC_SEQERROR by the source itself.
#include "FakeScanDevice.h"
#include "TempDir.h"
#include "TwainHarness.h"

#include <gtest/gtest.h>
#include <atomic>
#include <filesystem>

namespace calvix::test {
namespace {

std::atomic<TW_UINT16> lastPost{MSG_NULL};

extern "C" TW_UINT16 RecordPost(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 msg, TW_MEMREF) {
    lastPost = msg;
    return TWRC_SUCCESS;
}

// A private copy of q71.ds (so its state is this test's alone), driven without a manager.
struct DirectSource {
    DirectSource() {
        std::filesystem::copy_file(CALVIX_SYSTEM_DIR_BUILD "/twain_32/zelmar/q71.ds", dir.File("q71.ds"));
        library = dlopen(dir.File("q71.ds").c_str(), RTLD_NOW | RTLD_LOCAL);
        entry = reinterpret_cast<DSENTRYPROC>(dlsym(library, kSourceEntryName));
        lastPost = MSG_NULL;
    }
    ~DirectSource() { dlclose(library); }
    TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) { return entry(&app, dg, dat, msg, data); }
    TW_UINT16 Condition() {
        TW_STATUS status{0xEEEE, 0};
        Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        return status.ConditionCode;
    }
    // 3 closed, 4 open, 5 enabled with the sheet still feeding, 6 transfer ready, 7 transferring.
    void Reach(int state, bool withEntryPoint = true) {
        if (withEntryPoint) {
            TW_ENTRYPOINT points{sizeof(TW_ENTRYPOINT), RecordPost,     DefaultMemAllocate,
                                 DefaultMemFree,        DefaultMemLock, DefaultMemUnlock};
            ASSERT_EQ(Call(DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &points), TWRC_SUCCESS);
        }
        if (state < 4) return;
        TW_IDENTITY self{};
        self.Id = 7;
        ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &self), TWRC_SUCCESS);
        if (state < 5) return;
        const std::string bytes = FakeScanDevice::TestPixels24(4, 4, 1);
        const std::string face =
            FakeScanDevice::FaceFrames({0, wire::ImageDisposition::Deliver, 4, 4, 24, 400, 48}, bytes);
        device.SetScanAnswer(state == 5 ? face.substr(0, 20) : face + FakeScanDevice::DoneFrame(0, 0));
        TW_USERINTERFACE ui{};
        ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
        if (state < 6) return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (lastPost == MSG_NULL && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(lastPost, MSG_XFERREADY);
        if (state < 7) return;
        TW_HANDLE handle = nullptr;
        ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
        std::free(handle);
    }

    FakeScanDevice device;
    ScopedEnv address{"Q71_ADDRESS", device.Address()};
    TempDir dir;
    void* library = nullptr;
    DSENTRYPROC entry = nullptr;
    TW_IDENTITY app{};
};

struct Misuse {
    int state;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_UINT16 rc;
    TW_UINT16 cc;
};

TEST(Q71StateTest, RefusesEveryTripletOutOfItsState) {
    constexpr TW_UINT32 C = DG_CONTROL;
    constexpr TW_UINT16 F = TWRC_FAILURE;
    const Misuse cases[] = {
        {3, C, DAT_CAPABILITY, MSG_GETCURRENT, F, TWCC_SEQERROR},
        {3, C, DAT_IDENTITY, MSG_CLOSEDS, F, TWCC_SEQERROR},
        {3, C, DAT_USERINTERFACE, MSG_ENABLEDS, F, TWCC_SEQERROR},
        {3, C, DAT_PENDINGXFERS, MSG_GET, F, TWCC_SEQERROR},
        {3, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, F, TWCC_SEQERROR},
        {4, C, DAT_IDENTITY, MSG_OPENDS, F, TWCC_MAXCONNECTIONS},
        {4, C, DAT_ENTRYPOINT, MSG_SET, F, TWCC_SEQERROR},
        {4, C, DAT_USERINTERFACE, MSG_DISABLEDS, F, TWCC_SEQERROR},
        {4, C, DAT_PENDINGXFERS, MSG_ENDXFER, F, TWCC_SEQERROR},
        {4, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, F, TWCC_SEQERROR},
        {5, C, DAT_CAPABILITY, MSG_SET, F, TWCC_SEQERROR},
        {5, C, DAT_CAPABILITY, MSG_GETCURRENT, F, TWCC_SEQERROR},  // the sheet is feeding
        {5, C, DAT_IDENTITY, MSG_CLOSEDS, F, TWCC_SEQERROR},
        {5, C, DAT_USERINTERFACE, MSG_ENABLEDS, F, TWCC_SEQERROR},
        {5, C, DAT_PENDINGXFERS, MSG_RESET, F, TWCC_SEQERROR},
        {6, C, DAT_CAPABILITY, MSG_RESET, F, TWCC_SEQERROR},
        {6, C, DAT_IDENTITY, MSG_CLOSEDS, F, TWCC_SEQERROR},
        {6, C, DAT_USERINTERFACE, MSG_DISABLEDS, TWRC_SUCCESS, TWCC_SUCCESS},  // XFERREADY may be unread
        {7, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, F, TWCC_SEQERROR},
        {7, C, DAT_PENDINGXFERS, MSG_RESET, F, TWCC_SEQERROR},
        {7, C, DAT_USERINTERFACE, MSG_DISABLEDS, F, TWCC_SEQERROR},
    };
    for (const Misuse& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << " triplet " << c.dat << "/" << c.msg);
        DirectSource source;
        source.Reach(c.state);
        TripletData data(CAP_FEEDERLOADED);
        data.entryPoint = TW_ENTRYPOINT{sizeof(TW_ENTRYPOINT), RecordPost, nullptr, nullptr, nullptr, nullptr};
        EXPECT_EQ(source.Call(c.dg, c.dat, c.msg, data.For(c.dat)), c.rc);
        EXPECT_EQ(source.Condition(), c.cc);
        EXPECT_EQ(data.handle, nullptr);
    }
}

TEST(Q71StateTest, WithoutAManagerToTellItDoesNotStartAScan) {
    DirectSource source;
    source.Reach(4, false);
    TW_USERINTERFACE ui{};
    EXPECT_EQ(source.Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_FAILURE);
    EXPECT_EQ(source.Condition(), TWCC_OPERATIONERROR);
    EXPECT_EQ(source.device.ScanRequests(), 0);
}

}  // namespace
}  // namespace calvix::test
