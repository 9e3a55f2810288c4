// The TWAIN module against the in-test manager: loading, the identities it presents, the
// settings table byte by byte, capability reads and sets with their codes, the session end,
// the feeder query, source selection and the exported entry points.
#include "TwainFixture.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace calvix::test {
namespace {

using namespace twain;
using Bytes = std::vector<std::uint8_t>;

Bytes Page() {
    const std::string text = "0148002100ISO A5 - 148.0 x 210.0 mm";
    Bytes bytes(text.begin(), text.end());
    bytes.resize(66, 0);
    return bytes;
}

// What a duplex source must receive, in this order.
const struct {
    TW_UINT16 cap, type;
    Bytes bytes;
} kRows[] = {
    {0x1010, TWTY_BOOL, {0, 0}},
    {0x1118, TWTY_FIX32, {0x90, 1, 0, 0}},
    {0x1119, TWTY_FIX32, {0x90, 1, 0, 0}},
    {0x812C, TWTY_STR64, Page()},
    {0x812D, TWTY_BOOL, {1, 0}},
    {0x8136, TWTY_UINT16, {0, 0}},
    {0x8145, TWTY_BOOL, {0, 0}},
    {0x814A, TWTY_UINT8, {0}},
    {0x815E, TWTY_UINT8, {3}},
    {0x816A, TWTY_UINT8, {1}},
    {0x8154, TWTY_BOOL, {0, 0}},
    {0x8168, TWTY_BOOL, {0, 0}},
    {0x8169, TWTY_BOOL, {0, 0}},
    {0x8186, TWTY_UINT8, {0}},
    {0x8137, TWTY_BOOL, {1, 0}},
    {0x8064, TWTY_UINT8, {1}},
    {0x8083, TWTY_BOOL, {0, 0}},
    {0x8084, TWTY_UINT16, {0, 0}},
    {0x80AA, TWTY_BOOL, {0, 0}},
    {0x81CC, TWTY_UINT8, {0}},
    {0x1013, TWTY_BOOL, {1, 0}},
    {0x80C8, TWTY_UINT8, {1}},
    {0x80E7, TWTY_BOOL, {0, 0}},
    {0x80E8, TWTY_UINT16, {0, 0}},
    {0x810E, TWTY_BOOL, {0, 0}},
};

TEST_F(TwainTest, LoadsTwain32FromTheSystemDirectoryOnlyWithItsEntryPoint) {
    for (const auto& [loadable, hasEntry] : {std::pair{false, true}, {true, false}, {true, true}}) {
        FakeTwainManager fake;
        fake.loadable = loadable;
        fake.hasEntry = hasEntry;
        Twain module(fake.Library(), dir.Path(), clock, nullptr);
        EXPECT_EQ(module.TwainLoadManager(), loadable && hasEntry);
        EXPECT_EQ(fake.openedPath, dir.Path() + "/twain_32.so");
        EXPECT_EQ(module.TwainManagerCall(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window), loadable && hasEntry);
        EXPECT_EQ(module.LastResult(), loadable && hasEntry ? TWRC_SUCCESS : TWRC_FAILURE);
    }
    FakeTwainManager fake;
    EXPECT_FALSE(Twain(fake.Library(), dir.File("missing"), clock, nullptr).TwainLoadManager());
}

TEST_F(TwainTest, PresentsTheApplicationAndAsksForTheQ71ByName) {
    FakeTwainManager fake;
    auto module = Make(fake, true);
    TW_IDENTITY app{0, {0, 1, 6, 49, "Calvix 1.1"}, 1, 9, 3, "Zelmar GmbH", "Ordavin", "Calvix"};
    TW_IDENTITY source{};
    std::memcpy(source.ProductName, "Zelmar Q71 Ethernet", 20);
    ASSERT_EQ(fake.calls.size(), 2u);
    EXPECT_EQ(std::memcmp(&fake.calls[0].origin, &app, sizeof app), 0);
    EXPECT_EQ(fake.calls[0].window, window);
    EXPECT_EQ(fake.calls[1].msg, MSG_OPENDS);
    EXPECT_EQ(std::memcmp(&fake.calls[1].identity, &source, sizeof source), 0);
    EXPECT_EQ(module->SourceIdentity().Id, 7u);  // as the manager filled it in
}

TEST_F(TwainTest, SetsTheSettingsTableRowByRowWithTheLastFourOnlyForDuplex) {
    for (const bool duplex : {true, false}) {
        SCOPED_TRACE(duplex ? "duplex" : "simplex");
        FakeTwainManager fake;
        fake.FillSource(duplex);
        auto module = Make(fake, true);
        ASSERT_EQ(module->TwainReadCapabilities(), 0);
        std::vector<TW_UINT16> reads = {CAP_DEVICEONLINE, CAP_DUPLEX, CAP_SERIALNUMBER};
        for (std::size_t i = 0; i < (duplex ? 25u : 21u); ++i) reads.push_back(kRows[i].cap);
        EXPECT_EQ(fake.Caps(MSG_GETCURRENT), reads);
        EXPECT_EQ(module->twainDuplex(), duplex);
        EXPECT_EQ(module->twainSerial(), "Q71-4711");

        ScanSettings requested;
        module->TwainDefaultSettings(requested);
        fake.calls.clear();
        ASSERT_EQ(module->TwainApplySettings(requested), 0);
        ASSERT_EQ(fake.calls.size(), reads.size() - 3);
        for (std::size_t i = 0; i < fake.calls.size(); ++i) {
            SCOPED_TRACE("row " + std::to_string(i + 1));
            const TwainCall& set = fake.calls[i];
            EXPECT_TRUE(set.toSource && set.msg == MSG_SET && set.conType == TWON_ONEVALUE);
            EXPECT_EQ(set.cap, kRows[i].cap);
            EXPECT_EQ(set.itemType, kRows[i].type);
            // Row 21, duplex enabled, follows the source.
            EXPECT_EQ(set.item, (i == 20 && !duplex ? Bytes{0, 0} : kRows[i].bytes));
        }
    }
}

TEST_F(TwainTest, ReadStopsAtTheFirstRefusalAndCutsAnUnendedSerial) {
    FakeTwainManager fake;
    fake.FillSource(true);
    fake.values[CAP_SERIALNUMBER].bytes.assign(256, 'S');
    auto module = Make(fake, true);
    ASSERT_EQ(module->TwainReadCapabilities(), 0);
    EXPECT_EQ(module->twainSerial(), std::string(255, 'S'));
    EXPECT_TRUE(module->SavedSettings().valid);
    fake.getResult[0x8145] = TWRC_CANCEL;
    EXPECT_EQ(module->TwainReadCapabilities(), TWRC_CANCEL);
    EXPECT_EQ(fake.Caps(MSG_GETCURRENT).back(), 0x8145);
    EXPECT_FALSE(module->SavedSettings().valid);
}

TEST_F(TwainTest, ReadsOnlyOneValueContainersThatHoldTheAskedItem) {
    const std::function<void(TW_CAPABILITY&)> answers[] = {
        [](TW_CAPABILITY& c) { static_cast<TW_UINT16*>(c.hContainer)[0] = TWTY_STR32; },
        [](TW_CAPABILITY& c) { c.ConType = TWON_ENUMERATION; },
        [](TW_CAPABILITY& c) {
            void* old = c.hContainer;  // packed: no reference to the member
            c.hContainer = nullptr;
            std::free(old);
        },
        // Far shorter than a string item, past what the allocator could pad.
        [](TW_CAPABILITY& c) {
            void* old = c.hContainer;
            c.hContainer = std::calloc(1, 20);
            std::free(old);
        },
    };
    FakeTwainManager fake;
    fake.FillSource(true);
    auto module = Make(fake, true);
    char page[66] = "untouched";
    for (const auto& answer : answers) {
        fake.answer = answer;
        EXPECT_EQ(module->TwainGetCap(0x812C, page, TWTY_STR64), TWRC_FAILURE);
        EXPECT_STREQ(page, "untouched");
    }
    fake.answer = nullptr;
    EXPECT_EQ(module->TwainGetCap(0x812C, page, TWTY_STR64), TWRC_SUCCESS);
    EXPECT_STREQ(page, "own page");
}

TEST_F(TwainTest, RefusedSetsGiveTheirMappedCodeAndCheckStatusCountsWhenReadBack) {
    const struct {
        TW_UINT16 condition;    // 0xFFFF: answered CHECKSTATUS
        TW_UINT16 queryResult;  // of the status query, or of the read-back
        TW_UINT16 code;
    } cases[] = {
        {TWCC_BADCAP, 0, 0xFFFB},
        {TWCC_BADVALUE, 0, 0xFFFD},
        {TWCC_SEQERROR, 0, 0xFFFC},
        {TWCC_BADDEST, 0, 0xFFFE},
        {TWCC_CAPUNSUPPORTED, 0, 0xFFFA},
        {TWCC_CAPBADOPERATION, 0, 0xFFF9},
        {TWCC_CAPSEQERROR, 0, 0xFFFF},
        {TWCC_DENIED, 0, TWRC_FAILURE},
        {TWCC_BADCAP, TWRC_CANCEL, TWRC_CANCEL},
        {0xFFFF, 0, 0},
        {0xFFFF, TWRC_FAILURE, TWRC_FAILURE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.condition << "/" << c.queryResult);
        FakeTwainManager fake;
        fake.FillSource(true);
        fake.setCondition[0x8136] = c.condition;
        auto module = Make(fake, true);
        if (c.condition == 0xFFFF && c.queryResult) fake.getResult[0x8136] = c.queryResult;
        if (c.condition != 0xFFFF) fake.answers[{DAT_STATUS, MSG_GET}] = c.queryResult;
        const TW_UINT16 value = 3;
        EXPECT_EQ(module->TwainSetCap(0x8136, &value, TWTY_UINT16), c.code);
        EXPECT_EQ(fake.calls.back().dat, c.condition == 0xFFFF ? DAT_CAPABILITY : DAT_STATUS);
    }
}

TEST_F(TwainTest, EverySessionEndsWithTheSourcesOwnValuesBackAndEverythingClosed) {
    FakeTwainManager fake;
    fake.FillSource(true);
    const auto before = fake.values;
    fake.events = {MSG_CLOSEDSREQ};
    auto module = Make(fake, false, &pump);
    EXPECT_TRUE(module->TwainGetImage(window, 1).Empty());
    EXPECT_EQ(fake.Count(DAT_CAPABILITY, MSG_SET), 50u);  // requested values in, own values back
    for (const auto& [cap, value] : before) EXPECT_EQ(fake.values[cap].bytes, value.bytes) << cap;
    const std::size_t n = fake.calls.size();
    EXPECT_EQ(fake.calls[n - 3].msg, MSG_SET);
    EXPECT_EQ(fake.calls[n - 2].msg, MSG_CLOSEDS);
    EXPECT_EQ(fake.calls[n - 1].msg, MSG_CLOSEDSM);
    EXPECT_EQ(fake.Count(DAT_USERINTERFACE, MSG_DISABLEDS), 1u);
    EXPECT_FALSE(module->ManagerOpen() || module->SourceOpen() || module->SourceEnabled());

    // A refused restore closes the source just the same; a check closes whatever failed.
    fake.setCondition[0x1010] = TWCC_BADVALUE;
    EXPECT_TRUE(module->TwainGetImage(window, 1).Empty());
    EXPECT_EQ(fake.Count(DAT_IDENTITY, MSG_CLOSEDS), 2u);
    EXPECT_EQ(fake.Count(DAT_USERINTERFACE, MSG_ENABLEDS), 1u);
    fake.answers[{DAT_PARENT, MSG_OPENDSM}] = TWRC_FAILURE;
    EXPECT_EQ(module->TwainCheckCapabilities(window), kTwainManagerNotOpen);
    EXPECT_EQ(fake.sequenceErrors, 0);
}

// An enabled source is disabled before it is closed; one that will not close keeps the
// manager loaded until a later unload can close it.
TEST_F(TwainTest, UnloadingWalksAnEnabledSourceBackAndNeverUnloadsUnderAnOpenSource) {
    for (const TW_UINT16 refused : {TW_UINT16{0}, MSG_CLOSEDS}) {
        FakeTwainManager fake;
        auto module = Make(fake, true);
        ASSERT_TRUE(module->TwainEnableSource(window));
        fake.calls.clear();
        if (refused) fake.answers[{DAT_IDENTITY, refused}] = TWRC_FAILURE;
        module->TwainUnloadManager();
        EXPECT_EQ(fake.Count(DAT_USERINTERFACE, MSG_DISABLEDS) + fake.Count(DAT_IDENTITY, MSG_CLOSEDS), 2u);
        EXPECT_EQ(fake.calls.size(), refused ? 2u : 3u);  // no CLOSEDSM with the source still open
        EXPECT_EQ(fake.unloadedIn, refused ? 0 : 2);
        fake.answers.clear();
        module->TwainUnloadManager();
        EXPECT_EQ(fake.unloadedIn, 2);
        EXPECT_EQ(fake.sequenceErrors, 0);
    }
}

TEST_F(TwainTest, FeederQueryTellsPaperFromEveryFailureAndLeavesTheSourceOpen) {
    const struct {
        TW_UINT16 dat, msg;  // the refused triplet
        std::uint32_t loaded;
        int result;
        bool sourceOpen;
    } cases[] = {
        {0, 0, 1, 1, true},
        {0, 0, 0, 0, true},
        {DAT_PARENT, MSG_OPENDSM, 1, kFeederManagerNotOpen, false},
        {DAT_IDENTITY, MSG_OPENDS, 1, kFeederSourceNotOpen, false},
        {DAT_CAPABILITY, MSG_GETCURRENT, 1, kFeederQueryFailed, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        FakeTwainManager fake;
        fake.FillSource(true);
        fake.SetNumber(CAP_FEEDERLOADED, TWTY_BOOL, c.loaded);
        if (c.dat == DAT_CAPABILITY) fake.getResult[CAP_FEEDERLOADED] = TWRC_FAILURE;
        if (c.dat && c.dat != DAT_CAPABILITY) fake.answers[{c.dat, c.msg}] = TWRC_FAILURE;
        auto module = Make(fake);
        EXPECT_EQ(module->TwainFeederLoaded(window), c.result);
        EXPECT_EQ(module->SourceOpen(), c.sourceOpen);
        EXPECT_EQ(fake.Count(DAT_IDENTITY, MSG_CLOSEDS), 0u);
    }
}

TEST_F(TwainTest, SelectionTakesTheOnlySourceOrAsksTheOperator) {
    const struct {
        TW_UINT16 first, next, userSelect;
        bool chosen;
        std::size_t dialogs;
    } cases[] = {
        {TWRC_SUCCESS, TWRC_ENDOFLIST, TWRC_SUCCESS, true, 0},
        {TWRC_SUCCESS, TWRC_SUCCESS, TWRC_SUCCESS, true, 1},
        {TWRC_SUCCESS, TWRC_SUCCESS, TWRC_CANCEL, false, 1},
        {TWRC_ENDOFLIST, TWRC_ENDOFLIST, TWRC_SUCCESS, false, 0},  // no source at all
    };
    for (const auto& c : cases) {
        FakeTwainManager fake;
        fake.answers = {{{DAT_IDENTITY, MSG_GETFIRST}, c.first},
                        {{DAT_IDENTITY, MSG_GETNEXT}, c.next},
                        {{DAT_IDENTITY, MSG_USERSELECT}, c.userSelect}};
        auto module = Make(fake);
        EXPECT_EQ(module->TwainSelectSource(window), c.chosen);
        EXPECT_EQ(fake.Count(DAT_IDENTITY, MSG_USERSELECT), c.dialogs);
        EXPECT_EQ(fake.calls.back().msg, MSG_CLOSEDSM);
    }
}

TEST_F(TwainTest, ExportedEntryPointsAddressTheProgramsOpenedSource) {
    TW_STATUS status{};
    EXPECT_EQ(TWAIN_DS(DG_CONTROL, DAT_STATUS, MSG_GET, &status), 0);
    EXPECT_EQ(TWAIN_DS_RC(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
    FakeTwainManager fake;
    auto module = Make(fake, true);
    SetProgramTwain(module.get());
    EXPECT_EQ(TWAIN_DS(DG_CONTROL, DAT_STATUS, MSG_GET, &status), 1);
    fake.answers[{DAT_STATUS, MSG_GET}] = TWRC_CHECKSTATUS;
    EXPECT_EQ(TWAIN_DS(DG_CONTROL, DAT_STATUS, MSG_GET, &status), 0);
    EXPECT_EQ(TWAIN_DS_RC(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_CHECKSTATUS);
    EXPECT_TRUE(fake.calls.back().toSource);
    EXPECT_STREQ(fake.calls.back().origin.ProductName, "Calvix");
    module.reset();  // a module that goes unregisters itself
    EXPECT_EQ(ProgramTwain(), nullptr);
}

}  // namespace
}  // namespace calvix::test
