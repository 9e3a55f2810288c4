// Builds the wizard's pages once, then mirrors the wizard's state on every change it reports.
#include "gui/AssistantDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "assistant/assistent.h"
#include "gui/AssistantIllustration.h"
#include "gui/HelpBrowser.h"
#include "it8ref/ReferenceListModel.h"

namespace calvix {

namespace {

constexpr Illustration kPageIllustrations[WizardPageCount] = {
    Illustration::Reference,   Illustration::Warmup,      Illustration::ScanFront, Illustration::ScanRear,
    Illustration::MarkCorners, Illustration::MarkCorners, Illustration::Finished};

QString Text(const FormComponent& component) { return QString::fromStdString(component.caption); }

}  // namespace

AssistantDialog::AssistantDialog(TFormAssistent& wizard, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      wizard_(&wizard) {
    setObjectName("FormAssistent");
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    pages_ = new QStackedWidget(this);
    pages_->setObjectName("PageControl");
    for (int state = 0; state < WizardPageCount; ++state) pages_->addWidget(BuildPage(state));
    layout->addWidget(pages_);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    auto* row = new QHBoxLayout;
    row->addWidget(AddButton(wizard.ButtonAbort, "ButtonAbort", &TFormAssistent::ButtonAbortClick));
    row->addStretch();
    row->addWidget(AddButton(wizard.ButtonBack, "ButtonBack", &TFormAssistent::ButtonBackClick));
    QPushButton* next = AddButton(wizard.ButtonNext, "ButtonNext", &TFormAssistent::ButtonNextClick);
    next->setDefault(true);
    row->addWidget(next);
    row->addSpacing(12);
    row->addWidget(AddButton(wizard.ButtonHelp, "ButtonHelp", &TFormAssistent::ButtonHelpClick));
    layout->addLayout(row);

    // Context help: the wizard knows the topic of the page shown.
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] {
        if (wizard_) wizard_->ContextHelpRequested();
    });

    timer_ = new QTimer(this);
    timer_->setObjectName("TimerWarmUp");
    timer_->setInterval(200);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (wizard_) wizard_->TimerWarmUpTimer();
    });
    timer_->start();

    wizard.changed = [this] { Refresh(); };
    wizard.destroyed = [this] { Detach(); };
    Refresh();
}

AssistantDialog::~AssistantDialog() {
    if (!wizard_) return;
    wizard_->changed = nullptr;
    wizard_->destroyed = nullptr;
}

void AssistantDialog::Detach() {
    if (!wizard_) return;
    wizard_->changed = nullptr;
    wizard_->destroyed = nullptr;
    wizard_ = nullptr;
    timer_->stop();
    hide();
    emit Detached();
}

QLabel* AssistantDialog::AddLabel(const FormComponent& component, const char* name, LabelStyle style) {
    auto* label = new QLabel(Text(component));
    label->setObjectName(name);
    label->setWordWrap(style == LabelStyle::Text);
    if (style != LabelStyle::Text) {
        QFont font = label->font();
        font.setBold(true);
        if (style == LabelStyle::Title) font.setPointSizeF(font.pointSizeF() * 1.3);
        label->setFont(font);
    }
    labels_.emplace_back(&component, label);
    return label;
}

QPushButton* AssistantDialog::AddButton(const WizardButton& button, const char* name,
                                        void (TFormAssistent::*handler)()) {
    auto* push = new QPushButton(Text(button.text), this);
    push->setObjectName(name);
    push->setAutoDefault(false);
    push->setMinimumWidth(96);
    connect(push, &QPushButton::clicked, this, [this, handler, &button] {
        // Abort also works while a scan waits: the wizard ends the acquisition through the core.
        if (busy_ && wizard_ && &button == &wizard_->ButtonAbort) {
            (wizard_->*handler)();
            Refresh();
            return;
        }
        Run([this, handler] { (wizard_->*handler)(); });
    });
    buttons_.emplace_back(&button, push);
    return push;
}

