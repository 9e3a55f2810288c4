// The Q71 data source, loaded by the real manager from the build's system directory, against a
// scripted device: opening, capabilities and their containers, scans and native transfers,
// and every way the device can fail or misbehave.
#include "FakeScanDevice.h"
#include "TwainHarness.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <tuple>

namespace calvix::test {
namespace {

constexpr const char* kQ71 = "Zelmar Q71 Ethernet";

std::string Bytes16(std::uint16_t value) { return std::string(reinterpret_cast<const char*>(&value), 2); }
std::string Fix(double value) {
    const TW_FIX32 fix = ToFix32(value);
    return std::string(reinterpret_cast<const char*>(&fix), 4);
}
std::string Text(const std::string& text, std::size_t size) { return text + std::string(size - text.size(), '\0'); }

struct Q71Session {
    Q71Session() { device.SetCap(CAP_FEEDERLOADED, TWTY_BOOL, Bytes16(1)); }
    void Open() {
        ASSERT_EQ(dsm.OpenManager(), TWRC_SUCCESS);
        ASSERT_EQ(dsm.OpenSource(&source, kQ71), TWRC_SUCCESS);
    }
    // A capability request answered with a one-value container: its item type and bytes.
    TW_UINT16 Get(TW_UINT16 cap, TW_UINT16 msg, TW_UINT16* itemType, std::string* item,
                  TW_UINT16 conType = TWON_ONEVALUE) {
        TW_CAPABILITY capability{cap, conType, nullptr};
        const TW_UINT16 rc = dsm.Control(&source, DAT_CAPABILITY, msg, &capability);
        if (!capability.hContainer) return rc;
        EXPECT_EQ(capability.ConType, TWON_ONEVALUE);
        const auto* bytes = static_cast<const char*>(capability.hContainer);
        std::memcpy(itemType, bytes, 2);
        item->assign(bytes + 2, ItemSize(*itemType));
        std::free(capability.hContainer);
        return rc;
    }
    TW_UINT16 Set(TW_UINT16 cap, TW_UINT16 itemType, const std::string& item, TW_UINT16 conType = TWON_ONEVALUE) {
        // A handle is a calloc'd block, as the source may ask the block's length.
        const std::string bytes = Bytes16(itemType) + item;
        void* container = std::calloc(1, bytes.size());
        std::memcpy(container, bytes.data(), bytes.size());
        TW_CAPABILITY capability{cap, conType, container};
        const TW_UINT16 rc = dsm.Control(&source, DAT_CAPABILITY, MSG_SET, &capability);
        std::free(container);
        return rc;
    }
    // ENABLEDS without UI, then the event loop until the source posts.
    TW_UINT16 Scan(const std::string& answer, bool closeAfter = false) {
        device.SetScanAnswer(answer, closeAfter);
        if (dsm.Enable(&source) != TWRC_SUCCESS) return 0xBAD;
        return dsm.WaitForEvent(&source);
    }
    TW_UINT16 Native(TW_HANDLE* handle) { return dsm.Call(&source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, handle); }

