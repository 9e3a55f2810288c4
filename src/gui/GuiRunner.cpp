// The Qt program loop around the core.
#include "gui/GuiRunner.h"

#include <QApplication>
#include <QTimer>

#include "app/Clock.h"
#include "mainform/MainForm.h"
#include "gui/GuiShell.h"
#include "gui/QtMessagePump.h"
#include "gui/SplashBanner.h"
#include "platform/DlDynamicLibrary.h"
#include "platform/XdgDirs.h"
#include "platform/LinuxSystemInfo.h"

namespace calvix {

int RunGui(int argc, char** argv, SystemInfo& system, UserStore& store, NamedLock& serviceLock, int ticks,
           const std::function<void(GuiSession&)>& started) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(TMainFormular::ApplicationTitle);
    QApplication::setWindowIcon(CalvixIcon());
    // The pump outlives the core that waits in it.
    QtMessagePump pump;
    GuiShell shell;
    MainWindow& window = shell.window;
    QtDesktop& desktop = shell.desktop;
    // The window starts fully transparent and, since not every desktop honours opacity, off the
    // screen; expert mode brings it in later. Only the core's shut-down ends the loop: closing
    // the splash, the wizard or the help while the main window is hidden must not.
    window.setWindowOpacity(0.0);
    QApplication::setQuitOnLastWindowClosed(false);
    TMainFormular* built = nullptr;
    try {
        MainFormPorts ports{desktop, store, system, SystemClock(), &serviceLock,
                            [] { return std::make_unique<DlDynamicLibrary>(); }, SystemDirectory(), &pump};
        ports.iccFolder = XdgIccFolder();
        built = &shell.Build(std::move(ports));
    } catch (const std::exception& e) {
        // The entry's handlers log it; the operator sees it here, as a window.
        desktop.ShowMessage(e.what(), TMainFormular::ApplicationTitle, MessageButtons::Ok);
        throw;
    }
    TMainFormular& core = *built;
    // A scan waiting for its source ends when the main window has closed.
    pump.SetQuitCheck([&core] { return core.Closed(); });
    window.StartTimer();
    int done = 0;
    QTimer counter;
    if (ticks >= 0) {
        counter.setInterval(200);
        QObject::connect(&counter, &QTimer::timeout, [&] {
            if (++done >= ticks) window.close();
        });
        counter.start();
    }
    GuiSession session{window, desktop, core};
    if (started) started(session);
    app.exec();
    core.Close();
    return 0;
}

}  // namespace calvix
