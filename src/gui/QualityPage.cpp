// The Quality page: a read-only table of figures and levels, the decoder above it and the
// limiting figures below; only the hint while the window holds no found chart.
#include "gui/QualityPage.h"

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
    hint_ = NewWrapped("LabelTTabQualityHint", this);
    table_ = new QTableWidget(this);
    table_->setObjectName("TTabQualityTable");
    table_->setColumnCount(5);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    table_->setWordWrap(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    limits_ = NewWrapped("LabelTTabQualityLimits", this);
    layout->addWidget(hint_);
    layout->addWidget(decoder_);
    layout->addWidget(table_, 1);
    layout->addWidget(limits_);
    layout->addStretch(0);
}

void QualityPageWidget::Show(const QualityPageState& state) {
    if (state.revision == revision_) return;
    revision_ = state.revision;
    const bool measured = !state.rows.empty();
    hint_->setText(QString::fromStdString(state.hint));
    hint_->setVisible(!measured);
    decoder_->setText(QString::fromStdString(state.decoder));
    decoder_->setVisible(measured);
    table_->setVisible(measured);
    limits_->setVisible(measured);

    QStringList headers;
    for (const std::string& h : state.headers) headers << QString::fromStdString(h);
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(static_cast<int>(state.rows.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QualityRow& row = state.rows[static_cast<std::size_t>(r)];
        table_->setItem(r, 0, Cell(row.figure, false));
        QTableWidgetItem* value = Cell(row.value, false);
        if (!row.detail.empty()) value->setToolTip(QString::fromStdString(row.detail));
        table_->setItem(r, 1, value);
        table_->setItem(r, 2, Cell(row.fadgi, true));
        table_->setItem(r, 3, Cell(row.iso, true));
        table_->setItem(r, 4, Cell(row.metamorfoze, true));
    }
    QString limits;
    for (const std::string& line : state.limits) {
        if (!limits.isEmpty()) limits += '\n';
        limits += QString::fromStdString(line);
    }
    limits_->setText(limits);
}

}  // namespace calvix
