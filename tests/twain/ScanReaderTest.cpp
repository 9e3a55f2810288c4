// The Q71 source's reading of device answers and application containers where the socket
// cannot take it: exhausted memory, a face over the size limit, exactly-sized containers,
// replies that make no sense.
#include "CapabilityCodec.h"
#include "FakeScanDevice.h"
#include "ScanReceiver.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <tuple>

namespace calvix::test {
namespace {

using namespace calvix::twain;

extern "C" TW_HANDLE NoMemory(TW_UINT32) { return nullptr; }

// Feeds a byte stream through the frame decoder into a receiver; the last progress.
ScanReceiver::Progress Feed(ScanReceiver& receiver, const std::string& stream) {
    wire::FrameDecoder decoder;
    auto progress = ScanReceiver::Progress::More;
    std::size_t at = 0;
    while (at < stream.size() && progress == ScanReceiver::Progress::More) {
        std::size_t used = 0;
        wire::Frame frame;
        const auto result =
            decoder.Feed(reinterpret_cast<const unsigned char*>(stream.data()) + at, stream.size() - at, &used, &frame);
        at += used;
        if (result == wire::FrameDecoder::Result::Broken) return ScanReceiver::Progress::Broken;
        if (result == wire::FrameDecoder::Result::FrameReady) progress = receiver.OnFrame(frame);
    }
    return progress;
}

std::string Face24(std::uint32_t width, std::uint32_t height) {
    const std::string bytes = FakeScanDevice::TestPixels24(width, height, 1);
    const wire::ImageHeader header{0,   wire::ImageDisposition::Deliver,         width, height, 24,
                                   400, static_cast<std::uint32_t>(bytes.size())};
    return FakeScanDevice::FaceFrames(header, bytes);
}

TEST(ScanReaderTest, StopsAtExhaustedMemoryOversizedFacesAndFramesAfterTheEnd) {
    const std::string done = FakeScanDevice::DoneFrame(TWRC_SUCCESS, 0);
    MemoryFunctions starved;
    starved.allocate = NoMemory;
    ScanReceiver hungry(starved);
    EXPECT_EQ(Feed(hungry, Face24(8, 8) + done), ScanReceiver::Progress::Broken);
    EXPECT_TRUE(hungry.OutOfMemory());

    ScanReceiver bounded(MemoryFunctions{}, 24 * 8 - 1);
    EXPECT_EQ(Feed(bounded, Face24(8, 8) + done), ScanReceiver::Progress::Broken);
    EXPECT_FALSE(bounded.OutOfMemory());

    ScanReceiver fine(MemoryFunctions{}, 24 * 8);
    EXPECT_EQ(Feed(fine, Face24(8, 8) + done), ScanReceiver::Progress::Complete);
    EXPECT_EQ(fine.OnFrame(wire::Frame{wire::FrameType::ScanDone, std::string(4, '\0')}),
              ScanReceiver::Progress::Broken);
    // The faces nobody took are released by the receiver (the leak checker watches).
}

TEST(ScanReaderTest, ReadsExactlyTheItemOfEachTypeFromAnExactlySizedContainer) {
    for (TW_UINT16 type : {TWTY_INT8, TWTY_UINT8, TWTY_INT16, TWTY_BOOL, TWTY_INT32, TWTY_FIX32, TWTY_FRAME, TWTY_STR32,
                           TWTY_STR64, TWTY_STR128, TWTY_STR255}) {
        SCOPED_TRACE(type);
        const std::size_t size = ItemSize(type);
        // No slack after the item: reading one byte more is caught by the address checker.
        auto* container = static_cast<unsigned char*>(std::malloc(2 + size));
        std::memcpy(container, &type, 2);
        for (std::size_t i = 0; i < size; ++i) container[2 + i] = static_cast<unsigned char>(size - i - 1);
        TW_CAPABILITY capability{0x8000, TWON_ONEVALUE, container};
        wire::CapRequest request;
        EXPECT_EQ(PrepareCapRequest(MSG_SET, capability, MemoryFunctions{}, &request), TWCC_SUCCESS);
        EXPECT_EQ(request.itemType, type);
        EXPECT_EQ(request.item, std::string(reinterpret_cast<char*>(container) + 2, size));
        std::free(container);
    }
}

TEST(ScanReaderTest, RefusesContainersShorterThanTheirItemOrOfAnotherTypeThanTheirCapability) {
    // Capability, bytes of the block, the item type it claims, whether its length can be told.
    const std::tuple<TW_UINT16, std::size_t, TW_UINT16, bool, TW_UINT16> cases[] = {
        {0x8136, 2, TWTY_STR255, true, TWCC_BADVALUE},  // a UINT16 capability
        {0x8136, 3, TWTY_FIX32, true, TWCC_BADVALUE},
        {CAP_SERIALNUMBER, 2, TWTY_STR255, true, TWCC_BADVALUE},  // its own type, no room for it
        {0x8000, 2, TWTY_STR255, true, TWCC_BADVALUE},            // unknown to the source
        {0x8136, 4, TWTY_UINT16, true, TWCC_SUCCESS},
        {0x8000, 6, TWTY_FIX32, false, TWCC_SUCCESS},
    };
    for (const auto& [cap, bytes, type, lengthKnown, cc] : cases) {
        auto* container = static_cast<unsigned char*>(std::calloc(1, bytes));
        std::memcpy(container, &type, 2);
        MemoryFunctions memory;
        if (!lengthKnown) memory.size = nullptr;
        wire::CapRequest request;
        const TW_CAPABILITY capability{cap, TWON_ONEVALUE, container};
        EXPECT_EQ(PrepareCapRequest(MSG_SET, capability, memory, &request), cc) << cap << "/" << bytes;
        std::free(container);
    }
}

TEST(ScanReaderTest, AnswersOnlyRepliesThatMakeSense) {
    struct Case {
        const char* name;
        wire::CapReply reply;
        MemoryFunctions memory;
        TW_UINT16 rc;
        TW_UINT16 cc;
    };
    MemoryFunctions starved;
    starved.allocate = NoMemory;
    const Case cases[] = {
        {"unknown return code",
         {TWRC_DATANOTAVAILABLE, 0, TWTY_BOOL, std::string(2, '\0')},
         {},
         TWRC_FAILURE,
         TWCC_OPERATIONERROR},
        {"item of the wrong size", {TWRC_SUCCESS, 0, TWTY_UINT16, "x"}, {}, TWRC_FAILURE, TWCC_OPERATIONERROR},
        {"no memory for the container",
         {TWRC_SUCCESS, 0, TWTY_BOOL, std::string(2, '\0')},
         starved,
         TWRC_FAILURE,
         TWCC_LOWMEMORY},
        {"value", {TWRC_SUCCESS, 0, TWTY_UINT8, "\x05"}, {}, TWRC_SUCCESS, TWCC_SUCCESS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TW_CAPABILITY capability{0x8000, TWON_DONTCARE16, nullptr};
        TW_UINT16 cc = 0xEEEE;
        EXPECT_EQ(AnswerCapability(MSG_GETCURRENT, c.reply, c.memory, &capability, &cc), c.rc);
        EXPECT_EQ(cc, c.cc);
        EXPECT_EQ(capability.hContainer != nullptr, c.rc == TWRC_SUCCESS);
        if (capability.hContainer) {
            // Never smaller than a TW_ONEVALUE, so a reader of its Item field stays inside.
            EXPECT_EQ(static_cast<unsigned char*>(capability.hContainer)[2], 5);
            EXPECT_EQ(static_cast<unsigned char*>(capability.hContainer)[5], 0);
            std::free(capability.hContainer);
        }
    }
}

}  // namespace
}  // namespace calvix::test