    FakeScanDevice device;
    ScopedEnv address{"Q71_ADDRESS", device.Address()};
    ScopedEnv systemDir{"CALVIX_SYSTEM_DIR", CALVIX_SYSTEM_DIR_BUILD};
    ManagerLibrary dsm;
    TW_IDENTITY source{};
};

// One face as the device sends it: 24 bits from TestPixels24, 8 bits with a palette, 32 bits.
std::string Face(std::uint8_t face, wire::ImageDisposition disposition, std::uint32_t width, std::uint32_t height,
                 std::uint16_t bits = 24, std::uint16_t dpi = 400) {
    std::string bytes;
    if (bits == 24) {
        bytes = FakeScanDevice::TestPixels24(width, height, static_cast<std::uint8_t>(0x11 * (face + 1)));
    } else {
        bytes.assign(wire::DibPayloadBytes(width, height, bits), '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + face);
    }
    wire::ImageHeader header{face, disposition, width, height, bits, dpi, static_cast<std::uint32_t>(bytes.size())};
    return FakeScanDevice::FaceFrames(header, bytes);
}

const std::string kDone = FakeScanDevice::DoneFrame(TWRC_SUCCESS, TWCC_SUCCESS);
constexpr auto kDeliver = wire::ImageDisposition::Deliver;

DibHeader HeaderOf(TW_HANDLE handle) {
    DibHeader header;
    std::memcpy(&header, handle, sizeof header);
    return header;
}

TEST(Q71SourceTest, IsFoundUnderItsNameAndOpensOnlyWhenTheDeviceGreets) {
    {
        Q71Session s;
        ASSERT_EQ(s.dsm.OpenManager(), TWRC_SUCCESS);
        TW_IDENTITY identity{};
        ASSERT_EQ(s.dsm.Control(nullptr, DAT_IDENTITY, MSG_GETFIRST, &identity), TWRC_SUCCESS);
        EXPECT_STREQ(identity.ProductName, kQ71);
        EXPECT_STREQ(identity.Manufacturer, "Zelmar GmbH");
        EXPECT_STREQ(identity.ProductFamily, "Q71");
        EXPECT_EQ(s.dsm.Control(nullptr, DAT_IDENTITY, MSG_GETNEXT, &identity), TWRC_ENDOFLIST);
        s.device.SetOffline(true);
        EXPECT_EQ(s.dsm.OpenSource(&s.source, kQ71), TWRC_FAILURE);
        EXPECT_EQ(s.dsm.Condition(), TWCC_CHECKDEVICEONLINE);
        s.device.SetOffline(false);
        EXPECT_EQ(s.dsm.OpenSource(&s.source, kQ71), TWRC_SUCCESS);
    }
    {
        // Something answers, but not as the device greets.
        Q71Session s;
        s.device.SetGreetingAnswer(wire::EncodeFrame(wire::FrameType::StateReport, "lamps=on"));
        ASSERT_EQ(s.dsm.OpenManager(), TWRC_SUCCESS);
        EXPECT_EQ(s.dsm.OpenSource(&s.source, kQ71), TWRC_FAILURE);
        EXPECT_EQ(s.dsm.Condition(), TWCC_OPERATIONERROR);
    }
    Q71Session s;
    ScopedEnv nobody("Q71_ADDRESS", "127.0.0.1:1");
    ASSERT_EQ(s.dsm.OpenManager(), TWRC_SUCCESS);
    EXPECT_EQ(s.dsm.OpenSource(&s.source, kQ71), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(), TWCC_CHECKDEVICEONLINE);
}

struct CapCase {
    TW_UINT16 cap;
    TW_UINT16 itemType;
    std::string item;
};

TEST(Q71SourceTest, ReadsEveryItemTypeIntoOneValueContainers) {
    const CapCase cases[] = {
        {CAP_DUPLEX, TWTY_UINT16, Bytes16(TWDX_1PASSDUPLEX)},
        {CAP_DEVICEONLINE, TWTY_BOOL, Bytes16(1)},
        {0x814A, TWTY_UINT8, "\x03"},
        {ICAP_XRESOLUTION, TWTY_FIX32, Fix(400.0)},
        {0x812C, TWTY_STR64, Text("0148002100ISO A5 - 148.0 x 210.0 mm", 66)},
        {CAP_SERIALNUMBER, TWTY_STR255, Text("Q71-0042", 256)},
    };
    Q71Session s;
    for (const CapCase& c : cases) s.device.SetCap(c.cap, c.itemType, c.item);
    s.Open();
    for (const CapCase& c : cases) {
        SCOPED_TRACE(c.cap);
        for (TW_UINT16 conType : {TWON_ONEVALUE, TWON_DONTCARE16}) {
            TW_UINT16 itemType = 0;
            std::string item;
            ASSERT_EQ(s.Get(c.cap, conType == TWON_ONEVALUE ? MSG_GETCURRENT : MSG_GET, &itemType, &item, conType),
                      TWRC_SUCCESS);
            EXPECT_EQ(itemType, c.itemType);
            EXPECT_EQ(item, c.item);
        }
        // The device was asked with the type the source knows the capability by.
        EXPECT_EQ(s.device.Requests().back().itemType, c.itemType);
    }
}

TEST(Q71SourceTest, SetsResetsAndQueriesThroughTheDevice) {
    Q71Session s;
    s.device.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix(400.0));
    s.Open();
    ASSERT_EQ(s.Set(ICAP_XRESOLUTION, TWTY_FIX32, Fix(300.5)), TWRC_SUCCESS);
    EXPECT_EQ(s.device.Requests().back().item, std::string("\x2c\x01\x00\x80", 4));
    TW_UINT16 type = 0;
    std::string item;
    ASSERT_EQ(s.Get(ICAP_XRESOLUTION, MSG_GETCURRENT, &type, &item), TWRC_SUCCESS);
    TW_FIX32 fix;
    std::memcpy(&fix, item.data(), 4);
    EXPECT_EQ(FromFix32(fix), 300.5);
    ASSERT_EQ(s.Get(ICAP_XRESOLUTION, MSG_GETDEFAULT, &type, &item), TWRC_SUCCESS);
    EXPECT_EQ(item, Fix(400.0));
    item.clear();
    ASSERT_EQ(s.Get(ICAP_XRESOLUTION, MSG_RESET, &type, &item), TWRC_SUCCESS);
    EXPECT_EQ(item, Fix(400.0));
    ASSERT_EQ(s.Get(ICAP_XRESOLUTION, MSG_QUERYSUPPORT, &type, &item), TWRC_SUCCESS);
    EXPECT_EQ(type, TWTY_INT32);
    EXPECT_EQ(item, std::string("\x1f\0\0\0", 4));
}

struct Refused {
    const char* name;
    TW_UINT16 deviceRc;
    TW_UINT16 deviceCc;
    TW_UINT16 rc;
    TW_UINT16 cc;
};

TEST(Q71SourceTest, PassesTheDevicesRefusalsOnWithTheirConditionCodes) {
    const Refused cases[] = {
        {"bad value", TWRC_FAILURE, TWCC_BADVALUE, TWRC_FAILURE, TWCC_BADVALUE},
        {"bad capability", TWRC_FAILURE, TWCC_CAPBADOPERATION, TWRC_FAILURE, TWCC_CAPBADOPERATION},
        {"failure without reason", TWRC_FAILURE, TWCC_SUCCESS, TWRC_FAILURE, TWCC_BUMMER},
        {"check status", TWRC_CHECKSTATUS, TWCC_SUCCESS, TWRC_CHECKSTATUS, TWCC_SUCCESS},
    };
    Q71Session s;
    s.device.SetCap(0x8136, TWTY_UINT16, Bytes16(0));
    s.Open();
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.name);
        s.device.AnswerSet(0x8136, c.deviceRc, c.deviceCc);
        EXPECT_EQ(s.Set(0x8136, TWTY_UINT16, Bytes16(7)), c.rc);
        EXPECT_EQ(s.dsm.Condition(&s.source), c.cc);
    }
    TW_UINT16 type = 0;
    std::string item;
    EXPECT_EQ(s.Get(0x8999, MSG_GETCURRENT, &type, &item), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(&s.source), TWCC_CAPUNSUPPORTED);
}

