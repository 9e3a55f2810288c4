// Program entry: builds the ports, creates the main window and the message-text form, runs the
// message loop (Qt's, or a plain 200 ms tick with --headless), and catches whatever the
// construction raises in the three stage handlers. The exit code is always 0.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "app/Clock.h"
#include "app/Exceptions.h"
#include "app/FormStatus.h"
#include "mainform/MainForm.h"
#include "app/MemoryTuning.h"
#include "platform/DlDynamicLibrary.h"
#include "platform/FlockNamedLock.h"
#include "platform/HeadlessDesktop.h"
#include "platform/HeadlessMessagePump.h"
#include "platform/LinuxSystemInfo.h"
#include "platform/RegFileUserStore.h"
#include "platform/StopSignals.h"
#include "unattended/UnattendedOperator.h"
#include "assistant/assistent.h"
#include "platform/XdgDirs.h"
#ifdef CALVIX_WITH_GUI
#include "gui/GuiRunner.h"
#endif

namespace {

struct Options {
    bool headless = false;
    int ticks = -1;
    bool unattended = false;
    calvix::UnattendedOptions operatorOptions;
};

// The headless driver: the real core on a real 200 ms tick (the main window's timer and the
// wizard's), message boxes answered by script; with an operator, it acts after every tick.
void RunHeadless(calvix::TMainFormular& form, calvix::Clock& clock, int ticks, calvix::UnattendedOperator* op) {
    calvix::InstallStopSignals();
    std::int64_t next = clock.ElapsedMs();
    int done = 0;
    while (!form.Closed()) {
        next += 200;
        const std::int64_t wait = next - clock.ElapsedMs();
        if (wait > 0) {
            clock.SleepMs(static_cast<int>(wait));
            if (op) op->TickWaited(wait);
        }
        form.TimerTimer();
        if (calvix::TFormAssistent* wizard = form.Assistent(); wizard && !form.Closed()) wizard->TimerWarmUpTimer();
        if (op) op->Act();
        ++done;
        if (calvix::StopRequested() || (ticks >= 0 && done >= ticks)) form.Close();
    }
    if (op) op->Act();
}

void ShowException(calvix::Desktop& desktop, const std::string& text) {
    desktop.ShowMessage(text, calvix::TMainFormular::ApplicationTitle, calvix::MessageButtons::Ok);
}

}  // namespace

int main(int argc, char** argv) {
    calvix::ReuseLargeAllocations();
    Options options;
    CLI::App cli{"Calvix - colour calibration for the Zelmar Q71"};
    cli.add_flag("--headless", options.headless, "Run without windows on a 200 ms tick (message boxes answered OK)");
    cli.add_option("--ticks", options.ticks, "Close the main window after this many ticks")->check(CLI::NonNegativeNumber);
    cli.add_flag("--unattended", options.unattended,
                 "Calibrate without an operator: find the scanner, take the reference, wait for the warm-up, "
                 "scan front and rear from the feeder, finish and upload the LUT. Exit status: 0 LUT uploaded "
                 "and acknowledged, 1 interrupted, 3 service interface in use, 4 scanner not reached, "
                 "5 calibration mode refused, 6 no usable reference, 7 front side failed, 8 rear side failed, "
                 "9 upload refused, 10 LUT uploaded but an ICC profile not written");
    cli.add_option("--reference", options.operatorOptions.reference,
                   "IT8 reference file to install for the unattended run (default: the one picked last)");
    cli.add_option("--connect-retries", options.operatorOptions.connectRetries,
                   "How often an unattended run tries the scanner's data source again")
        ->check(CLI::Range(0, 1000));
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e);
    }
    if (!options.operatorOptions.reference.empty() && !options.unattended) {
        std::cerr << "--reference is for --unattended runs\n";
        return 2;
    }
    // The console shows the log's header before anything else of this program; the other
    // programs built on the core never print it, and an unattended run prints its progress.
    if (options.unattended)
        calvix::LogWriter.SetEcho(false);
    else
        calvix::LogWriter.PrintHeader();

    using namespace calvix;
    HeadlessDesktop headless;
    headless.onMessage = [&options](const HeadlessDesktop::Message& m) {
        (options.unattended ? std::cout : std::cerr) << "[message box] " << m.title << ": " << m.text << "\n";
    };
    Desktop* desktop = &headless;
    try {
        LinuxSystemInfo system;
        const std::string configHome = XdgConfigHome();
        RegFileUserStore store(configHome.empty() ? std::string() : configHome + "/Zelmar GmbH/Calvix.reg");
        FlockNamedLock serviceLock;
#ifdef CALVIX_WITH_GUI
        if (!options.headless && !options.unattended) {
            return RunGui(argc, argv, system, store, serviceLock, options.ticks);
        }
#endif
        MainFormPorts ports{headless, store, system, SystemClock(), &serviceLock,
                            [] { return std::make_unique<DlDynamicLibrary>(); }, SystemDirectory()};
        HeadlessMessagePump pump(SystemClock(), [] { return StopRequested(); });
        ports.messagePump = &pump;
        ports.iccFolder = XdgIccFolder();
        // A first unattended run finds no settings key; with the key there, the start writes its
        // defaults (scanner search on) instead of leaving the scanner alone.
        if (options.unattended) store.OpenKey(TMainFormular::RegistryKey, true);
        TMainFormular form(ports);
        form.CreateAppStrings();
        std::unique_ptr<UnattendedOperator> op;
        if (options.unattended) {
            std::cout << "Calvix unattended calibration (log: " << LogWriter.FileName() << ")\n";
            op = std::make_unique<UnattendedOperator>(form, headless, SystemClock(), options.operatorOptions, stdout);
        }
        RunHeadless(form, SystemClock(), options.ticks, op.get());
        std::cout << "Calvix log:        " << LogWriter.FileName() << "\n"
                  << "Calvix settings:   " << form.IniFileName() << "\n"
                  << "Calvix user store: " << store.Path() << "\n";
        if (op) return op->ExitCode();
    } catch (const Exception& e) {
        LogWriter.WriteLine(
            LogWriter.Printf("Exception handler stage I: Calvixin line: %d (exception %d)", __LINE__, e.Kind()),
            LogForcedSplash);
        ShowException(*desktop, e.what());
    } catch (...) {
        LogWriter.WriteLine(LogWriter.Printf("Exception handler stage II: Calvixin line: %d", __LINE__),
                            LogForcedSplash);
        try {
            throw Exception("", 0);
        } catch (const Exception& e) {
            LogWriter.WriteLine(
                LogWriter.Printf("Exception handler stage III: Calvixin line: %d (exception %d)", __LINE__, e.Kind()),
                LogForcedSplash);
            ShowException(*desktop, e.what());
        }
    }
    return 0;
}
