// The XDG folders: a value counts only when it is an absolute path, else the default below an
// absolute HOME applies; the data folder of the settings follows the same rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "TempDir.h"
#include "platform/LinuxSystemInfo.h"
#include "platform/XdgDirs.h"

namespace calvix::test {
namespace {

// Sets or unsets a variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(XdgDirsTest, OnlyAbsoluteValuesCountElseTheDefaultBelowAnAbsoluteHome) {
    struct Case {
        const char* value;
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/x/data", "/home/u", "/x/data"},
        {"data", "/home/u", "/home/u/.local/share"},
        {"./data", "/home/u", "/home/u/.local/share"},
        {"", "/home/u", "/home/u/.local/share"},
        {nullptr, "/home/u", "/home/u/.local/share"},
        {"data", "home/u", ""},
        {nullptr, nullptr, ""},
        {"/x/data", nullptr, "/x/data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value ? c.value : "(unset)") + " / " + (c.home ? c.home : "(unset)"));
        ScopedEnv home("HOME", c.home);
        ScopedEnv data("XDG_DATA_HOME", c.value);
        EXPECT_EQ(XdgDataHome(), c.expected);
    }
    ScopedEnv home("HOME", "/home/u");
    ScopedEnv config("XDG_CONFIG_HOME", "cfg");
    ScopedEnv state("XDG_STATE_HOME", "state");
    EXPECT_EQ(XdgConfigHome(), "/home/u/.config");
    EXPECT_EQ(XdgStateHome(), "/home/u/.local/state");
}

TEST(XdgDirsTest, RuntimeFolderMustBeAnExistingAbsoluteFolderElseTmp) {
    TempDir dir;
    for (const auto& [value, expected] : {std::pair<const char*, std::string>{dir.Path().c_str(), dir.Path()},
                                          {"relative", "/tmp"},
                                          {"", "/tmp"},
                                          {"/no/such/folder", "/tmp"}}) {
        SCOPED_TRACE(value);
        ScopedEnv runtime("XDG_RUNTIME_DIR", value);
        EXPECT_EQ(XdgRuntimeDir(), expected);
    }
}

TEST(XdgDirsTest, ARelativeDataHomeGivesTheSettingsFolderBelowHome) {
    TempDir dir;
    ScopedEnv home("HOME", dir.Path().c_str());
    ScopedEnv data("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(LinuxSystemInfo().CommonAppDataFolder(), dir.Path() + "/.local/share");
}

}  // namespace
}  // namespace calvix::test
