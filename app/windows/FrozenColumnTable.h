#pragma once
// A grid whose first column stays in view when the grid scrolls sideways, as the fixed first
// column of a string grid does: a second view over the same cells shows that column alone, laid
// over the grid's left edge, scrolled up and down with it and sharing its selection.
#include <QTableWidget>

class QTableView;

namespace vsx {

class FrozenColumnTable : public QTableWidget {
    Q_OBJECT
public:
    explicit FrozenColumnTable(QWidget* parent = nullptr);

    // The view that shows the first column over the grid.
    QTableView* FrozenColumn() const { return frozen_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    // Keyboard moves and scrolling to a cell keep the cell clear of the first column.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

private:
    void placeFrozenColumn();
    // Scrolls sideways so that the cell's left edge lies right of the first column.
    void uncover(const QModelIndex& index);

    QTableView* frozen_;
};

} // namespace vsx
