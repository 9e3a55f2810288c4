// The service lock: a second process finds it held; the check tells the operator and logs.
#include "app/Strings.h"
#include "LogCapture.h"
#include "platform/FlockNamedLock.h"
#include "RecordingDesktop.h"
#include "scanner/ServiceInterface.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace calvix {
namespace {

class ScopedRuntimeDir {
public:
    explicit ScopedRuntimeDir(const std::string& dir) {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) {
            had_ = true;
            old_ = old;
        }
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    ~ScopedRuntimeDir() {
        if (had_) ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        else ::unsetenv("XDG_RUNTIME_DIR");
    }

private:
    bool had_ = false;
    std::string old_;
};

// Holds the lock in a child process until told to let go.
class LockHolder {
public:
    LockHolder() {
        if (::pipe(ready_) != 0 || ::pipe(release_) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            FlockNamedLock lock;
            const char answer = lock.TryAcquire(kServiceLockName) ? 'y' : 'n';
            [[maybe_unused]] ssize_t n = ::write(ready_[1], &answer, 1);
            char ignored;
            n = ::read(release_[0], &ignored, 1);
            ::_exit(0);
        }
        char answer = 'n';
        held_ = ::read(ready_[0], &answer, 1) == 1 && answer == 'y';
    }
    ~LockHolder() {
        const char go = 'g';
        [[maybe_unused]] ssize_t n = ::write(release_[1], &go, 1);
        int status = 0;
        if (pid_ > 0) ::waitpid(pid_, &status, 0);
        for (int fd : {ready_[0], ready_[1], release_[0], release_[1]}) ::close(fd);
    }
    bool Held() const { return held_; }

private:
    int ready_[2] = {-1, -1};
    int release_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool held_ = false;
};

TEST(FlockNamedLockTest, LockFileIsInTheRuntimeDirectory) {
    test::TempDir dir;
    {
        ScopedRuntimeDir runtime(dir.Path());
        EXPECT_EQ(FlockNamedLock::LockPath("ZelmarHelvaneTraceMutex"), dir.Path() + "/ZelmarHelvaneTraceMutex.lock");
        ScopedRuntimeDir missing(dir.File("absent"));
        EXPECT_EQ(FlockNamedLock::LockPath("X"), "/tmp/X.lock");
    }
}

TEST(FlockNamedLockTest, SecondProcessFindsTheLockHeld) {
    test::TempDir dir;
    ScopedRuntimeDir runtime(dir.Path());
    FlockNamedLock mine;
    {
        LockHolder other;
        ASSERT_TRUE(other.Held());
        EXPECT_FALSE(mine.TryAcquire(kServiceLockName));
    }
    EXPECT_TRUE(mine.TryAcquire(kServiceLockName));
    EXPECT_TRUE(mine.TryAcquire(kServiceLockName));  // held already: still ours
    LockHolder late;
    EXPECT_FALSE(late.Held());
    mine.Release();
}

class ScriptedLock final : public NamedLock {
public:
    bool free = true;
    std::vector<std::string> asked;
    bool TryAcquire(const std::string& name) override {
        asked.push_back(name);
        return free;
    }
    void Release() override {}
};

TEST(ServiceInterfaceTest, LockInUseIsShownAndLogged) {
    test::LogCapture log;
    test::RecordingDesktop desktop;
    TAppStrings strings(10000);
    ScriptedLock lock;
    lock.free = false;
    bool held = false;
    EXPECT_FALSE(AcquireServiceInterface(lock, held, desktop, strings));
    EXPECT_FALSE(held);
    EXPECT_THAT(lock.asked, ::testing::ElementsAre("ZelmarHelvaneTraceMutex"));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, strings.MsgServiceInUse.caption);
    EXPECT_EQ(desktop.messages[0].title, strings.MBoxTitleRequest.caption);
    EXPECT_EQ(desktop.messages[0].buttons, MessageButtons::Ok);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_THAT(log.Lines()[0],
                ::testing::MatchesRegex(R"(ERR: error 'Program aborted, service interface is in use!'  \( file MainForm, line [0-9]+\))"));
}

TEST(ServiceInterfaceTest, FreeLockIsKeptAndNotAskedForAgain) {
    test::RecordingDesktop desktop;
    TAppStrings strings(10000);
    ScriptedLock lock;
    bool held = false;
    EXPECT_TRUE(AcquireServiceInterface(lock, held, desktop, strings));
    EXPECT_TRUE(held);
    EXPECT_TRUE(AcquireServiceInterface(lock, held, desktop, strings));
    EXPECT_EQ(lock.asked.size(), 1u);
    EXPECT_TRUE(desktop.messages.empty());
}

}  // namespace
}  // namespace calvix
