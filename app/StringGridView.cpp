#include "app/StringGridView.h"

#include "app/GridCellDelegate.h"
#include "app/GridCellPainter.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <algorithm>

namespace {
// A fixed cell with the grid lines on its right and bottom, as between data cells.
void paintFixedCell(QPainter& painter, const QRect& rect, const TGridModel& grid, int col, int row,
                    const QFont& font, const QPalette& palette) {
    painter.fillRect(rect, QColor::fromRgba(kGridLineColor));
    paintGridCell(painter, rect.adjusted(0, 0, -1, -1),
                  gridCellLook(grid, col, row, false, highlightColors(palette)), grid.cell(col, row),
                  font, palette);
}

class GridHeaderView : public QHeaderView {
public:
    GridHeaderView(Qt::Orientation orientation, const TGridModel& grid, QWidget* parent)
        : QHeaderView(orientation, parent), m_grid(grid) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        const bool top = orientation() == Qt::Horizontal;
        paintFixedCell(*painter, rect, m_grid, top ? logicalIndex + TGridModel::FixedCols : 0,
                       top ? 0 : logicalIndex + TGridModel::FixedRows, font(), palette());
    }

private:
    const TGridModel& m_grid;
};
}

TStringGridView::TStringGridView(TGridModel& grid, QWidget* parent)
    : QTableView(parent), m_grid(grid), m_model(new GridTableModel(grid, this)) {
    setHorizontalHeader(new GridHeaderView(Qt::Horizontal, grid, this));
    setVerticalHeader(new GridHeaderView(Qt::Vertical, grid, this));
    QHeaderView* top = horizontalHeader();
    QHeaderView* side = verticalHeader();
    top->setFixedHeight(TGridModel::DefaultRowHeight);
    top->setMinimumSectionSize(1);
    top->setDefaultSectionSize(TGridModel::DefaultColWidth);
    top->setSectionResizeMode(QHeaderView::Interactive);
    side->setMinimumSectionSize(1);
    side->setDefaultSectionSize(TGridModel::DefaultRowHeight);
    side->setSectionResizeMode(QHeaderView::Fixed);
    // Pressing a fixed cell selects nothing; header clicks are the grid's own commands.
    for (QHeaderView* h : {top, side}) {
        h->setHighlightSections(false);
        disconnect(h, SIGNAL(sectionPressed(int)), this, nullptr);
        disconnect(h, SIGNAL(sectionEntered(int)), this, nullptr);
    }
    // The corner is the header cell of column 0: a click sorts, it selects nothing.
    m_corner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner) {
        m_corner->installEventFilter(this);
        disconnect(m_corner, nullptr, this, nullptr);
        connect(m_corner, &QAbstractButton::clicked, this, [this] {
            if (m_fixedCellClick) m_fixedCellClick(0, 0);
        });
    }
    top->setSectionsClickable(true);
    connect(top, &QHeaderView::sectionClicked, this, [this](int logical) {
        if (m_fixedCellClick) m_fixedCellClick(logical + TGridModel::FixedCols, 0);
    });
    connect(this, &QAbstractItemView::clicked, this, [this] {
        if (m_cellClick && !m_pressMovedCurrent) m_cellClick();
    });
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    // Typing into a cell starts editing it, as do F2 and a double click.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    auto* delegate = new GridCellDelegate(grid, *this);
    delegate->setEditorKeyHook([this](QWidget* editor, QKeyEvent* e) { return editorKeyDown(editor, e); });
    setItemDelegate(delegate);
    setStyleSheet(QStringLiteral("QTableView { background: black; gridline-color: #%1; }")
                      .arg(kGridLineColor & 0xffffff, 6, 16, QLatin1Char('0')));
    setModel(m_model);
    connect(top, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (!m_syncing) m_grid.setColWidth(logical + TGridModel::FixedCols, size);
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { takeViewSelection(); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { takeViewSelection(); });
    showGridLayout();
}

void TStringGridView::showCell(int col, int row) {
    m_model->cellChanged(col, row);
    if (col < TGridModel::FixedCols && row < TGridModel::FixedRows && m_corner) m_corner->update();
}

