// The about window: product, version and build, where this installation keeps its files, and
// the libraries the program is built with, with their licences.
#pragma once

#include <QDialog>

namespace calvix {

class TMainFormular;

// Opens the about window, not modally (brings the open one forward).
void ShowAboutDialog(QWidget* parent, TMainFormular& core);

class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    AboutDialog(QWidget* parent, TMainFormular& core);
};

// The build line: compiler, Qt built against and Qt running, libjpeg-turbo.
QString BuildDescription();

}  // namespace calvix
