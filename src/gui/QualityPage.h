// The tool panel's "Quality" page (TabSheetQuality, expert mode): draws the core's
// QualityPageState, the figures of the current window's chart with their levels per standard.
#pragma once

#include <QWidget>

#include "app/MainFormControls.h"

class QLabel;
class QTableWidget;

namespace calvix {

class QualityPageWidget final : public QWidget {
    Q_OBJECT
public:
    explicit QualityPageWidget(QWidget* parent = nullptr);

    // Redraws only when the state's revision differs from the one shown.
    void Show(const QualityPageState& state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Every row shown: the table's height follows its rows, which wrap to its width.
    void FitHeight();
    void QueueFit();

    int revision_ = -1;
    bool fitQueued_ = false;
    QLabel* decoder_;
    QLabel* measured_;
    QLabel* warnings_;
    QLabel* hint_;
    QTableWidget* table_;
    QLabel* limits_;
};

}  // namespace calvix
