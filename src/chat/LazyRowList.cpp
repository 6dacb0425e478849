#include "chat/LazyRowList.h"

#include <QAbstractItemDelegate>
#include <QHoverEvent>
#include <QMenu>
#include <QPainter>
#include <QPaintEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>

namespace {
// At most this many rows are made in one pass (a list not laid out yet may look all in view).
constexpr int kMaxMadePerPass = 64;
} // namespace

QListWidgetItem* LazyRowList::makeRowItem(const QVariant& record, const QString& shape) const
{
    auto* item = new QListWidgetItem;
    item->setData(kRecordRole, record);
    item->setData(kShapeRole, shape);
    item->setSizeHint(m_shapeSizes.value(shape, m_firstGuess));
    return item;
}

QWidget* LazyRowList::rowWidget(int row)
{
    QListWidgetItem* it = item(row);
    if (!it)
        return nullptr;
    if (it->data(kRecordRole).isValid()) {
        if (QWidget* w = m_made.value(it))
            return w;
        return m_factory ? makeRow(it) : nullptr;
    }
    return itemWidget(it);
}

QWidget* LazyRowList::makeRow(QListWidgetItem* item)
{
    QWidget* row = m_factory(item);
    // The size the row asks for, within the bounds it sets itself (a row of fixed height).
    const QSize size = row->sizeHint().expandedTo(row->minimumSize()).boundedTo(row->maximumSize());
    m_shapeSizes.insert(item->data(kShapeRole).toString(), size);
    if (item->sizeHint() != size)
        item->setSizeHint(size);
    setItemWidget(item, row);
    m_made.insert(item, row);
    return row;
}

QListWidgetItem* LazyRowList::itemForRow(const QWidget* row) const
{
    if (!row)
        return nullptr;
    for (auto it = m_made.cbegin(); it != m_made.cend(); ++it) {
        if (it.value() == row)
            return it.key();
    }
    return nullptr;
}

void LazyRowList::releaseRow(QListWidgetItem* item, QWidget* row)
{
    // The view knows a row widget by its index. Asking the list for an item's index searches every
    // row once rows above it came or went; the row under the widget's middle is the same answer.
    const int r = rowAtViewportY(row->geometry().center().y());
    if (r >= 0 && QListWidget::item(r) == item)
        setIndexWidget(model()->index(r, 0), nullptr);
    else
        removeItemWidget(item);
}

bool LazyRowList::isHeld(QWidget* row) const
{
    if (row->underMouse() || row->property(kHeldProperty).toInt() > 0)
        return true;
    const auto menus = row->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    for (QMenu* menu : menus) {
        if (menu->isVisible())
            return true;
    }
    return false;
}

void LazyRowList::updateRows()
{
    if (!m_factory || m_updating || m_grouping || count() == 0)
        return;
    const QRect view = viewport()->rect();
    if (view.height() <= 0)
        return;
    QScopedValueRollback<bool> guard(m_updating, true);

    // Rows in view and half a screen below are made (rows scrolled into view are made as the
    // scroll happens, before it is painted); rows beyond two screens are let go.
    const int reach = view.height() / 2;
    const int first = qMax(0, rowAtViewportY(view.top() - reach));
    int last = rowAtViewportY(view.bottom() + reach);
    if (last < 0)
        last = count() - 1;

    QScrollBar* bar = verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    bool resized = false;
    int made = 0;
    for (int r = last; r >= first && made < kMaxMadePerPass; --r) {
        QListWidgetItem* it = item(r);
        if (m_made.contains(it) || !it->data(kRecordRole).isValid())
            continue;
        const QSize guessed = it->sizeHint();
        makeRow(it);
        resized = resized || it->sizeHint() != guessed;
        ++made;
    }

    const QRect kept = view.adjusted(0, -2 * view.height(), 0, 2 * view.height());
    for (auto it = m_made.begin(); it != m_made.end();) {
        QPointer<QWidget> row = it.value();
        if (row && (kept.intersects(row->geometry()) || isHeld(row))) {
            ++it;
            continue;
        }
        QListWidgetItem* item = it.key();
        it = m_made.erase(it);
        if (!row)
            continue;
        // The row keeps the size its widget settled on, and so do unmade rows of its shape.
        m_shapeSizes.insert(item->data(kShapeRole).toString(), item->sizeHint());
        disconnect(row, nullptr, this, nullptr);
        releaseRow(item, row);
        if (row) {
            row->hide();
            row->deleteLater();
        }
    }

    // Rows made at the bottom may differ from their guessed size: a list that showed its bottom
    // shows it again.
    if (resized && atBottom && !m_followQueued) {
        m_followQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_followQueued = false;
            scrollToBottom();
        });
    }
}

void LazyRowList::endRows()
{
    if (!m_grouping)
        return;
    m_grouping = false;
    // Runs the layout the insertions asked for (the scroll range, then the rows in reach are made)
    // and places every row widget.
    executeDelayedItemsLayout();
    updateEditorGeometries();
    updateRows();
}