TEST(Q71SourceTest, RefusesContainersThatDoNotCheckOutWithoutAskingTheDevice) {
    struct Bad {
        const char* name;
        TW_UINT16 conType;
        TW_UINT16 itemType;
        std::string item;
    };
    const Bad cases[] = {
        {"enumeration", TWON_ENUMERATION, TWTY_BOOL, Bytes16(1)},
        {"unknown item type", TWON_ONEVALUE, 0x55, "abcd"},
        {"handle item", TWON_ONEVALUE, TWTY_HANDLE, std::string(8, '\1')},
        {"unterminated text", TWON_ONEVALUE, TWTY_STR64, std::string(66, 'x')},
    };
    Q71Session s;
    s.device.SetCap(0x812C, TWTY_STR64, Text("", 66));
    s.Open();
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(s.Set(0x812C, c.itemType, c.item, c.conType), TWRC_FAILURE);
        EXPECT_EQ(s.dsm.Condition(&s.source), TWCC_BADVALUE);
    }
    TW_CAPABILITY empty{0x812C, TWON_ONEVALUE, nullptr};
    EXPECT_EQ(s.dsm.Control(&s.source, DAT_CAPABILITY, MSG_SET, &empty), TWRC_FAILURE);
    EXPECT_TRUE(s.device.Requests().empty());
}

