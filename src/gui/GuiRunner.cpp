// The Qt program loop around the core.
#include "gui/GuiRunner.h"

#include <QApplication>
#include <QTimer>

#include <memory>

#include "app/Clock.h"
#include "mainform/MainForm.h"
#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"
#include "gui/QtMessagePump.h"
#include "platform/DlDynamicLibrary.h"
#include "platform/LinuxSystemInfo.h"

namespace calvix {

int RunGui(int argc, char** argv, SystemInfo& system, UserStore& store, NamedLock& serviceLock, int ticks) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(TMainFormular::ApplicationTitle);
    QtDesktop desktop;
    MainWindow window;
    desktop.Attach(&window, nullptr);
    // The window is created visible and fully transparent; expert mode fades it in later.
    window.setWindowOpacity(0.0);
    window.show();
    QtMessagePump pump;
    std::unique_ptr<TMainFormular> created;
    try {
        created = std::make_unique<TMainFormular>(MainFormPorts{desktop, store, system, SystemClock(), &serviceLock,
                                                                [] { return std::make_unique<DlDynamicLibrary>(); },
                                                                SystemDirectory(), &pump});
    } catch (const std::exception& e) {
        // The entry's handlers log it; the operator sees it here, as a window.
        desktop.ShowMessage(e.what(), TMainFormular::ApplicationTitle, MessageButtons::Ok);
        throw;
    }
    TMainFormular& core = *created;
    // A scan waiting for its source ends when the main window has closed.
    pump.SetQuitCheck([&core] { return core.Closed(); });
    core.CreateAppStrings();
    desktop.Attach(&window, &core);
    window.Bind(core);
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
    app.exec();
    core.Close();
    return 0;
}

}  // namespace calvix
