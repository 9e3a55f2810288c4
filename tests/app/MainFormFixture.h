// A TMainFormular with fake ports in a temporary data folder, for the lifecycle tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "FakeClock.h"
#include "MemoryUserStore.h"
#include "TempDir.h"
#include "app/FormStatus.h"
#include "mainform/MainForm.h"
#include "app/SystemInfo.h"
#include "platform/FlockNamedLock.h"
#include "platform/HeadlessDesktop.h"

namespace calvix::test {

class FakeSystemInfo final : public SystemInfo {
public:
    std::string folder;
    bool canCreate = true;
    std::uint16_t language = 0x0409;
    std::string CommonAppDataFolder() const override { return folder; }
    bool CreateDirectory(const std::string& path) override {
        return canCreate && ::mkdir(path.c_str(), 0755) == 0;
    }
    std::string ProgramPath() const override { return "/opt/calvix/bin/calvix"; }
    void OsVersion(int& major, int& minor) const override { major = 6, minor = 1; }
    std::optional<VersionNumbers> ProgramVersion() const override { return VersionNumbers{1, 1, 0, 7}; }
    std::uint16_t DefaultLanguage() const override { return language; }
};

class MainFormTest : public ::testing::Test {
protected:
    static constexpr const char* Key = "Software\\Zelmar GmbH\\Calvix";

    void SetUp() override {
        LogWriter.SetEcho(false);
        LogWriter.SetClock(&clock);
        LogWriter.ResetForTest();
        system.folder = dir.Path();
        ::setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    }
    void TearDown() override {
        form.reset();
        LogWriter.SetClock(nullptr);
    }
    void Start() {
        form = std::make_unique<TMainFormular>(MainFormPorts{desktop, store, system, clock, &lock, nullptr, std::string()});
        form->CreateAppStrings();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) form->TimerTimer();
    }
    std::string DataFile(const std::string& name) const { return dir.Path() + "/Zelmar GmbH/Calvix/" + name; }
    // Log items without their prefix " hh:mm:ss.mmm > ".
    std::vector<std::string> LogTexts() const {
        std::vector<std::string> out;
        for (const std::string& item : LogWriter.Buffer()) {
            const std::size_t p = item.find(" > ");
            out.push_back(p == std::string::npos ? item : item.substr(p + 3));
        }
        return out;
    }
    bool Logged(const std::string& text) const {
        const auto t = LogTexts();
        return std::find(t.begin(), t.end(), text) != t.end();
    }
    long IndexOf(const std::string& text) const {
        const auto t = LogTexts();
        return std::find(t.begin(), t.end(), text) - t.begin();
    }
    void SetStoreValue(const std::string& name, MemoryUserStore::Value v) { store.keys[Key][name] = v; }

    TempDir dir;
    FakeClock clock;
    HeadlessDesktop desktop;
    MemoryUserStore store;
    FakeSystemInfo system;
    FlockNamedLock lock;
    std::unique_ptr<TMainFormular> form;
};

}  // namespace calvix::test