QWidget* AssistantDialog::BuildPage(int state) {
    TFormAssistent& w = *wizard_;
    auto* page = new QWidget;
    page->setObjectName(WizardPageName(state));
    auto* outer = new QHBoxLayout(page);
    auto* art = new AssistantIllustration(kPageIllustrations[state], page);
    art->setObjectName(QString("Image") + QString(WizardPageName(state)).mid(5));
    outer->addWidget(art, 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    column->setSpacing(10);
    outer->addLayout(column, 1);
    auto add = [column](QWidget* widget) { column->addWidget(widget); };

    switch (state) {
        case StateStart: {
            add(AddLabel(w.LabelTitel, "LabelTitel", LabelStyle::Title));
            add(AddLabel(w.LabelCalStart, "LabelCalStart", LabelStyle::Text));
            add(AddLabel(w.Label5, "Label5", LabelStyle::Caption));
            list_ = new QListWidget(page);
            list_->setObjectName("ListBoxIT8Installed");
            list_->setMinimumHeight(96);
            list_->setSelectionMode(QAbstractItemView::SingleSelection);
            connect(list_, &QListWidget::itemSelectionChanged, this, &AssistantDialog::ListSelectionChanged);
            add(list_);
            auto* install = new QHBoxLayout;
            install->addStretch();
            install->addWidget(
                AddButton(w.ButtonIT8Install, "ButtonIT8Install", &TFormAssistent::ButtonIT8InstallClick));
            column->addLayout(install);
            break;
        }
        case StateWarmup: {
            add(AddLabel(w.Label8, "Label8", LabelStyle::Title));
            add(AddLabel(w.LabelWarmup, "LabelWarmup", LabelStyle::Text));
            progress_ = new QProgressBar(page);
            progress_->setObjectName("ProgressBarWarmup");
            progress_->setTextVisible(false);
            add(progress_);
            auto* seconds = new QHBoxLayout;
            seconds_ = new QLabel("0", page);
            seconds_->setObjectName("LabelSeconds");
            seconds_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            seconds_->setMinimumWidth(48);
            seconds->addWidget(seconds_);
            QLabel* unit = AddLabel(w.Label15, "Label15", LabelStyle::Text);
            unit->setWordWrap(false);
            seconds->addWidget(unit, 1);
            column->addLayout(seconds);
            break;
        }
        case StateScanFront:
        case StateScanRear: {
            const bool front = state == StateScanFront;
            add(front ? AddLabel(w.Label9, "Label9", LabelStyle::Title)
                      : AddLabel(w.TitelIT8ScanRear, "TitelIT8ScanRear", LabelStyle::Title));
            add(front ? AddLabel(w.LabelScan, "LabelScan", LabelStyle::Text)
                      : AddLabel(w.Label6, "Label6", LabelStyle::Text));
            auto* scan = new QHBoxLayout;
            scan->addStretch();
            QPushButton* button =
                front ? AddButton(w.ButtonScanFront, "ButtonScanFront", &TFormAssistent::ButtonScanFrontClick)
                      : AddButton(w.ButtonScanRear, "ButtonScanRear", &TFormAssistent::ButtonScanRearClick);
            button->setMinimumSize(160, 40);
            scan->addWidget(button);
            scan->addStretch();
            column->addLayout(scan);
            // The splash's log, which says the same, lies under this window on a small screen.
            QLabel* result = new QLabel(page);
            result->setObjectName(front ? "LabelScanResultFront" : "LabelScanResultRear");
            result->setWordWrap(true);
            result->setVisible(false);
            scanResults_[front ? 0 : 1] = result;
            add(result);
            break;
        }
        case StateSetFrameF:
        case StateSetFrameR: {
            const bool front = state == StateSetFrameF;
            add(front ? AddLabel(w.LabelSetFrameFront, "LabelSetFrameFront", LabelStyle::Title)
                      : AddLabel(w.LabelSetFrameRear, "LabelSetFrameRear", LabelStyle::Title));
            add(AddLabel(w.LabelSetFrameText, front ? "LabelSetFrameTextFront" : "LabelSetFrameTextRear",
                         LabelStyle::Text));
            break;
        }
        default:
            add(AddLabel(w.Label13, "Label13", LabelStyle::Title));
            add(AddLabel(w.Label14, "Label14", LabelStyle::Text));
            break;
    }
    column->addStretch();
    page->setFixedWidth(620);
    return page;
}

template <typename Handler>
void AssistantDialog::Run(Handler handler) {
    if (!wizard_ || busy_) return;
    busy_ = true;
    Refresh();
    handler();
    // A handler blocks now and then (the service commands' waits, the transfer), and input of
    // that time is only read from the window system afterwards, in one burst. It was meant for
    // the page as it was, not for the buttons the handler has just enabled: two Return presses
    // queued during the rear scan would otherwise go to "Next >" and then to "Finish". So the
    // window takes it while it is still busy, and lets it fall.
    if (wizard_) {
        const QPointer<AssistantDialog> self(this);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!self) return;
    }
    busy_ = false;
    // The handler may have closed the wizard, and its owner may have let it go since.
    if (wizard_) Refresh();
}

