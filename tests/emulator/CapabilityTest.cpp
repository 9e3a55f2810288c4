// The emulated Q71's capability table: every setting the host sets before a scan, the device's
// own start values, reset, wrong types, the simplex model, the read-only facts and the faults.
#include "Capabilities.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace calvix::device {
namespace {

using namespace twain;

struct Row {
    std::uint16_t cap;
    std::uint16_t type;
    std::string requested;  // item bytes the calibration host sets
};

std::string Bool(int v) { return ItemBytes(TWTY_BOOL, static_cast<std::uint32_t>(v)); }
std::string U8(int v) { return ItemBytes(TWTY_UINT8, static_cast<std::uint32_t>(v)); }
std::string U16(int v) { return ItemBytes(TWTY_UINT16, static_cast<std::uint32_t>(v)); }

const std::vector<Row>& SettingsRows() {
    static const std::vector<Row> rows = {
        {CAP_AUTOSCAN, TWTY_BOOL, Bool(0)},
        {ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bytes(400.0)},
        {ICAP_YRESOLUTION, TWTY_FIX32, Fix32Bytes(400.0)},
        {0x812C, TWTY_STR64, StringItem(TWTY_STR64, "0148002100ISO A5 - 148.0 x 210.0 mm")},
        {0x812D, TWTY_BOOL, Bool(1)}, {0x8136, TWTY_UINT16, U16(0)}, {0x8145, TWTY_BOOL, Bool(0)},
        {0x814A, TWTY_UINT8, U8(0)}, {0x815E, TWTY_UINT8, U8(3)}, {0x816A, TWTY_UINT8, U8(1)},
        {0x8154, TWTY_BOOL, Bool(0)}, {0x8168, TWTY_BOOL, Bool(0)}, {0x8169, TWTY_BOOL, Bool(0)},
        {0x8186, TWTY_UINT8, U8(0)}, {0x8137, TWTY_BOOL, Bool(1)}, {0x8064, TWTY_UINT8, U8(1)},
        {0x8083, TWTY_BOOL, Bool(0)}, {0x8084, TWTY_UINT16, U16(0)}, {0x80AA, TWTY_BOOL, Bool(0)},
        {0x81CC, TWTY_UINT8, U8(0)}, {CAP_DUPLEXENABLED, TWTY_BOOL, Bool(1)},
        {0x80C8, TWTY_UINT8, U8(1)}, {0x80E7, TWTY_BOOL, Bool(0)}, {0x80E8, TWTY_UINT16, U16(0)},
        {0x810E, TWTY_BOOL, Bool(0)},
    };
    return rows;
}

class CapabilityTest : public ::testing::Test {
protected:
    wire::CapReply Ask(std::uint16_t cap, std::uint16_t msg, std::uint16_t type = 0, std::string item = {}) {
        return table.Handle(wire::CapRequest{cap, msg, type, std::move(item)}, facts, faults);
    }
    CapabilityTable table;
    DeviceFacts facts{true, false, "Q71-000123"};
    CapFaults faults;
};

TEST_F(CapabilityTest, EverySettingStartsElsewhereIsStoredAndResets) {
    for (const Row& row : SettingsRows()) {
        SCOPED_TRACE(row.cap);
        const wire::CapReply start = Ask(row.cap, MSG_GETCURRENT, row.type);
        ASSERT_EQ(start.rc, TWRC_SUCCESS);
        EXPECT_EQ(start.itemType, row.type);
        ASSERT_EQ(start.item.size(), ItemSize(row.type));
        // The device's own value differs, so a test sees whether the host restored it.
        EXPECT_NE(start.item, row.requested);

        const wire::CapReply set = Ask(row.cap, MSG_SET, row.type, row.requested);
        EXPECT_EQ(set.rc, TWRC_SUCCESS);
        EXPECT_EQ(set.item, row.requested);
        EXPECT_EQ(Ask(row.cap, MSG_GET).item, row.requested);
        EXPECT_EQ(table.Current(row.cap), row.requested);
        EXPECT_EQ(Ask(row.cap, MSG_GETDEFAULT).item, start.item);

        const wire::CapReply reset = Ask(row.cap, MSG_RESET, row.type);
        EXPECT_EQ(reset.rc, TWRC_SUCCESS);
        EXPECT_EQ(reset.item, start.item);
        EXPECT_EQ(Ask(row.cap, MSG_GETCURRENT).item, start.item);
    }
}

TEST_F(CapabilityTest, WrongTypeOrValueIsRefusedAndChangesNothing) {
    for (const Row& row : SettingsRows()) {
        SCOPED_TRACE(row.cap);
        // Same size, other type: BOOL and UINT16 share two bytes, FIX32 and INT32 four.
        const std::uint16_t other = row.type == TWTY_BOOL ? TWTY_UINT16 : row.type == TWTY_UINT16 ? TWTY_BOOL
                                    : row.type == TWTY_FIX32 ? TWTY_INT32 : row.type == TWTY_UINT8 ? TWTY_INT8
                                                                                                   : TWTY_STR32;
        const std::string before = table.Current(row.cap);
        const wire::CapReply reply = Ask(row.cap, MSG_SET, other, std::string(ItemSize(other), '\x01'));
        EXPECT_EQ(reply.rc, TWRC_FAILURE);
        EXPECT_EQ(reply.cc, TWCC_BADVALUE);
        EXPECT_TRUE(reply.item.empty());
        EXPECT_EQ(table.Current(row.cap), before);
    }
    const struct {
        std::uint16_t cap, type;
        std::string item;
    } bad[] = {
        {CAP_AUTOSCAN, TWTY_BOOL, Bool(2)},
        {ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bytes(49.9)},
        {ICAP_YRESOLUTION, TWTY_FIX32, Fix32Bytes(1200.5)},
        {0x812C, TWTY_STR64, std::string(66, 'A')},  // no terminating zero
    };
    for (const auto& c : bad) {
        EXPECT_EQ(Ask(c.cap, MSG_SET, c.type, c.item).cc, TWCC_BADVALUE) << c.cap;
    }
    EXPECT_EQ(Ask(ICAP_XRESOLUTION, MSG_SET, TWTY_FIX32, Fix32Bytes(1200.0)).rc, TWRC_SUCCESS);
}

TEST_F(CapabilityTest, SimplexModelLacksTheDuplexSettings) {
    facts.duplex = false;
    for (const Row& row : SettingsRows()) {
        const bool duplexOnly = row.cap == 0x80C8 || row.cap == 0x80E7 || row.cap == 0x80E8 || row.cap == 0x810E;
        EXPECT_EQ(CapabilityTable::DuplexOnly(row.cap), duplexOnly) << row.cap;
        for (const std::uint16_t msg : {MSG_GETCURRENT, MSG_SET}) {
            const wire::CapReply reply = Ask(row.cap, msg, row.type, msg == MSG_SET ? row.requested : "");
            if (duplexOnly) {
                EXPECT_EQ(reply.rc, TWRC_FAILURE) << row.cap;
                EXPECT_EQ(reply.cc, TWCC_CAPUNSUPPORTED) << row.cap;
            } else if (row.cap != CAP_DUPLEXENABLED) {
                EXPECT_EQ(reply.rc, TWRC_SUCCESS) << row.cap;
            }
        }
    }
    // Nothing to enable on one side only; switching it off is fine.
    EXPECT_EQ(Ask(CAP_DUPLEXENABLED, MSG_SET, TWTY_BOOL, Bool(1)).cc, TWCC_BADVALUE);
    EXPECT_EQ(Ask(CAP_DUPLEXENABLED, MSG_SET, TWTY_BOOL, Bool(0)).rc, TWRC_SUCCESS);
    EXPECT_THAT(table.Text(false), ::testing::Not(::testing::HasSubstr("0x80C8")));
    EXPECT_THAT(table.Text(true), ::testing::HasSubstr("cap_0x80C8=0\n"));
}

TEST_F(CapabilityTest, FactsAreReadOnly) {
    facts.feederLoaded = true;
    EXPECT_EQ(Ask(CAP_DEVICEONLINE, MSG_GETCURRENT).item, Bool(1));
    EXPECT_EQ(Ask(CAP_DUPLEX, MSG_GETCURRENT).item, U16(TWDX_1PASSDUPLEX));
    EXPECT_EQ(Ask(CAP_FEEDERLOADED, MSG_GETCURRENT).item, Bool(1));
    const wire::CapReply serial = Ask(CAP_SERIALNUMBER, MSG_GETCURRENT);
    EXPECT_EQ(serial.itemType, TWTY_STR255);
    EXPECT_EQ(serial.item, StringItem(TWTY_STR255, "Q71-000123"));
    facts = {false, false, "S"};
    EXPECT_EQ(Ask(CAP_DUPLEX, MSG_GET).item, U16(TWDX_NONE));
    EXPECT_EQ(Ask(CAP_FEEDERLOADED, MSG_GET).item, Bool(0));
    for (const std::uint16_t cap : {CAP_DEVICEONLINE, CAP_DUPLEX, CAP_SERIALNUMBER, CAP_FEEDERLOADED}) {
        EXPECT_EQ(Ask(cap, MSG_SET, TWTY_BOOL, Bool(1)).cc, TWCC_CAPBADOPERATION) << cap;
        EXPECT_EQ(Ask(cap, MSG_RESET).cc, TWCC_CAPBADOPERATION) << cap;
    }
}

TEST_F(CapabilityTest, UnknownCapabilityAndMessage) {
    EXPECT_EQ(Ask(0x8999, MSG_GETCURRENT).cc, TWCC_CAPUNSUPPORTED);
    EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_SET, TWTY_UINT16, U16(2)).cc, TWCC_CAPUNSUPPORTED);
    const wire::CapReply reply = Ask(CAP_AUTOSCAN, MSG_QUERYSUPPORT);
    EXPECT_EQ(reply.rc, TWRC_FAILURE);
    EXPECT_EQ(reply.cc, TWCC_CAPBADOPERATION);
}