TEST(Q71SourceTest, ReconnectsOnceAfterTheDeviceDroppedTheConnection) {
    Q71Session s;
    s.Open();
    TW_UINT16 type = 0;
    std::string item;
    ASSERT_EQ(s.Get(CAP_FEEDERLOADED, MSG_GETCURRENT, &type, &item), TWRC_SUCCESS);
    s.device.DropConnection();
    EXPECT_EQ(s.Get(CAP_FEEDERLOADED, MSG_GETCURRENT, &type, &item), TWRC_SUCCESS);
    EXPECT_EQ(s.device.Greetings(), 2);

    // A reply that is no reply drops the connection; the next request starts a new one.
    s.device.AnswerRaw(CAP_DUPLEX, wire::EncodeFrame(wire::FrameType::CapReply, "xx"));
    EXPECT_EQ(s.Get(CAP_DUPLEX, MSG_GETCURRENT, &type, &item), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(&s.source), TWCC_OPERATIONERROR);
    EXPECT_EQ(s.Get(CAP_FEEDERLOADED, MSG_GETCURRENT, &type, &item), TWRC_SUCCESS);
    EXPECT_EQ(s.device.Greetings(), 3);

    // A connection that ends in the middle of an answer is not tried again: the device may
    // have acted on the request.
    s.device.SetCap(0x8136, TWTY_UINT16, Bytes16(0));
    const std::string reply = wire::EncodeCapReply({TWRC_SUCCESS, 0, TWTY_UINT16, Bytes16(5)});
    s.device.AnswerRaw(0x8136, reply.substr(0, 7), true);
    const std::size_t asked = s.device.Requests().size();
    EXPECT_EQ(s.Set(0x8136, TWTY_UINT16, Bytes16(5)), TWRC_FAILURE);
    EXPECT_EQ(s.device.Requests().size(), asked + 1);

    s.device.SetOffline(true);
    s.device.DropConnection();
    EXPECT_EQ(s.Get(CAP_FEEDERLOADED, MSG_GETCURRENT, &type, &item), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(&s.source), TWCC_CHECKDEVICEONLINE);
}

TEST(Q71SourceTest, HandsOverADuplexSheetFrontFirstAsBottomUpBitmaps) {
    Q71Session s;
    s.Open();
    ASSERT_EQ(s.Scan(Face(0, kDeliver, 5, 3) + Face(1, kDeliver, 5, 3, 24, 300) + kDone), MSG_XFERREADY);
    TW_UINT16 count = 0;
    ASSERT_EQ(s.dsm.Pending(&s.source, MSG_GET, &count), TWRC_SUCCESS);
    EXPECT_EQ(count, 2);
    for (int face = 0; face < 2; ++face) {
        SCOPED_TRACE(face);
        TW_HANDLE handle = nullptr;
        ASSERT_EQ(s.Native(&handle), TWRC_XFERDONE);
        ASSERT_NE(handle, nullptr);
        const DibHeader h = HeaderOf(handle);
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, 5);
        EXPECT_EQ(h.biHeight, 3);
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, 24);
        EXPECT_EQ(h.biCompression, 0u);
        EXPECT_EQ(h.biSizeImage, 16u * 3);
        EXPECT_EQ(h.biXPelsPerMeter, face == 0 ? 15748 : 11811);
        EXPECT_EQ(h.biYPelsPerMeter, h.biXPelsPerMeter);
        // Pixel (4, 0), the top row, is the last row in memory: B = x, G = y, R = face marker.
        const auto* pixel = static_cast<const unsigned char*>(handle) + 40 + 2 * 16 + 4 * 3;
        EXPECT_EQ(pixel[0], 4);
        EXPECT_EQ(pixel[1], 0);
        EXPECT_EQ(pixel[2], 0x11 * (face + 1));
        const auto* bottomLeft = static_cast<const unsigned char*>(handle) + 40;
        EXPECT_EQ(bottomLeft[1], 2);
        std::free(handle);
        ASSERT_EQ(s.dsm.Pending(&s.source, MSG_ENDXFER, &count), TWRC_SUCCESS);
        EXPECT_EQ(count, 1 - face);
    }
    EXPECT_EQ(s.dsm.Disable(&s.source), TWRC_SUCCESS);
    EXPECT_EQ(s.dsm.CloseSource(&s.source), TWRC_SUCCESS);
}

