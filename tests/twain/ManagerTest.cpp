// The source manager stand-in against scripted sources: finding them, opening and closing by
// name, the session states and their sequence errors, the event queue, the entry points.
#include "TempDir.h"
#include "TwainHarness.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace calvix::test {
namespace {

namespace fs = std::filesystem;

// The controls a loaded copy of the scripted source exports.
struct FakeControls {
    explicit FakeControls(const std::string& path) : library(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        answer = reinterpret_cast<decltype(answer)>(dlsym(library, "FakeSource_Answer"));
        setPending = reinterpret_cast<decltype(setPending)>(dlsym(library, "FakeSource_SetPending"));
        setOwnEvent = reinterpret_cast<decltype(setOwnEvent)>(dlsym(library, "FakeSource_SetOwnEvent"));
        post = reinterpret_cast<decltype(post)>(dlsym(library, "FakeSource_Post"));
        takeCalls = reinterpret_cast<decltype(takeCalls)>(dlsym(library, "FakeSource_TakeCalls"));
    }
    ~FakeControls() { dlclose(library); }
    std::string Calls() {
        char buffer[4096];
        takeCalls(buffer, sizeof buffer);
        return buffer;
    }
    void* library;
    void (*answer)(TW_UINT32, TW_UINT16, TW_UINT16, TW_UINT16, TW_UINT16);
    void (*setPending)(TW_UINT16);
    void (*setOwnEvent)(TW_UINT16);
    TW_UINT16 (*post)(TW_UINT16);
    void (*takeCalls)(char*, std::size_t);
};

std::string Triplet(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) {
    return std::to_string(dg) + "/" + std::to_string(dat) + "/" + std::to_string(msg) + " ";
}

// A manager session over a private system directory holding copies of the scripted source.
struct Session {
    // Installs a copy of the scripted source at twain_32/<relative>.
    void Install(const std::string& relative) {
        const fs::path target = fs::path(dir.Path()) / "twain_32" / relative;
        fs::create_directories(target.parent_path());
        fs::copy_file(FAKE_SOURCE_PATH, target);
    }
    std::string SourcePath(const std::string& relative) { return dir.Path() + "/twain_32/" + relative; }

