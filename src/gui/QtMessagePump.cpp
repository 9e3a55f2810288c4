// A short nested event loop per wait.
#include "gui/QtMessagePump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace calvix {

bool QtMessagePump::Quitting() const { return QCoreApplication::closingDown() || (quitRequested_ && quitRequested_()); }

bool QtMessagePump::ProcessEvents(int maxWaitMs) {
    if (Quitting()) return false;
    // A nested loop for the wait, rather than a sleep after processEvents(): events that
    // arrive during the wait are handled at once, and the loop also ends when the
    // application is told to exit.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(maxWaitMs > 0 ? maxWaitMs : 0);
    loop.exec();
    return !Quitting();
}

}  // namespace calvix
