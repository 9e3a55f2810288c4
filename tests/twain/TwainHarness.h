// Test access to the source manager as the application sees it: twain_32.so loaded from the
// build's system directory with dlopen (unloaded again at the end), an application identity,
// and environment variables set for one test.
#pragma once

#include "TestData.h"
#include "TwainEmu.h"

#include <dlfcn.h>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

namespace calvix::test {

using namespace calvix::twain;

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A data record of the right kind for any triplet a test sends, all fields zero.
struct TripletData {
    explicit TripletData(TW_UINT16 cap = CAP_AUTOSCAN) : capability{cap, TWON_DONTCARE16, nullptr} {}
    void* For(TW_UINT16 dat) {
        switch (dat) {
            case DAT_IDENTITY:
                return &identity;
            case DAT_ENTRYPOINT:
                return &entryPoint;
            case DAT_CAPABILITY:
                return &capability;
            case DAT_USERINTERFACE:
                return &ui;
            case DAT_PENDINGXFERS:
                return &pending;
            default:
                return &handle;
        }
    }
    TW_IDENTITY identity{};
    TW_ENTRYPOINT entryPoint{};
    TW_CAPABILITY capability;
    TW_USERINTERFACE ui{};
    TW_PENDINGXFERS pending{};
    TW_HANDLE handle = nullptr;
};

class ManagerLibrary {
public:
    ManagerLibrary() {
        library_ = dlopen(CALVIX_SYSTEM_DIR_BUILD "/twain_32.so", RTLD_NOW | RTLD_LOCAL);
        if (library_) entry_ = reinterpret_cast<DSMENTRYPROC>(dlsym(library_, kManagerEntryName));
        CopyTwainString(app.ProductName, "Calvix");
        app.SupportedGroups = DG_CONTROL | DG_IMAGE;
    }
    ~ManagerLibrary() { Unload(); }
    void Unload() {
        if (library_) dlclose(library_);
        library_ = nullptr;
        entry_ = nullptr;
    }
    bool Loaded() const { return entry_ != nullptr; }

    TW_UINT16 Call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
        return entry_(&app, dest, dg, dat, msg, data);
    }
    TW_UINT16 Control(TW_IDENTITY* dest, TW_UINT16 dat, TW_UINT16 msg, void* data) {
        return Call(dest, DG_CONTROL, dat, msg, data);
    }
    // The condition code DAT_STATUS reports for dest (the manager's own for nullptr).
    TW_UINT16 Condition(TW_IDENTITY* dest = nullptr) {
        TW_STATUS status{0xEEEE, 0};
        return Control(dest, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode : 0xDEAD;
    }
    TW_UINT16 OpenManager() { return Control(nullptr, DAT_PARENT, MSG_OPENDSM, &window_); }
    TW_UINT16 CloseManager() { return Control(nullptr, DAT_PARENT, MSG_CLOSEDSM, &window_); }
    TW_UINT16 OpenSource(TW_IDENTITY* source, const char* name) {
        *source = TW_IDENTITY{};
        CopyTwainString(source->ProductName, name);
        return Control(nullptr, DAT_IDENTITY, MSG_OPENDS, source);
    }
    TW_UINT16 CloseSource(TW_IDENTITY* source) { return Control(nullptr, DAT_IDENTITY, MSG_CLOSEDS, source); }
    TW_UINT16 Enable(TW_IDENTITY* source, bool showUi = false) {
        TW_USERINTERFACE ui{static_cast<TW_BOOL>(showUi), 0, nullptr};
        return Control(source, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    }
    TW_UINT16 Disable(TW_IDENTITY* source) {
        TW_USERINTERFACE ui{};
        return Control(source, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    }
    // MSG_PROCESSEVENT once; the message the source posted, or MSG_NULL.
    TW_UINT16 NextEvent(TW_IDENTITY* source) {
        TW_EVENT event{nullptr, 0xEEEE};
        const TW_UINT16 rc = Control(source, DAT_EVENT, MSG_PROCESSEVENT, &event);
        return rc == TWRC_DSEVENT ? event.TWMessage
                                  : (rc == TWRC_NOTDSEVENT && event.TWMessage == MSG_NULL ? MSG_NULL : 0xBAD);
    }
    // Runs the application's event loop until the source posts something (a worker thread
    // delivers it, so this waits on that thread, bounded).
    TW_UINT16 WaitForEvent(TW_IDENTITY* source) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            const TW_UINT16 message = NextEvent(source);
            if (message != MSG_NULL) return message;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return MSG_NULL;
    }
    TW_UINT16 Pending(TW_IDENTITY* source, TW_UINT16 msg, TW_UINT16* count) {
        TW_PENDINGXFERS pending{0xEEEE, 0};
        const TW_UINT16 rc = Control(source, DAT_PENDINGXFERS, msg, &pending);
        *count = pending.Count;
        return rc;
    }

    TW_IDENTITY app{};

private:
    void* library_ = nullptr;
    DSMENTRYPROC entry_ = nullptr;
    void* window_ = nullptr;
};

}  // namespace calvix::test
