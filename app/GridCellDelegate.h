#pragma once
// Paints every cell of the result grid, fixed ones included, over the view's
// own drawing, as gridCellLook decides. Editing is the default one, except that
// keys typed into the editor are offered to the grid's key handler first.
#include "results/GridModel.h"

#include <QStyledItemDelegate>
#include <functional>

class QAbstractItemView;
class QKeyEvent;

class GridCellDelegate : public QStyledItemDelegate {
public:
    GridCellDelegate(const TGridModel& grid, QAbstractItemView& view);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Returns true when the editor must not see the key.
    using EditorKeyHook = std::function<bool(QWidget* editor, QKeyEvent* event)>;
    void setEditorKeyHook(EditorKeyHook hook) { m_editorKeyHook = std::move(hook); }

protected:
    bool eventFilter(QObject* editor, QEvent* event) override;

private:
    EditorKeyHook m_editorKeyHook;
    const TGridModel& m_grid;
    QAbstractItemView& m_view;
};