TEST(Q71SourceTest, AFailedFaceFailsAndACancelledFaceCancelsWithoutAHandle) {
    Q71Session s;
    s.Open();
    ASSERT_EQ(
        s.Scan(Face(0, wire::ImageDisposition::Fail, 4, 2) + Face(1, wire::ImageDisposition::Cancel, 4, 2) + kDone),
        MSG_XFERREADY);
    TW_HANDLE handle = nullptr;
    EXPECT_EQ(s.Native(&handle), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(&s.source), TWCC_OPERATIONERROR);
    TW_UINT16 count = 0;
    ASSERT_EQ(s.dsm.Pending(&s.source, MSG_ENDXFER, &count), TWRC_SUCCESS);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(s.Native(&handle), TWRC_CANCEL);
    EXPECT_EQ(handle, nullptr);
    ASSERT_EQ(s.dsm.Pending(&s.source, MSG_ENDXFER, &count), TWRC_SUCCESS);
    EXPECT_EQ(count, 0);
}

TEST(Q71SourceTest, PassesOtherBitDepthsOnAsDelivered) {
    for (std::uint16_t bits : {8, 32}) {
        SCOPED_TRACE(bits);
        Q71Session s;
        s.Open();
        ASSERT_EQ(s.Scan(Face(0, kDeliver, 3, 2, bits) + kDone), MSG_XFERREADY);
        TW_HANDLE handle = nullptr;
        ASSERT_EQ(s.Native(&handle), TWRC_XFERDONE);
        const DibHeader h = HeaderOf(handle);
        EXPECT_EQ(h.biBitCount, bits);
        EXPECT_EQ(h.biClrUsed, bits == 8 ? 256u : 0u);
        EXPECT_EQ(h.biSizeImage, bits == 8 ? 4u * 2 : 12u * 2);
        // The bytes after the header are the device's, palette included: byte i is i * 7.
        const auto* bytes = static_cast<const unsigned char*>(handle) + 40;
        const std::size_t last = wire::DibPayloadBytes(3, 2, bits) - 1;
        EXPECT_EQ(bytes[last], static_cast<unsigned char>(last * 7));
        std::free(handle);
    }
}

TEST(Q71SourceTest, ResetDiscardsWhatWasNotTransferred) {
    Q71Session s;
    s.Open();
    ASSERT_EQ(s.Scan(Face(0, kDeliver, 4, 4) + Face(1, kDeliver, 4, 4) + kDone), MSG_XFERREADY);
    // Triplets this source does not offer, even where the state would allow them.
    const std::tuple<TW_UINT32, TW_UINT16, TW_UINT16> unoffered[] = {
        {DG_IMAGE, DAT_IMAGEINFO, MSG_GET},      {DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET},
        {DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET}, {DG_CONTROL, DAT_PENDINGXFERS, MSG_STOPFEEDER},
        {DG_CONTROL, DAT_USERINTERFACE, 0x0599},
    };
    for (const auto& [dg, dat, msg] : unoffered) {
        unsigned char scratch[256] = {};
        EXPECT_EQ(s.dsm.Call(&s.source, dg, dat, msg, scratch), TWRC_FAILURE);
        EXPECT_EQ(s.dsm.Condition(&s.source), TWCC_BADPROTOCOL);
    }
    TW_UINT16 count = 9;
    ASSERT_EQ(s.dsm.Pending(&s.source, MSG_RESET, &count), TWRC_SUCCESS);
    EXPECT_EQ(count, 0);
    TW_HANDLE handle = nullptr;
    EXPECT_EQ(s.Native(&handle), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(&s.source), TWCC_SEQERROR);
    EXPECT_EQ(s.dsm.Disable(&s.source), TWRC_SUCCESS);
    // And a second sheet works on the same session.
    ASSERT_EQ(s.Scan(Face(0, kDeliver, 4, 4) + kDone), MSG_XFERREADY);
    ASSERT_EQ(s.Native(&handle), TWRC_XFERDONE);
    std::free(handle);
}