TEST_F(CapabilityTest, RefusedAndCheckStatusFaults) {
    faults.refuse = {{0x8136, TWCC_BADVALUE}, {0x8084, TWCC_SEQERROR}};
    faults.checkStatus = {0x812D};
    const wire::CapReply refused = Ask(0x8136, MSG_SET, TWTY_UINT16, U16(0));
    EXPECT_EQ(refused.rc, TWRC_FAILURE);
    EXPECT_EQ(refused.cc, TWCC_BADVALUE);
    EXPECT_EQ(table.Current(0x8136), U16(1));
    EXPECT_EQ(Ask(0x8084, MSG_SET, TWTY_UINT16, U16(0)).cc, TWCC_SEQERROR);
    EXPECT_EQ(Ask(0x8136, MSG_GETCURRENT).rc, TWRC_SUCCESS);  // only sets are refused

    const wire::CapReply check = Ask(0x812D, MSG_SET, TWTY_BOOL, Bool(1));
    EXPECT_EQ(check.rc, TWRC_CHECKSTATUS);
    EXPECT_EQ(check.item, Bool(1));
    EXPECT_EQ(table.Current(0x812D), Bool(1));  // stored anyway
}

TEST(CapabilityTextTest, ValuesReadAsTheyAre) {
    EXPECT_EQ(ItemText(TWTY_FIX32, Fix32Bytes(400.0)), "400");
    EXPECT_EQ(ItemText(TWTY_FIX32, Fix32Bytes(-2.5)), "-2.5");
    EXPECT_EQ(ItemText(TWTY_FIX32, Fix32Bytes(1.0 / 65536)), "0.00002");
    EXPECT_EQ(ItemText(TWTY_UINT16, U16(65535)), "65535");
    EXPECT_EQ(ItemText(TWTY_INT16, ItemBytes(TWTY_INT16, 0xFFFF)), "-1");
    EXPECT_EQ(ItemText(TWTY_STR64, StringItem(TWTY_STR64, "A4 \"x\"")), "A4 \"x\"");
    EXPECT_EQ(ItemText(TWTY_STR32, StringItem(TWTY_STR32, " lead")), "\" lead\"");
    EXPECT_EQ(StringItem(TWTY_STR32, std::string(40, 'x')), std::string(33, 'x') + '\0');
}

}  // namespace
}  // namespace calvix::device
