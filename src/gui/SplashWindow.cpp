// Draws the splash state and follows its list as lines arrive.
#include "gui/SplashWindow.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QVBoxLayout>

#include "app/Splash.h"
#include "gui/SplashBanner.h"

namespace calvix {

SplashWindow::SplashWindow(TFormSplash& splash) : splash_(splash) {
    setObjectName("FormSplash");
    setWindowTitle("Calvix");
    // Not kept on top: the wizard and message boxes must not end up behind it.
    setWindowFlags(Qt::SplashScreen);
    setStyleSheet("#FormSplash { background: white; border: 1px solid #0c264e; }");
    setAttribute(Qt::WA_StyledBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 8);
    layout->setSpacing(6);
    layout->addWidget(new SplashBanner(this));
    version_ = new QLabel(QString::fromStdString(splash.VersionLabel()), this);
    version_->setObjectName("LabelVersion");
    version_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    version_->setContentsMargins(0, 0, 12, 0);
    list_ = new QListWidget(this);
    list_->setObjectName("ListBoxLog");
    list_->setFrameShape(QFrame::NoFrame);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    // A long line wraps inside the list rather than widening it under a scroll bar.
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setWordWrap(true);
    list_->setResizeMode(QListView::Adjust);
    list_->setVisible(splash.LogListVisible());
    QFont mono("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSizeF(font().pointSizeF() * 0.9);
    list_->setFont(mono);
    auto* listMargin = new QVBoxLayout;
    listMargin->setContentsMargins(10, 0, 10, 0);
    listMargin->addWidget(list_);
    layout->addWidget(version_);
    layout->addLayout(listMargin, 1);
    // Without the log list the window is the banner and the version only.
    if (splash.LogListVisible())
        resize(560, 360);
    else
        resize(480, sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    splash_.changed = [this] { Refresh(); };
    Refresh();
}

SplashWindow::~SplashWindow() { splash_.changed = nullptr; }

void SplashWindow::Refresh() {
    const auto& lines = splash_.ShownLines();
    while (list_->count() > static_cast<int>(lines.size())) delete list_->takeItem(list_->count() - 1);
    for (int i = list_->count(); i < static_cast<int>(lines.size()); ++i)
        list_->addItem(QString::fromStdString(lines[static_cast<std::size_t>(i)]));
    list_->scrollToBottom();
}

}  // namespace calvix