void TStringGridView::showGridLayout() {
    {
        QScopedValueRollback guard(m_syncing, true);
        m_model->refresh();
        verticalHeader()->setFixedWidth(m_grid.colWidth(0));
        for (int c = TGridModel::FixedCols; c < m_grid.ColCount(); ++c) {
            const int width = m_grid.colWidth(c), section = c - TGridModel::FixedCols;
            // A zero-wide column is hidden, so its header edge cannot be dragged either.
            setColumnHidden(section, width == 0);
            if (width > 0) setColumnWidth(section, width);
        }
        if (m_corner) m_corner->update();
        horizontalHeader()->viewport()->update();
        verticalHeader()->viewport()->update();
    }
    showGridSelection();
}

void TStringGridView::showGridSelection() {
    if (m_syncing) return;
    QScopedValueRollback guard(m_syncing, true);
    const QModelIndex cur = m_model->cellIndex(m_grid.Col(), m_grid.Row());
    const TGridRect& s = m_grid.selection();
    const QItemSelection want(m_model->cellIndex(s.Left, s.Top), m_model->cellIndex(s.Right, s.Bottom));
    if (currentIndex() != cur) selectionModel()->setCurrentIndex(cur, QItemSelectionModel::NoUpdate);
    if (selectionModel()->selection() != want)
        selectionModel()->select(want, QItemSelectionModel::ClearAndSelect);
    viewport()->update();
}

// The user moved the current cell or the range: the model follows. Its own
// notifications come back here and are ignored while this runs.
void TStringGridView::takeViewSelection() {
    if (m_syncing) return;
    {
        QScopedValueRollback guard(m_syncing, true);
        const QModelIndex cur = currentIndex();
        if (cur.isValid()) {
            const int col = GridTableModel::gridCol(cur), row = GridTableModel::gridRow(cur);
            if (col != m_grid.Col() || row != m_grid.Row()) m_grid.setCurrent(col, row);
        }
        const QItemSelection sel = selectionModel()->selection();
        if (!sel.isEmpty()) {
            TGridRect r{m_grid.ColCount(), m_grid.RowCount(), 0, 0};
            for (const QItemSelectionRange& range : sel) {
                r.Left = std::min(r.Left, range.left() + TGridModel::FixedCols);
                r.Top = std::min(r.Top, range.top() + TGridModel::FixedRows);
                r.Right = std::max(r.Right, range.right() + TGridModel::FixedCols);
                r.Bottom = std::max(r.Bottom, range.bottom() + TGridModel::FixedRows);
            }
            m_grid.setSelection(r);
        }
    }
    // The model may have adjusted what the view offered (the range always holds the current cell).
    showGridSelection();
}

bool TStringGridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_corner && event->type() == QEvent::Paint) {
        QPainter painter(m_corner);
        paintFixedCell(painter, m_corner->rect(), m_grid, 0, 0, font(), palette());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void TStringGridView::keyPressEvent(QKeyEvent* event) {
    if (m_keyDown && m_keyDown(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    // Delete on one cell belongs to an open editor only; the view would open
    // one with the text selected and so clear the cell without a record.
    if (event->key() == Qt::Key_Delete) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TStringGridView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex before = currentIndex();
    QTableView::mousePressEvent(event);
    m_pressMovedCurrent = currentIndex() != before;
}

bool TStringGridView::editorKeyDown(QWidget* editor, QKeyEvent* event) {
    if (!m_keyDown) return false;
    const GridKeyCommand command = gridKeyCommand(event->key(), event->modifiers(), m_grid.selection());
    if (command == GridKeyCommand::None) return false;
    if (command != GridKeyCommand::NextRow && command != GridKeyCommand::PreviousRow) {
        // Leaving the cell commits its edit, so the command sees (and can undo) what was typed.
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    const bool swallowed = m_keyDown(event->key(), event->modifiers());
    // Enter that moved the current row has closed the editor (leaving a cell
    // commits it); otherwise the editor's own Enter handling follows.
    return swallowed || state() != QAbstractItemView::EditingState;
}

bool SystemClipboardText::setText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(text);
    return clipboard->text() == text;
}

QString SystemClipboardText::text() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}
