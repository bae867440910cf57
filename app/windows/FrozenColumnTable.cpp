#include "app/windows/FrozenColumnTable.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

namespace vsx {

FrozenColumnTable::FrozenColumnTable(QWidget* parent) : QTableWidget(parent)
{
    frozen_ = new QTableView(this);
    frozen_->setObjectName(QStringLiteral("FrozenColumn"));
    frozen_->setModel(model());
    frozen_->setSelectionModel(selectionModel());
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    frozen_->setFrameShape(QFrame::NoFrame);
    frozen_->verticalHeader()->hide();
    frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Both scroll by pixels, so the two stay row for row at any position.
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    frozen_->setVerticalScrollMode(ScrollPerPixel);
    viewport()->stackUnder(frozen_);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (column != 0) return;
        frozen_->setColumnWidth(0, width);
        placeFrozenColumn();
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int row, int, int height) { frozen_->setRowHeight(row, height); });
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(), &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(), &QAbstractSlider::setValue);
    connect(model(), &QAbstractItemModel::columnsInserted, this, &FrozenColumnTable::placeFrozenColumn);
    placeFrozenColumn();
}

void FrozenColumnTable::placeFrozenColumn()
{
    for (int column = 1; column < model()->columnCount(); ++column) frozen_->setColumnHidden(column, true);
    frozen_->setColumnWidth(0, columnWidth(0));
    const int left = frameWidth() + (verticalHeader()->isVisible() ? verticalHeader()->width() : 0);
    frozen_->setGeometry(left, frameWidth(), columnWidth(0), viewport()->height() + horizontalHeader()->height());
    frozen_->setVisible(model()->columnCount() > 0);
}

void FrozenColumnTable::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    placeFrozenColumn();
}

void FrozenColumnTable::updateGeometries()
{
    QTableWidget::updateGeometries();
    placeFrozenColumn();
}

void FrozenColumnTable::uncover(const QModelIndex& index)
{
    const int left = visualRect(index).left();
    if (index.column() > 0 && left < frozen_->columnWidth(0))
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left - frozen_->columnWidth(0));
}

QModelIndex FrozenColumnTable::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = QTableWidget::moveCursor(action, modifiers);
    if (action == MoveLeft || action == MoveHome) uncover(current);
    return current;
}

void FrozenColumnTable::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    // The first column is always in view: a cell of it needs a scroll up or down at most.
    const int sideways = horizontalScrollBar()->value();
    QTableWidget::scrollTo(index, hint);
    if (index.column() == 0) horizontalScrollBar()->setValue(sideways);
    else uncover(index);
}

} // namespace vsx
