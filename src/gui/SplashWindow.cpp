// Draws the splash state and follows its list as lines arrive.
#include "gui/SplashWindow.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/Splash.h"

namespace calvix {

SplashWindow::SplashWindow(TFormSplash& splash) : splash_(splash) {
    setObjectName("FormSplash");
    setWindowTitle("Calvix");
    setWindowFlags(Qt::SplashScreen | Qt::WindowStaysOnTopHint);
    auto* layout = new QVBoxLayout(this);
    auto* logo = new QLabel("Zelmar   Calvix", this);
    logo->setObjectName("LabelLogo");
    version_ = new QLabel(QString::fromStdString(splash.VersionLabel()), this);
    version_->setObjectName("LabelVersion");
    list_ = new QListWidget(this);
    list_->setObjectName("ListBoxLog");
    list_->setVisible(splash.LogListVisible());
    layout->addWidget(logo);
    layout->addWidget(version_);
    layout->addWidget(list_);
    resize(480, 320);
    splash_.changed = [this] { Refresh(); };
    Refresh();
}

SplashWindow::~SplashWindow() { splash_.changed = nullptr; }

void SplashWindow::Refresh() {
    const auto& lines = splash_.Lines();
    while (list_->count() > static_cast<int>(lines.size())) delete list_->takeItem(list_->count() - 1);
    for (int i = list_->count(); i < static_cast<int>(lines.size()); ++i)
        list_->addItem(QString::fromStdString(lines[static_cast<std::size_t>(i)]));
    list_->scrollToBottom();
}

}  // namespace calvix