TEST(Q71SourceTest, AScanThatGoesWrongAsksToCloseAndLeavesTheSourceUsable) {
    wire::ImageHeader lying{0, kDeliver, 4, 4, 24, 400, 47};
    struct Wrong {
        const char* name;
        std::string answer;
        bool close;
        TW_UINT16 cc;
    };
    const std::string front = Face(0, kDeliver, 4, 4);
    const Wrong cases[] = {
        {"no paper", FakeScanDevice::DoneFrame(TWRC_FAILURE, TWCC_OPERATIONERROR), false, TWCC_OPERATIONERROR},
        {"jam after the front", front + FakeScanDevice::DoneFrame(TWRC_FAILURE, TWCC_PAPERJAM), false, TWCC_PAPERJAM},
        {"nothing scanned", kDone, false, TWCC_OPERATIONERROR},
        {"sizes that disagree", wire::EncodeImageHeader(lying) + kDone, false, TWCC_OPERATIONERROR},
        {"data beyond the count", front + wire::EncodeFrame(wire::FrameType::ImageData, "x") + kDone, false,
         TWCC_OPERATIONERROR},
        {"rear before front", Face(1, kDeliver, 4, 4) + front + kDone, false, TWCC_OPERATIONERROR},
        {"a frame of no known type", std::string("\x07\0\0\0\0", 5), false, TWCC_OPERATIONERROR},
        {"connection lost mid-image", front.substr(0, front.size() - 10), true, TWCC_CHECKDEVICEONLINE},
    };
    for (const Wrong& c : cases) {
        SCOPED_TRACE(c.name);
        Q71Session s;
        s.Open();
        EXPECT_EQ(s.Scan(c.answer, c.close), MSG_CLOSEDSREQ);
        EXPECT_EQ(s.dsm.Condition(&s.source), c.cc);
        EXPECT_EQ(s.dsm.Disable(&s.source), TWRC_SUCCESS);
        TW_UINT16 type = 0;
        std::string item;
        EXPECT_EQ(s.Get(CAP_FEEDERLOADED, MSG_GETCURRENT, &type, &item), TWRC_SUCCESS);
    }
}

TEST(Q71SourceTest, NeverBlocksTheApplicationWhileTheSheetFeeds) {
    Q71Session s;
    s.Open();
    TW_USERINTERFACE withUi{1, 0, nullptr};
    EXPECT_EQ(s.dsm.Control(&s.source, DAT_USERINTERFACE, MSG_ENABLEDS, &withUi), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(&s.source), TWCC_BADVALUE);

    // The device starts a face and then says nothing more.
    const std::string front = Face(0, kDeliver, 64, 64);
    s.device.SetScanAnswer(front.substr(0, front.size() / 2));
    ASSERT_EQ(s.dsm.Enable(&s.source), TWRC_SUCCESS);
    EXPECT_EQ(s.dsm.NextEvent(&s.source), MSG_NULL);
    TW_UINT16 type = 0;
    std::string item;
    EXPECT_EQ(s.Get(CAP_FEEDERLOADED, MSG_GETCURRENT, &type, &item), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(&s.source), TWCC_SEQERROR);
    EXPECT_EQ(s.dsm.Disable(&s.source), TWRC_SUCCESS);  // cancels the scan and joins its worker
    EXPECT_EQ(s.dsm.NextEvent(&s.source), MSG_NULL);
    EXPECT_EQ(s.Get(CAP_FEEDERLOADED, MSG_GETCURRENT, &type, &item), TWRC_SUCCESS);

    // Unloading the manager in the middle of a scan stops it too, rather than hanging or
    // leaving a worker behind in an unloaded library.
    ASSERT_EQ(s.dsm.Enable(&s.source), TWRC_SUCCESS);
    s.dsm.Unload();
}

}  // namespace
}  // namespace calvix::test
