// The Quality page: a read-only table of figures and levels, the decoder above it and the
// limiting figures below; only the hint while the window holds no found chart.
#include "gui/QualityPage.h"

#include <algorithm>

#include <QEvent>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "mainform/MainWindowLayout.h"

namespace calvix {

namespace {

QLabel* NewWrapped(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QTableWidgetItem* Cell(const std::string& text, bool centred) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (centred) item->setTextAlignment(Qt::AlignCenter);
    return item;
}

}  // namespace

QualityPageWidget::QualityPageWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("TabSheetQuality");
    setProperty("helpContext", HelpContextQualityPage);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    decoder_ = NewWrapped("LabelTTabQualityDecoder", this);
    measured_ = NewWrapped("LabelTTabQualityMeasured", this);
    warnings_ = NewWrapped("LabelTTabQualityWarnings", this);
    warnings_->setStyleSheet("color: #a04000;");
    hint_ = NewWrapped("LabelTTabQualityHint", this);
    table_ = new QTableWidget(this);
    table_->setObjectName("TTabQualityTable");
    table_->setColumnCount(5);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    // The page scrolls as a whole, like the other pages: the table shows every row and wraps its
    // two text columns to the panel's width rather than scroll on its own.
    table_->setWordWrap(true);
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A point smaller than the page's text: five columns share a panel of 200 to 400 pixels.
    QFont small = table_->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    table_->setFont(small);
    table_->installEventFilter(this);
    connect(table_->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { QueueFit(); });
    // The figure and value columns share what the level columns leave, the figure's names
    // being the longer words (they wrap between words, a long word is cut).
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int column = 2; column < 5; ++column)
        table_->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setMinimumSectionSize(24);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    limits_ = NewWrapped("LabelTTabQualityLimits", this);
    layout->addWidget(hint_);
    // The grade summary above the rows: it is what the page is read for, and the rows run long.
    layout->addWidget(measured_);
    layout->addWidget(decoder_);
    layout->addWidget(warnings_);
    layout->addWidget(limits_);
    layout->addWidget(table_);
    layout->addStretch(1);
}

void QualityPageWidget::Show(const QualityPageState& state) {
    if (state.revision == revision_) return;
    revision_ = state.revision;
    const bool measured = !state.rows.empty();
    hint_->setText(QString::fromStdString(state.hint));
    hint_->setVisible(!measured);
    decoder_->setText(QString::fromStdString(state.decoder));
    decoder_->setVisible(measured);
    measured_->setText(QString::fromStdString(state.measured));
    measured_->setVisible(measured && !state.measured.empty());
    QStringList warnings;
    for (const std::string& w : state.warnings) warnings << QString::fromStdString(w);
    warnings_->setText(warnings.join('\n'));
    warnings_->setVisible(measured && !warnings.isEmpty());
    table_->setVisible(measured);
    limits_->setVisible(measured);

    QStringList headers;
    for (const std::string& h : state.headers) headers << QString::fromStdString(h);
    table_->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < table_->columnCount() && c < static_cast<int>(state.headerTips.size()); ++c)
        table_->horizontalHeaderItem(c)->setToolTip(QString::fromStdString(state.headerTips[static_cast<std::size_t>(c)]));
    table_->setRowCount(static_cast<int>(state.rows.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QualityRow& row = state.rows[static_cast<std::size_t>(r)];
        table_->setItem(r, 0, Cell(row.figure, false));
        QTableWidgetItem* value = Cell(row.value, false);
        if (!row.detail.empty()) value->setToolTip(QString::fromStdString(row.detail));
        table_->setItem(r, 1, value);
        int column = 2;
        for (const std::string* level : {&row.fadgi, &row.iso, &row.metamorfoze}) {
            QTableWidgetItem* cell = Cell(*level, true);
            if (*level == state.notMet) cell->setToolTip(QString::fromStdString(state.notMetTip));
            table_->setItem(r, column++, cell);
        }
    }
    QString limits;
    for (const std::string& line : state.limits) {
        if (!limits.isEmpty()) limits += '\n';
        limits += QString::fromStdString(line);
    }
    limits_->setText(limits);
    FitHeight();
}

// The header stretches its sections after the table's own resize: the rows wrap to the new
// widths only then.
void QualityPageWidget::QueueFit() {
    if (fitQueued_) return;
    fitQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { FitHeight(); }, Qt::QueuedConnection);
}

void QualityPageWidget::FitHeight() {
    fitQueued_ = false;
    QHeaderView* header = table_->horizontalHeader();
    int text = table_->viewport()->width();
    for (int column = 2; column < 5; ++column) text -= header->sectionSize(column);
    text = std::max(text, 80);
    const int figure = text * 58 / 100;
    if (header->sectionSize(0) != figure) header->resizeSection(0, figure);
    if (header->sectionSize(1) != text - figure) header->resizeSection(1, text - figure);
    table_->resizeRowsToContents();
    int height = table_->horizontalHeader()->height() + 2 * table_->frameWidth();
    for (int r = 0; r < table_->rowCount(); ++r) height += table_->rowHeight(r);
    table_->setFixedHeight(height);
}

bool QualityPageWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::Resize) QueueFit();
    return QWidget::eventFilter(watched, event);
}

}  // namespace calvix