void LazyRowList::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    if (!parent.isValid() && !m_made.isEmpty()) {
        for (int r = start; r <= end; ++r) {
            const auto found = m_made.find(item(r));
            if (found == m_made.end())
                continue;
            // The widget goes with its item (the view lets it go); it reports to the item no more.
            if (found.value())
                disconnect(found.value(), nullptr, this, nullptr);
            m_made.erase(found);
        }
    }
    // As a list view does: the rows still stand while the view lets their widgets go; the rows
    // below move up with the layout that follows.
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
    if (!parent.isValid()) {
        syncHeights();
        m_heights.remove(start, end - start + 1);
    }
    scheduleDelayedItemsLayout();
}

void LazyRowList::reset()
{
    for (const QPointer<QWidget>& row : qAsConst(m_made)) {
        if (row)
            disconnect(row, nullptr, this, nullptr);
    }
    m_made.clear();
    m_heights.clear();
    QListWidget::reset();
}

// ---- layout -------------------------------------------------------------------------------------

QSize LazyRowList::rowSize(const QModelIndex& index) const
{
    // The delegate answers a row's size hint when it has one; asking the item is the same answer
    // without building the style options.
    const QVariant hint = index.data(Qt::SizeHintRole);
    if (hint.isValid())
        return hint.toSize();
    QAbstractItemDelegate* delegate = itemDelegate(index);
    return delegate ? delegate->sizeHint(viewOptions(), index) : QSize();
}

void LazyRowList::syncHeights() const
{
    const int rows = count();
    if (m_heights.count() == rows)
        return;
    m_heights.clear();
    for (int r = 0; r < rows; ++r)
        m_heights.append(rowSize(model()->index(r, 0)).height());
}

int LazyRowList::rowAtViewportY(int y) const
{
    syncHeights();
    const int row = m_heights.rowAt(y + verticalOffset());
    return row >= 0 && row < m_heights.count() ? row : -1;
}

int LazyRowList::verticalOffset() const { return verticalScrollBar()->value(); }

QRect LazyRowList::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.parent().isValid() || index.column() != 0)
        return QRect();
    // As a list view does, a layout still pending is run first (it places the row widgets).
    const_cast<LazyRowList*>(this)->executeDelayedItemsLayout();
    syncHeights();
    const int row = index.row();
    if (row >= m_heights.count())
        return QRect();
    // Rows span the viewport, or their own width when that is wider.
    const int width = qMax(rowSize(index).width(), viewport()->width());
    return QRect(0, m_heights.top(row) - verticalOffset(), width, m_heights.height(row));
}

QModelIndex LazyRowList::indexAt(const QPoint& point) const
{
    const_cast<LazyRowList*>(this)->executeDelayedItemsLayout();
    const int row = rowAtViewportY(point.y());
    if (row < 0)
        return QModelIndex();
    const QModelIndex index = model()->index(row, 0);
    return visualRect(index).contains(point) ? index : QModelIndex();
}

void LazyRowList::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || index.parent().isValid() || index.column() != 0)
        return;
    const QRect rect = visualRect(index);
    if (!rect.isValid())
        return;
    const QRect area = viewport()->rect();
    if (hint == EnsureVisible && area.contains(rect)) {
        viewport()->update(rect);
        return;
    }
    const bool above = hint == EnsureVisible && rect.top() < area.top();
    const bool below = hint == EnsureVisible && rect.bottom() > area.bottom();
    int value = verticalScrollBar()->value();
    if (hint == PositionAtTop || above)
        value += rect.top();
    else if (hint == PositionAtBottom || below)
        value += qMin(rect.top(), rect.bottom() - area.height() + 1);
    else if (hint == PositionAtCenter)
        value += rect.top() - (area.height() - rect.height()) / 2;
    verticalScrollBar()->setValue(value);
}

void LazyRowList::rowsInserted(const QModelIndex& parent, int start, int end)
{
    if (!parent.isValid()) {
        // Only the new rows are asked their size; rows added at the end cost O(log n) each.
        if (m_heights.count() == count() - (end - start + 1)) {
            for (int r = start; r <= end; ++r)
                m_heights.insert(r, rowSize(model()->index(r, 0)).height());
        }
        syncHeights();
    }
    QAbstractItemView::rowsInserted(parent, start, end);
    scheduleDelayedItemsLayout();
}

void LazyRowList::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QVector<int>& roles)
{
    if (topLeft.isValid() && !topLeft.parent().isValid() && (roles.isEmpty() || roles.contains(Qt::SizeHintRole))) {
        syncHeights();
        bool moved = false;
        for (int r = topLeft.row(); r <= bottomRight.row() && r < m_heights.count(); ++r) {
            const int height = rowSize(model()->index(r, 0)).height();
            moved = moved || height != m_heights.height(r);
            m_heights.set(r, height);
        }
        // The rows below moved: they are placed again when the event loop runs.
        if (moved)
            scheduleDelayedItemsLayout();
    }
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void LazyRowList::updateGeometries()
{
    syncHeights();
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, qMax(0, m_heights.total() - viewport()->height()));
    QAbstractItemView::updateGeometries();
}