    // Drives a session with "Fake alpha" to a state: 2 loaded, 3 manager open, 4 source open,
    // 5 enabled, 6 transfer ready, 7 transferring.
    void Reach(int state) {
        Install("a/alpha.ds");
        if (state >= 3) {
            ASSERT_EQ(dsm.OpenManager(), TWRC_SUCCESS);
        }
        source.Id = 2;
        if (state >= 4) {
            ASSERT_EQ(dsm.OpenSource(&source, "Fake alpha"), TWRC_SUCCESS);
            alpha.emplace(SourcePath("a/alpha.ds"));
        }
        if (state >= 5) {
            ASSERT_EQ(dsm.Enable(&source), TWRC_SUCCESS);
        }
        if (state >= 6) {
            ASSERT_EQ(alpha->post(MSG_XFERREADY), TWRC_SUCCESS);
            ASSERT_EQ(dsm.NextEvent(&source), MSG_XFERREADY);
        }
        if (state >= 7) {
            alpha->answer(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_XFERDONE, 0);
            TW_HANDLE handle = nullptr;
            ASSERT_EQ(dsm.Call(&source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
        }
        if (alpha) alpha->Calls();
    }
    TW_UINT16 Native() {
        TW_HANDLE handle = nullptr;
        return dsm.Call(&source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
    }

    TempDir dir;
    ScopedEnv systemDir{"CALVIX_SYSTEM_DIR", dir.Path()};
    ManagerLibrary dsm;
    TW_IDENTITY source{};
    std::optional<FakeControls> alpha;
};

TEST(ManagerTest, FindsSourcesRecursivelyInPathOrderAndSkipsWhatIsNoSource) {
    Session s;
    s.Install("a/alpha.ds");
    s.Install("beta.ds");
    s.Install("x/y/gamma.ds");
    WriteFileText(s.SourcePath("broken.ds"), "not a library");
    fs::copy_file(CALVIX_SYSTEM_DIR_BUILD "/twain_32.so", s.SourcePath("noentry.ds"));  // no DS_Entry
    fs::copy_file(FAKE_SOURCE_PATH, s.SourcePath("library.so"));                        // no ".ds"
    ASSERT_TRUE(s.dsm.Loaded());
    ASSERT_EQ(s.dsm.OpenManager(), TWRC_SUCCESS);
    EXPECT_EQ(s.dsm.app.Id, 1u);
    EXPECT_TRUE(s.dsm.app.SupportedGroups & DF_DSM2);

    std::vector<std::pair<std::string, TW_UINT32>> found;
    TW_IDENTITY identity{};
    for (TW_UINT16 msg = MSG_GETFIRST; s.dsm.Control(nullptr, DAT_IDENTITY, msg, &identity) == TWRC_SUCCESS;
         msg = MSG_GETNEXT) {
        found.emplace_back(identity.ProductName, identity.Id);
    }
    const std::vector<std::pair<std::string, TW_UINT32>> expected = {
        {"Fake alpha", 2}, {"Fake beta", 3}, {"Fake gamma", 4}};
    EXPECT_EQ(found, expected);
    EXPECT_EQ(s.dsm.Control(nullptr, DAT_IDENTITY, MSG_GETNEXT, &identity), TWRC_ENDOFLIST);
    for (TW_UINT16 msg : {MSG_GETDEFAULT, MSG_USERSELECT}) {
        identity = TW_IDENTITY{};
        EXPECT_EQ(s.dsm.Control(nullptr, DAT_IDENTITY, msg, &identity), TWRC_SUCCESS);
        EXPECT_STREQ(identity.ProductName, "Fake alpha");
    }
    EXPECT_EQ(s.dsm.CloseManager(), TWRC_SUCCESS);
}

TEST(ManagerTest, WithoutSourcesEveryChoiceReportsNoSource) {
    Session s;
    ASSERT_EQ(s.dsm.OpenManager(), TWRC_SUCCESS);
    TW_IDENTITY identity{};
    EXPECT_EQ(s.dsm.Control(nullptr, DAT_IDENTITY, MSG_GETFIRST, &identity), TWRC_ENDOFLIST);
    for (TW_UINT16 msg : {MSG_GETDEFAULT, MSG_USERSELECT}) {
        EXPECT_EQ(s.dsm.Control(nullptr, DAT_IDENTITY, msg, &identity), TWRC_FAILURE);
        EXPECT_EQ(s.dsm.Condition(), TWCC_NODS);
    }
    EXPECT_EQ(s.dsm.OpenSource(&identity, "Fake alpha"), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(), TWCC_NODS);
}

TEST(ManagerTest, OpensByNameOrDefaultGivesEntryPointsAndClosesAgain) {
    Session s;
    s.Install("a/alpha.ds");
    s.Install("beta.ds");
    ASSERT_EQ(s.dsm.OpenManager(), TWRC_SUCCESS);
    FakeControls beta(s.SourcePath("beta.ds"));
    beta.Calls();
    ASSERT_EQ(s.dsm.OpenSource(&s.source, "Fake beta"), TWRC_SUCCESS);
    EXPECT_EQ(s.source.Id, 3u);
    EXPECT_STREQ(s.source.ProductName, "Fake beta");
    EXPECT_EQ(beta.Calls(),
              Triplet(DG_CONTROL, DAT_ENTRYPOINT, MSG_SET) + Triplet(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS));
    ASSERT_EQ(s.dsm.CloseSource(&s.source), TWRC_SUCCESS);
    EXPECT_EQ(beta.Calls(), Triplet(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS));

    EXPECT_EQ(s.dsm.OpenSource(&s.source, "Nobody"), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(), TWCC_NODS);
    ASSERT_EQ(s.dsm.OpenSource(&s.source, ""), TWRC_SUCCESS);
    EXPECT_STREQ(s.source.ProductName, "Fake alpha");

    // The application may ask for the manager's entry points and use its memory functions; a
    // record it calls too small is not written.
    TW_ENTRYPOINT entry{};
    entry.Size = sizeof(TW_ENTRYPOINT) - 1;
    EXPECT_EQ(s.dsm.Control(nullptr, DAT_ENTRYPOINT, MSG_GET, &entry), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(), TWCC_BADVALUE);
    EXPECT_TRUE(entry.DSM_Entry == nullptr);  // packed: compared, not bound
    entry.Size = sizeof(TW_ENTRYPOINT);
    ASSERT_EQ(s.dsm.Control(nullptr, DAT_ENTRYPOINT, MSG_GET, &entry), TWRC_SUCCESS);
    EXPECT_EQ(entry.Size, sizeof(TW_ENTRYPOINT));
    TW_HANDLE handle = entry.DSM_MemAllocate(16);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(entry.DSM_MemLock(handle), handle);
    EXPECT_EQ(static_cast<unsigned char*>(handle)[15], 0);
    std::free(handle);  // what the application does with a source's handles
    EXPECT_EQ(s.dsm.CloseSource(&s.source), TWRC_SUCCESS);
    EXPECT_EQ(s.dsm.CloseManager(), TWRC_SUCCESS);
}

TEST(ManagerTest, ASourceThatCannotOpenLendsItsReasonToTheManager) {
    Session s;
    s.Install("a/alpha.ds");
    ASSERT_EQ(s.dsm.OpenManager(), TWRC_SUCCESS);
    FakeControls alpha(s.SourcePath("a/alpha.ds"));
    alpha.answer(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, TWRC_FAILURE, TWCC_CHECKDEVICEONLINE);
    EXPECT_EQ(s.dsm.OpenSource(&s.source, "Fake alpha"), TWRC_FAILURE);
    EXPECT_EQ(s.dsm.Condition(), TWCC_CHECKDEVICEONLINE);
    EXPECT_EQ(s.dsm.CloseManager(), TWRC_SUCCESS);  // nothing was left open
}

// Triplets the manager itself refuses, from a given state of the session.
struct Refusal {
    const char* name;
    int state;
    bool toSource;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_UINT16 cc;
};

const Refusal kRefusals[] = {
    {"second OPENDSM", 3, false, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, TWCC_SEQERROR},
    {"CLOSEDSM before OPENDSM", 2, false, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, TWCC_SEQERROR},
    {"GETFIRST before OPENDSM", 2, false, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, TWCC_SEQERROR},
    {"GETNEXT before GETFIRST", 3, false, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, TWCC_SEQERROR},
    {"CLOSEDSM with a source open", 4, false, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, TWCC_SEQERROR},
    {"OPENDS of an open source", 4, false, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, TWCC_SEQERROR},
    {"CLOSEDS while enabled", 5, false, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, TWCC_SEQERROR},
    {"audio to the manager", 3, false, DG_AUDIO, DAT_IDENTITY, MSG_GET, TWCC_BADPROTOCOL},
    {"source triplet before OPENDSM", 2, true, DG_CONTROL, DAT_CAPABILITY, MSG_GET, TWCC_SEQERROR},
    {"source triplet to a closed source", 3, true, DG_CONTROL, DAT_CAPABILITY, MSG_GET, TWCC_BADDEST},
    {"callback registration", 4, true, DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, TWCC_BADPROTOCOL},
    {"SET after ENABLEDS", 5, true, DG_CONTROL, DAT_CAPABILITY, MSG_SET, TWCC_SEQERROR},
    {"capability RESET in state 6", 6, true, DG_CONTROL, DAT_CAPABILITY, MSG_RESET, TWCC_SEQERROR},
    {"ENABLEDS twice", 5, true, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, TWCC_SEQERROR},
    {"DISABLEDS of an open source", 4, true, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, TWCC_SEQERROR},
    {"DISABLEDS with a transfer ready", 6, true, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, TWCC_SEQERROR},
    {"native transfer before XFERREADY", 5, true, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWCC_SEQERROR},
    {"native transfer without ENDXFER", 7, true, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWCC_SEQERROR},
    {"ENDXFER while enabled", 5, true, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, TWCC_SEQERROR},
    {"pending RESET while transferring", 7, true, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, TWCC_SEQERROR},
};

TEST(ManagerTest, RefusesTripletsOutOfSequenceWithoutBotheringTheSource) {
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.name);
        Session s;
        s.Reach(refusal.state);
        TripletData data;
        data.identity = s.source;
        EXPECT_EQ(s.dsm.Call(refusal.toSource ? &s.source : nullptr, refusal.dg, refusal.dat, refusal.msg,
                             data.For(refusal.dat)),
                  TWRC_FAILURE);
        EXPECT_EQ(s.dsm.Condition(), refusal.cc);
        if (s.alpha) {
            EXPECT_EQ(s.alpha->Calls(), "");
            // The source never saw the triplet, so its status is the manager's refusal, once.
            if (refusal.toSource) {
                EXPECT_EQ(s.dsm.Condition(&s.source), refusal.cc);
                EXPECT_EQ(s.dsm.Condition(&s.source), TWCC_SUCCESS);
            }
        }
    }
}

// One step of a session: the triplet, what the source answers, the pending count it reports,
// and what the application gets.
struct Step {
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_UINT16 sourceRc;
    TW_UINT16 count;
    TW_UINT16 expected;
};

TEST(ManagerTest, FollowsTheSourceStateThroughTheResultsItPassesBack) {
    Session s;
    s.Reach(6);
    constexpr TW_UINT32 C = DG_CONTROL;
    const Step steps[] = {
        {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_FAILURE, 0, TWRC_FAILURE},    // stays 6
        {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_CANCEL, 0, TWRC_CANCEL},      // 7
        {C, DAT_PENDINGXFERS, MSG_ENDXFER, TWRC_SUCCESS, 1, TWRC_SUCCESS},          // 6: one more
        {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_XFERDONE, 0, TWRC_XFERDONE},  // 7
        {C, DAT_PENDINGXFERS, MSG_ENDXFER, TWRC_SUCCESS, 0, TWRC_SUCCESS},          // 5
        {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_XFERDONE, 0, TWRC_FAILURE},   // refused in 5
        {C, DAT_USERINTERFACE, MSG_DISABLEDS, TWRC_FAILURE, 0, TWRC_FAILURE},       // stays 5
        {C, DAT_USERINTERFACE, MSG_DISABLEDS, TWRC_SUCCESS, 0, TWRC_SUCCESS},       // 4
        {C, DAT_USERINTERFACE, MSG_ENABLEDS, TWRC_FAILURE, 0, TWRC_FAILURE},        // stays 4
        {C, DAT_CAPABILITY, MSG_SET, TWRC_SUCCESS, 0, TWRC_SUCCESS},                // allowed in 4
        {C, DAT_USERINTERFACE, MSG_ENABLEDS, TWRC_SUCCESS, 0, TWRC_SUCCESS},        // 5
        {C, DAT_CAPABILITY, MSG_SET, TWRC_SUCCESS, 0, TWRC_FAILURE},                // refused in 5
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        const Step& step = steps[i];
        s.alpha->answer(step.dg, step.dat, step.msg, step.sourceRc, TWCC_BUMMER);
        s.alpha->setPending(step.count);
        TripletData data;
        EXPECT_EQ(s.dsm.Call(&s.source, step.dg, step.dat, step.msg, data.For(step.dat)), step.expected);
    }
}

TEST(ManagerTest, QueuesPostedMessagesPerSourceInOrderBoundedAndOnlyWhileOpen) {
    Session s;
    s.Reach(5);
    EXPECT_EQ(s.dsm.NextEvent(&s.source), MSG_NULL);
    s.alpha->Calls();
    // Posted from another thread, as a source's worker does.
    std::thread worker([&] {
        EXPECT_EQ(s.alpha->post(MSG_DEVICEEVENT), TWRC_SUCCESS);
        EXPECT_EQ(s.alpha->post(MSG_CLOSEDSREQ), TWRC_SUCCESS);
    });
    worker.join();
    EXPECT_EQ(s.alpha->post(0x0999), TWRC_FAILURE);  // not a message a source may post
    EXPECT_EQ(s.alpha->Calls(), "");
    EXPECT_EQ(s.dsm.NextEvent(&s.source), MSG_DEVICEEVENT);
    EXPECT_EQ(s.alpha->Calls(), Triplet(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT));  // the source saw it first
    EXPECT_EQ(s.dsm.NextEvent(&s.source), MSG_CLOSEDSREQ);
    EXPECT_EQ(s.dsm.NextEvent(&s.source), MSG_NULL);

    // The source's own events come first.
    ASSERT_EQ(s.alpha->post(MSG_XFERREADY), TWRC_SUCCESS);
    s.alpha->setOwnEvent(MSG_CLOSEDSOK);
    EXPECT_EQ(s.dsm.NextEvent(&s.source), MSG_CLOSEDSOK);
    s.alpha->setOwnEvent(MSG_NULL);
    EXPECT_EQ(s.dsm.NextEvent(&s.source), MSG_XFERREADY);

    // Bounded; what a session left behind is gone after DISABLEDS, and a closed source
    // cannot post at all.
    ASSERT_EQ(s.dsm.Disable(&s.source), TWRC_FAILURE);  // in state 6 now
    TW_UINT16 count = 0;
    s.alpha->setPending(0);
    ASSERT_EQ(s.dsm.Pending(&s.source, MSG_RESET, &count), TWRC_SUCCESS);
    std::size_t accepted = 0;
    while (s.alpha->post(MSG_DEVICEEVENT) == TWRC_SUCCESS && accepted < 100) ++accepted;
    EXPECT_EQ(accepted, 32u);
    ASSERT_EQ(s.dsm.Disable(&s.source), TWRC_SUCCESS);
    EXPECT_EQ(s.dsm.NextEvent(&s.source), MSG_NULL);
    ASSERT_EQ(s.dsm.CloseSource(&s.source), TWRC_SUCCESS);
    EXPECT_EQ(s.alpha->post(MSG_CLOSEDSREQ), TWRC_FAILURE);
}

TEST(ManagerTest, UnloadingTheManagerWalksAnOpenSessionDownToClosed) {
    Session s;
    s.Reach(7);
    FakeControls alpha(s.SourcePath("a/alpha.ds"));  // keeps the copy loaded to read its log
    s.alpha.reset();
    alpha.setPending(1);
    s.dsm.Unload();
    EXPECT_EQ(alpha.Calls(), Triplet(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER) +
                                 Triplet(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET) +
                                 Triplet(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS) +
                                 Triplet(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS));
}

}  // namespace
}  // namespace calvix::test