void AssistantDialog::keyPressEvent(QKeyEvent* event) {
    // A held key repeats; Return would go on through every page whose step is ready, and the
    // last of them is Finish. Only a fresh press acts.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->isAutoRepeat()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AssistantDialog::ListSelectionChanged() {
    // Only a selected line is a pick. The list makes its first line current, unselected,
    // when it gets the focus (the window activated, a click anywhere, Tab); that is nobody's
    // choice, and picking it would load a reference the operator never chose.
    if (refreshing_ || !wizard_) return;
    const QList<QListWidgetItem*> chosen = list_->selectedItems();
    if (chosen.isEmpty()) return;
    const int row = list_->row(chosen.first());
    if (row == wizard_->ReferenceList().selected) return;
    Run([this, row] {
        wizard_->ReferenceList().selected = row;
        wizard_->ListBoxIT8InstalledClick();
    });
}

void AssistantDialog::Refresh() {
    if (!wizard_) return;
    const TFormAssistent& w = *wizard_;
    refreshing_ = true;
    setWindowTitle(QString::fromStdString(w.windowTitle));
    for (const auto& [component, label] : labels_) label->setText(Text(*component));
    for (const auto& [button, push] : buttons_) {
        push->setText(Text(button->text));
        push->setEnabled(button->enabled && (!busy_ || button == &w.ButtonAbort));
    }
    list_->setEnabled(!busy_);
    if (w.VisiblePage() >= 0) pages_->setCurrentIndex(w.VisiblePage());

    // A bar whose maximum is 0 would turn into a busy indicator, and Qt ignores values beyond
    // the maximum: the countdown ends one second past it.
    const int maximum = std::max(1, static_cast<int>(w.progressMax));
    progress_->setRange(0, maximum);
    progress_->setValue(w.progressMax <= 0 || w.warmUpDone
                            ? maximum
                            : static_cast<int>(std::clamp<std::int64_t>(w.progressPosition, 0, maximum)));
    seconds_->setText(QString::fromStdString(w.labelSeconds));
    for (const bool front : {true, false}) {
        QLabel* result = scanResults_[front ? 0 : 1];
        const ScanOutcome outcome = w.ScanResult(front);
        result->setText(QString::fromStdString(w.ScanResultText(front)));
        result->setStyleSheet(outcome == ScanOutcome::Passed ? "color: #1b6e20; font-weight: bold;"
                                                             : "color: #b00020; font-weight: bold;");
        result->setVisible(outcome != ScanOutcome::NotScanned);
    }
    RefreshList();
    refreshing_ = false;
    if (w.Closed()) {
        timer_->stop();
        hide();
    }
}

void AssistantDialog::RefreshList() {
    const ReferenceListModel& model = wizard_->ReferenceList();
    bool same = list_->count() == static_cast<int>(model.lines.size());
    for (int i = 0; same && i < list_->count(); ++i)
        same = list_->item(i)->text() == QString::fromStdString(model.lines[static_cast<std::size_t>(i)]);
    if (!same) {
        list_->clear();
        for (const std::string& line : model.lines) list_->addItem(QString::fromStdString(line));
    }
    if (model.selected < 0) {
        list_->clearSelection();
        list_->setCurrentRow(-1);
    } else if (list_->currentRow() != model.selected || !list_->item(model.selected)->isSelected()) {
        list_->setCurrentRow(model.selected);
    }
}

void AssistantDialog::closeEvent(QCloseEvent* event) {
    if (!wizard_) {
        event->accept();
        return;
    }
    // The wizard decides what a close means; during a scan it also ends the acquisition.
    if (busy_) {
        wizard_->CloseBoxClick();
        Refresh();
    } else {
        Run([this] { wizard_->CloseBoxClick(); });
    }
    if (wizard_ && !wizard_->Closed())
        event->ignore();
    else
        event->accept();
}

}  // namespace calvix