void LazyRowList::updateEditorGeometries()
{
    if (m_grouping)
        return;
    QListWidget::updateEditorGeometries();
}

void LazyRowList::doItemsLayout()
{
    // The heights are kept up to date: what is left to lay out is the scroll range and the place
    // of each row widget.
    const State old = state();
    setState(ExpandingState); // scroll bars shown or hidden on the way lay nothing out again
    QAbstractItemView::doItemsLayout();
    setState(old);
    updateRows();
}

void LazyRowList::resizeEvent(QResizeEvent* event)
{
    // Rows are placed for the new width at once (no relayout of every row is needed); rows a taller
    // viewport brings within reach are made.
    QAbstractItemView::resizeEvent(event);
    updateRows();
}

void LazyRowList::scrollContentsBy(int dx, int dy)
{
    scrollDirtyRegion(dx, dy);
    viewport()->scroll(dx, dy);
    updateRows();
}

bool LazyRowList::viewportEvent(QEvent* event)
{
    // The row under the pointer is painted as hovered, as a list view paints it.
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove: {
        const QModelIndex index = indexAt(static_cast<QHoverEvent*>(event)->pos());
        if (index != m_hover) {
            update(m_hover);
            m_hover = index;
            update(index);
        }
        break;
    }
    case QEvent::HoverLeave:
    case QEvent::Leave:
        update(m_hover);
        m_hover = QPersistentModelIndex();
        break;
    default:
        break;
    }
    return QListWidget::viewportEvent(event);
}

void LazyRowList::paintEvent(QPaintEvent* event)
{
    // Only the rows the damaged area crosses are painted, as a list view paints them.
    if (count() == 0 || !itemDelegate())
        return;
    QStyleOptionViewItem option = viewOptions();
    QPainter painter(viewport());
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QStyle::State state = option.state;
    const bool enabled = (state & QStyle::State_Enabled) != 0;
    const QRect area = event->rect();
    const int first = qMax(0, rowAtViewportY(area.top()));
    const int lastInView = rowAtViewportY(area.bottom());
    const int last = lastInView < 0 ? count() - 1 : lastInView;
    for (int r = first; r <= last; ++r) {
        const QModelIndex index = model()->index(r, 0);
        option.rect = visualRect(index);
        if (option.rect.top() > area.bottom())
            break;
        option.rect.setWidth(qMin(viewport()->width(), option.rect.width()));
        option.state = state;
        if (selectionModel() && selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (enabled) {
            const bool itemEnabled = (model()->flags(index) & Qt::ItemIsEnabled) != 0;
            if (!itemEnabled)
                option.state &= ~QStyle::State_Enabled;
            option.palette.setCurrentColorGroup(itemEnabled ? QPalette::Normal : QPalette::Disabled);
        }
        if (focus && current == index) {
            option.state |= QStyle::State_HasFocus;
            if (this->state() == EditingState)
                option.state |= QStyle::State_Editing;
        }
        option.state.setFlag(QStyle::State_MouseOver, index == m_hover);
        itemDelegate(index)->paint(&painter, option, index);
    }
}

QModelIndex LazyRowList::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int rows = count();
    if (rows == 0)
        return QModelIndex();
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(0, 0);
    int row = current.row();
    switch (action) {
    case MoveUp:
    case MovePrevious:
        row = qMax(0, row - 1);
        break;
    case MoveDown:
    case MoveNext:
        row = qMin(rows - 1, row + 1);
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    case MovePageUp:
    case MovePageDown: {
        syncHeights();
        const int step = action == MovePageUp ? -viewport()->height() : viewport()->height();
        row = qBound(0, m_heights.rowAt(qMax(0, m_heights.top(row) + step)), rows - 1);
        break;
    }
    default:
        break;
    }
    return model()->index(row, 0);
}

void LazyRowList::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel())
        return;
    // The rows from the one at the top of the rectangle to the one at its bottom.
    const QRect r = rect.normalized();
    const int top = rowAtViewportY(r.top());
    const int bottom = rowAtViewportY(r.bottom());
    QItemSelection selection;
    if (top >= 0 || bottom >= 0) {
        const QModelIndex from = model()->index(top >= 0 ? top : bottom, 0);
        const QModelIndex to = model()->index(bottom >= 0 ? bottom : top, 0);
        if ((model()->flags(from) & Qt::ItemIsEnabled) && (model()->flags(to) & Qt::ItemIsEnabled))
            selection.select(from, to);
    }
    selectionModel()->select(selection, command);
}
