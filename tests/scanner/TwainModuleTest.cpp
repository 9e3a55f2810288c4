// The TWAIN module against the in-test manager: loading, the identities it presents, the
// settings table byte by byte, capability reads and sets with their codes, the session end,
// the feeder query, source selection and the exported entry points.
#include "TwainFixture.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace calvix::test {
namespace {

using namespace twain;

std::vector<std::uint8_t> Hex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::vector<std::uint8_t> Page() {
    const std::string text = "0148002100ISO A5 - 148.0 x 210.0 mm";
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.resize(66, 0);
    return bytes;
}

struct ExpectedRow {
    TW_UINT16 cap;
    TW_UINT16 type;
    std::vector<std::uint8_t> bytes;
};

// The settings as a duplex source must receive them, in this order.
const std::vector<ExpectedRow> kDuplexRows = {
    {0x1010, TWTY_BOOL, Hex("0000")}, {0x1118, TWTY_FIX32, Hex("90010000")}, {0x1119, TWTY_FIX32, Hex("90010000")},
    {0x812C, TWTY_STR64, Page()},     {0x812D, TWTY_BOOL, Hex("0100")},      {0x8136, TWTY_UINT16, Hex("0000")},
    {0x8145, TWTY_BOOL, Hex("0000")}, {0x814A, TWTY_UINT8, Hex("00")},       {0x815E, TWTY_UINT8, Hex("03")},
    {0x816A, TWTY_UINT8, Hex("01")},  {0x8154, TWTY_BOOL, Hex("0000")},      {0x8168, TWTY_BOOL, Hex("0000")},
    {0x8169, TWTY_BOOL, Hex("0000")}, {0x8186, TWTY_UINT8, Hex("00")},       {0x8137, TWTY_BOOL, Hex("0100")},
    {0x8064, TWTY_UINT8, Hex("01")},  {0x8083, TWTY_BOOL, Hex("0000")},      {0x8084, TWTY_UINT16, Hex("0000")},
    {0x80AA, TWTY_BOOL, Hex("0000")}, {0x81CC, TWTY_UINT8, Hex("00")},       {0x1013, TWTY_BOOL, Hex("0100")},
    {0x80C8, TWTY_UINT8, Hex("01")},  {0x80E7, TWTY_BOOL, Hex("0000")},      {0x80E8, TWTY_UINT16, Hex("0000")},
    {0x810E, TWTY_BOOL, Hex("0000")},
};

TEST_F(TwainTest, LoadsTheManagerFromTheSystemDirectoryOnlyWithItsEntryPoint) {
    struct Case {
        const char* name;
        bool dirExists, loadable, hasEntry, loaded;
    } cases[] = {
        {"no system directory", false, true, true, false},
        {"library does not load", true, false, true, false},
        {"no DSM_Entry", true, true, false, false},
        {"usable", true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTwainManager fake;
        fake.loadable = c.loadable;
        fake.hasEntry = c.hasEntry;
        Twain module(fake.Library(), c.dirExists ? dir.Path() : dir.File("missing"), clock, nullptr);
        EXPECT_EQ(module.TwainLoadManager(), c.loaded);
        EXPECT_EQ(module.ManagerLoaded(), c.loaded);
        if (c.dirExists) {
            EXPECT_EQ(fake.openedPath, dir.Path() + "/twain_32.so");
        }
        EXPECT_EQ(module.TwainManagerCall(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window), c.loaded ? 1 : 0);
        // Without an entry point every call is a failure and is left as the last result.
        if (!c.loaded) {
            EXPECT_EQ(module.LastResult(), TWRC_FAILURE);
            EXPECT_TRUE(fake.calls.empty());
        }
    }
}

TEST_F(TwainTest, PresentsTheApplicationAndAsksForTheQ71ByName) {
    ASSERT_TRUE(Module().TwainOpenManager(window));
    ASSERT_TRUE(Module().TwainOpenSource());
    ASSERT_EQ(manager.calls.size(), 2u);
    const TwainCall& open = manager.calls[0];
    EXPECT_EQ(open.msg, MSG_OPENDSM);
    EXPECT_EQ(open.window, window);
    const TW_IDENTITY& app = open.origin;
    EXPECT_EQ(app.Id, 0u);
    EXPECT_EQ(app.Version.MajorNum, 0);
    EXPECT_EQ(app.Version.MinorNum, 1);
    EXPECT_EQ(app.Version.Language, 6);
    EXPECT_EQ(app.Version.Country, 49);
    EXPECT_STREQ(app.Version.Info, "Calvix 1.1");
    EXPECT_EQ(app.ProtocolMajor, 1);
    EXPECT_EQ(app.ProtocolMinor, 9);
    EXPECT_EQ(app.SupportedGroups, 3u);
    EXPECT_STREQ(app.Manufacturer, "Zelmar GmbH");
    EXPECT_STREQ(app.ProductFamily, "Ordavin");
    EXPECT_STREQ(app.ProductName, "Calvix");

    // The source record before opening: Id 0 and the name, every other byte zero.
    TW_IDENTITY wanted{};
    std::memcpy(wanted.ProductName, "Zelmar Q71 Ethernet", 20);
    EXPECT_EQ(manager.calls[1].msg, MSG_OPENDS);
    EXPECT_FALSE(manager.calls[1].toSource);
    EXPECT_EQ(std::memcmp(&manager.calls[1].identity, &wanted, sizeof wanted), 0);
    EXPECT_EQ(Module().SourceIdentity().Id, 7u);  // filled in by the manager
    EXPECT_TRUE(Module().SourceChosen());
}

TEST_F(TwainTest, UnloadingClosesAnEnabledSourceAndTheManagerFirst) {
    ASSERT_TRUE(Module().TwainOpenManager(window) && Module().TwainOpenSource() && Module().TwainEnableSource(window));
    EXPECT_TRUE(Module().SourceEnabled());
    manager.calls.clear();
    Module().TwainUnloadManager();
    ASSERT_EQ(manager.calls.size(), 2u);
    EXPECT_EQ(manager.calls[0].msg, MSG_CLOSEDS);
    EXPECT_EQ(manager.calls[1].msg, MSG_CLOSEDSM);
    EXPECT_EQ(manager.calls[1].window, window);
    EXPECT_FALSE(Module().ManagerOpen() || Module().SourceOpen() || Module().SourceEnabled() ||
                 Module().ManagerLoaded());
    EXPECT_FALSE(Module().TwainOpenManager(window));
}

TEST_F(TwainTest, SetsTheSettingsTableRowByRowWithTheLastFourOnlyForDuplex) {
    for (const bool duplex : {true, false}) {
        SCOPED_TRACE(duplex ? "duplex" : "simplex");
        FakeTwainManager fake;
        fake.FillSource(duplex);
        Twain module(fake.Library(), dir.Path(), clock, nullptr);
        ASSERT_TRUE(module.TwainLoadManager());
        ASSERT_TRUE(module.TwainOpenManager(window) && module.TwainOpenSource());
        ASSERT_EQ(module.TwainReadCapabilities(), 0);
        ScanSettings requested;
        module.TwainDefaultSettings(requested);
        EXPECT_TRUE(requested.valid);
        fake.calls.clear();
        ASSERT_EQ(module.TwainApplySettings(requested), 0);

        std::vector<ExpectedRow> rows(kDuplexRows.begin(), kDuplexRows.begin() + (duplex ? 25 : 21));
        if (!duplex) rows[20].bytes = Hex("0000");  // duplex enabled follows the source
        ASSERT_EQ(fake.calls.size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE("row " + std::to_string(i + 1));
            EXPECT_TRUE(fake.calls[i].toSource);
            EXPECT_EQ(fake.calls[i].msg, MSG_SET);
            EXPECT_EQ(fake.calls[i].conType, TWON_ONEVALUE);
            EXPECT_EQ(fake.calls[i].cap, rows[i].cap);
            EXPECT_EQ(fake.calls[i].itemType, rows[i].type);
            EXPECT_EQ(fake.calls[i].item, rows[i].bytes);
        }
    }
}

TEST_F(TwainTest, ReadsDuplexSerialAndTheSavedRowsStoppingAtTheFirstFailure) {
    for (const bool duplex : {true, false}) {
        FakeTwainManager fake;
        fake.FillSource(duplex);
        Twain module(fake.Library(), dir.Path(), clock, nullptr);
        ASSERT_TRUE(module.TwainLoadManager() && module.TwainOpenManager(window) && module.TwainOpenSource());
        ASSERT_EQ(module.TwainReadCapabilities(), 0);
        std::vector<TW_UINT16> wanted = {CAP_DEVICEONLINE, CAP_DUPLEX, CAP_SERIALNUMBER};
        for (std::size_t i = 0; i < (duplex ? 25u : 21u); ++i) wanted.push_back(kDuplexRows[i].cap);
        EXPECT_EQ(fake.Caps(MSG_GETCURRENT), wanted);
        EXPECT_EQ(module.twainDuplex(), duplex);
        EXPECT_EQ(module.twainSerial(), "Q71-4711");
        EXPECT_TRUE(module.SavedSettings().valid);
        EXPECT_EQ(module.SavedSettings().values[8][0], 0x48);  // the source's own value of row 9
    }
    // A serial that fills its field without an end is cut at 255 characters.
    manager.values[CAP_SERIALNUMBER] = CapValue{TWTY_STR255, std::vector<std::uint8_t>(256, 'S')};
    ASSERT_TRUE(Module().TwainOpenManager(window) && Module().TwainOpenSource());
    ASSERT_EQ(Module().TwainReadCapabilities(), 0);
    EXPECT_EQ(Module().twainSerial(), std::string(255, 'S'));
    // A refused read ends the sequence with its code and leaves the saved values invalid.
    manager.getResult[0x8145] = TWRC_FAILURE;
    ASSERT_TRUE(Module().TwainOpenManager(window) && Module().TwainOpenSource());
    EXPECT_EQ(Module().TwainReadCapabilities(), TWRC_FAILURE);
    EXPECT_EQ(manager.Caps(MSG_GETCURRENT).back(), 0x8145);
    EXPECT_FALSE(Module().SavedSettings().valid);
}

TEST_F(TwainTest, ReadsOnlyOneValueContainersThatHoldTheAskedItem) {
    struct Case {
        const char* name;
        std::function<void(TW_CAPABILITY&)> answer;
        TW_UINT16 code;
    } cases[] = {
        {"as asked", [](TW_CAPABILITY&) {}, TWRC_SUCCESS},
        {"item type of another size", [](TW_CAPABILITY& c) { static_cast<TW_UINT16*>(c.hContainer)[0] = TWTY_STR32; },
         TWRC_FAILURE},
        {"enumeration", [](TW_CAPABILITY& c) { c.ConType = TWON_ENUMERATION; }, TWRC_FAILURE},
        {"no container",
         [](TW_CAPABILITY& c) {
             std::free(c.hContainer);
             c.hContainer = nullptr;
         },
         TWRC_FAILURE},
        // Shorter than the allocator's smallest blocks could not be told apart from its
        // padding; a string item is far longer.
        {"container cut short",
         [](TW_CAPABILITY& c) {
             std::free(c.hContainer);
             c.hContainer = std::calloc(1, 20);
             static_cast<TW_UINT16*>(c.hContainer)[0] = TWTY_STR64;
         },
         TWRC_FAILURE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        manager.answer = c.answer;
        ASSERT_TRUE(Module().TwainOpenManager(window) && Module().TwainOpenSource());
        char page[66] = "untouched";
        EXPECT_EQ(Module().TwainGetCap(0x812C, page, TWTY_STR64), c.code);
        EXPECT_STREQ(page, c.code == TWRC_SUCCESS ? "own page" : "untouched");
    }
}

TEST_F(TwainTest, RefusedSetsGiveTheirMappedCodeAndCheckStatusCountsWhenReadBack) {
    struct Case {
        const char* name;
        TW_UINT16 condition;  // 0xFFFF: answered CHECKSTATUS instead
        TW_UINT16 statusOrFollowUp;
        TW_UINT16 code;
    } cases[] = {
        {"bad cap", TWCC_BADCAP, TWRC_SUCCESS, 0xFFFB},
        {"bad value", TWCC_BADVALUE, TWRC_SUCCESS, 0xFFFD},
        {"sequence", TWCC_SEQERROR, TWRC_SUCCESS, 0xFFFC},
        {"bad destination", TWCC_BADDEST, TWRC_SUCCESS, 0xFFFE},
        {"unsupported", TWCC_CAPUNSUPPORTED, TWRC_SUCCESS, 0xFFFA},
        {"bad operation", TWCC_CAPBADOPERATION, TWRC_SUCCESS, 0xFFF9},
        {"cap sequence", TWCC_CAPSEQERROR, TWRC_SUCCESS, 0xFFFF},
        {"other condition stays a failure", TWCC_DENIED, TWRC_SUCCESS, TWRC_FAILURE},
        {"status query refused", TWCC_BADCAP, TWRC_FAILURE, TWRC_FAILURE},
        {"check status, read back", 0xFFFF, TWRC_SUCCESS, 0},
        {"check status, read refused", 0xFFFF, TWRC_FAILURE, TWRC_FAILURE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTwainManager fake;
        fake.FillSource(true);
        if (c.condition == 0xFFFF) {
            fake.setCheckStatus.insert(0x8136);
            fake.followUpResult = c.statusOrFollowUp;
        } else {
            fake.setCondition[0x8136] = c.condition;
            fake.statusResult = c.statusOrFollowUp;
        }
        Twain module(fake.Library(), dir.Path(), clock, nullptr);
        ASSERT_TRUE(module.TwainLoadManager() && module.TwainOpenManager(window) && module.TwainOpenSource());
        const TW_UINT16 value = 3;
        EXPECT_EQ(module.TwainSetCap(0x8136, &value, TWTY_UINT16), c.code);
        const TwainCall& last = fake.calls.back();
        EXPECT_EQ(last.dat, c.condition == 0xFFFF ? DAT_CAPABILITY : DAT_STATUS);
        if (c.condition == 0xFFFF) {
            EXPECT_EQ(last.conType, TWON_DONTCARE16);
        }
    }
}

TEST_F(TwainTest, EverySessionEndsWithTheSourcesOwnValuesBackAndEverythingClosed) {
    const auto before = manager.values;
    manager.events = {MSG_CLOSEDSREQ};
    EXPECT_TRUE(Module().TwainGetImage(window, 1).Empty());
    // The requested values went in, then the source's own came back.
    EXPECT_EQ(manager.Count(DAT_CAPABILITY, MSG_SET), 50u);
    for (const auto& [cap, value] : before) {
        SCOPED_TRACE(cap);
        EXPECT_EQ(manager.values[cap].bytes, value.bytes);
    }
    const std::size_t n = manager.calls.size();
    EXPECT_EQ(manager.calls[n - 3].msg, MSG_SET);
    EXPECT_EQ(manager.calls[n - 2].msg, MSG_CLOSEDS);
    EXPECT_EQ(manager.calls[n - 1].msg, MSG_CLOSEDSM);
    EXPECT_FALSE(Module().ManagerOpen() || Module().SourceOpen() || Module().SourceEnabled());
    EXPECT_EQ(manager.Count(DAT_USERINTERFACE, MSG_DISABLEDS), 1u);

    // A failed restore closes the source just the same.
    manager.calls.clear();
    manager.setCondition[0x1010] = TWCC_BADVALUE;
    EXPECT_TRUE(Module().TwainGetImage(window, 1).Empty());
    EXPECT_EQ(manager.Count(DAT_IDENTITY, MSG_CLOSEDS), 1u);
    EXPECT_EQ(manager.Count(DAT_PARENT, MSG_CLOSEDSM), 1u);
    EXPECT_EQ(manager.Count(DAT_USERINTERFACE, MSG_ENABLEDS), 0u);
}

TEST_F(TwainTest, FeederQueryTellsPaperFromEveryFailureAndLeavesTheSourceOpen) {
    struct Case {
        const char* name;
        TW_UINT16 openDsm, openDs, query;
        std::uint32_t loaded;
        int result;
    } cases[] = {
        {"paper", TWRC_SUCCESS, TWRC_SUCCESS, TWRC_SUCCESS, 1, 1},
        {"no paper", TWRC_SUCCESS, TWRC_SUCCESS, TWRC_SUCCESS, 0, 0},
        {"manager refuses", TWRC_FAILURE, TWRC_SUCCESS, TWRC_SUCCESS, 1, kFeederManagerNotOpen},
        {"source refuses", TWRC_SUCCESS, TWRC_FAILURE, TWRC_SUCCESS, 1, kFeederSourceNotOpen},
        {"query refused", TWRC_SUCCESS, TWRC_SUCCESS, TWRC_FAILURE, 1, kFeederQueryFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTwainManager fake;
        fake.FillSource(true);
        fake.openDsmResult = c.openDsm;
        fake.openDsResult = c.openDs;
        fake.SetNumber(CAP_FEEDERLOADED, TWTY_BOOL, c.loaded);
        if (c.query != TWRC_SUCCESS) fake.getResult[CAP_FEEDERLOADED] = c.query;
        Twain module(fake.Library(), dir.Path(), clock, nullptr);
        ASSERT_TRUE(module.TwainLoadManager());
        EXPECT_EQ(module.TwainFeederLoaded(window), c.result);
        EXPECT_EQ(fake.Count(DAT_IDENTITY, MSG_CLOSEDS), 0u);
        EXPECT_EQ(module.SourceOpen(), c.result >= 0 || c.result == kFeederQueryFailed);
    }
}

TEST_F(TwainTest, CapabilityCheckReportsEveryFailureAndAlwaysCloses) {
    struct Case {
        const char* name;
        TW_UINT16 openDsm, openDs, duplexRead;
        int result;
    } cases[] = {
        {"read", TWRC_SUCCESS, TWRC_SUCCESS, TWRC_SUCCESS, 0},
        {"manager refuses", TWRC_FAILURE, TWRC_SUCCESS, TWRC_SUCCESS, kTwainManagerNotOpen},
        {"source refuses", TWRC_SUCCESS, TWRC_FAILURE, TWRC_SUCCESS, TWRC_FAILURE},
        {"read refused", TWRC_SUCCESS, TWRC_SUCCESS, TWRC_CANCEL, TWRC_CANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTwainManager fake;
        fake.FillSource(true);
        fake.openDsmResult = c.openDsm;
        fake.openDsResult = c.openDs;
        if (c.duplexRead != TWRC_SUCCESS) fake.getResult[CAP_DUPLEX] = c.duplexRead;
        Twain module(fake.Library(), dir.Path(), clock, nullptr);
        ASSERT_TRUE(module.TwainLoadManager());
        EXPECT_EQ(module.TwainCheckCapabilities(window), c.result);
        EXPECT_FALSE(module.ManagerOpen() || module.SourceOpen());
    }
}

TEST_F(TwainTest, SelectionTakesTheOnlySourceOrAsksTheOperator) {
    struct Case {
        const char* name;
        TW_UINT16 first, next, userSelect;
        bool chosen;
        std::size_t dialogs;
    } cases[] = {
        {"single source", TWRC_SUCCESS, TWRC_ENDOFLIST, TWRC_SUCCESS, true, 0},
        {"several, one picked", TWRC_SUCCESS, TWRC_SUCCESS, TWRC_SUCCESS, true, 1},
        {"several, cancelled", TWRC_SUCCESS, TWRC_SUCCESS, TWRC_CANCEL, false, 1},
        {"no source at all", TWRC_ENDOFLIST, TWRC_ENDOFLIST, TWRC_SUCCESS, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTwainManager fake;
        fake.identityAnswers = {{MSG_GETFIRST, c.first}, {MSG_GETNEXT, c.next}, {MSG_USERSELECT, c.userSelect}};
        Twain module(fake.Library(), dir.Path(), clock, nullptr);
        ASSERT_TRUE(module.TwainLoadManager());
        EXPECT_EQ(module.TwainSelectSource(window), c.chosen);
        EXPECT_EQ(fake.Count(DAT_IDENTITY, MSG_USERSELECT), c.dialogs);
        EXPECT_EQ(fake.calls.back().msg, MSG_CLOSEDSM);
        EXPECT_EQ(fake.Count(DAT_IDENTITY, MSG_OPENDS), 0u);
    }
}

TEST_F(TwainTest, ExportedEntryPointsAddressTheProgramsOpenedSource) {
    TW_STATUS status{};
    EXPECT_EQ(TWAIN_DS(DG_CONTROL, DAT_STATUS, MSG_GET, &status), 0);
    EXPECT_EQ(TWAIN_DS_RC(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
    ASSERT_TRUE(Module().TwainOpenManager(window) && Module().TwainOpenSource());
    SetProgramTwain(&Module());
    manager.calls.clear();
    EXPECT_EQ(TWAIN_DS(DG_CONTROL, DAT_STATUS, MSG_GET, &status), 1);
    manager.statusResult = TWRC_CHECKSTATUS;
    EXPECT_EQ(TWAIN_DS(DG_CONTROL, DAT_STATUS, MSG_GET, &status), 0);
    EXPECT_EQ(TWAIN_DS_RC(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_CHECKSTATUS);
    ASSERT_EQ(manager.calls.size(), 3u);
    EXPECT_TRUE(manager.calls[0].toSource);
    EXPECT_STREQ(manager.calls[0].origin.ProductName, "Calvix");
    twain.reset();  // a module that goes unregisters itself
    EXPECT_EQ(ProgramTwain(), nullptr);
}

}  // namespace
}  // namespace calvix::test
