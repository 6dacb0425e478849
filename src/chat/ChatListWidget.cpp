#include "chat/ChatListWidget.h"

#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>

namespace {
// The height of a message row before any row of its shape was made (a one-line message).
constexpr int kFirstGuessHeight = 76;
// At most this many rows are made in one pass (a list not laid out yet may look all in view).
constexpr int kMaxMadePerPass = 64;
} // namespace

QListWidgetItem* ChatListWidget::makeRowItem(const QVariant& record, const QString& shape) const
{
    auto* item = new QListWidgetItem;
    item->setData(kRecordRole, record);
    item->setData(kShapeRole, shape);
    item->setSizeHint(m_shapeSizes.value(shape, QSize(0, kFirstGuessHeight)));
    return item;
}

QWidget* ChatListWidget::rowWidget(int row)
{
    QListWidgetItem* it = item(row);
    if (!it)
        return nullptr;
    if (QWidget* w = itemWidget(it))
        return w;
    if (!m_factory || !it->data(kRecordRole).isValid())
        return nullptr;
    return makeRow(it);
}

QWidget* ChatListWidget::makeRow(QListWidgetItem* item)
{
    QWidget* row = m_factory(item);
    const QSize size = row->sizeHint();
    m_shapeSizes.insert(item->data(kShapeRole).toString(), size);
    if (item->sizeHint() != size)
        item->setSizeHint(size);
    setItemWidget(item, row);
    m_made.insert(item, row);
    return row;
}

bool ChatListWidget::isHeld(QWidget* row) const
{
    if (row->underMouse())
        return true;
    const auto menus = row->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    for (QMenu* menu : menus) {
        if (menu->isVisible())
            return true;
    }
    return false;
}

void ChatListWidget::updateRows()
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
    const auto rowAt = [this](int y) {
        const QModelIndex index = indexAt(QPoint(1, y));
        return index.isValid() ? index.row() : -1;
    };
    int first = rowAt(qMax(0, view.top() - reach));
    if (first < 0)
        first = 0;
    int last = rowAt(view.bottom() + reach);
    if (last < 0)
        last = count() - 1;

    QScrollBar* bar = verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    bool resized = false;
    int made = 0;
    for (int r = last; r >= first && made < kMaxMadePerPass; --r) {
        QListWidgetItem* it = item(r);
        if (!it->data(kRecordRole).isValid() || itemWidget(it))
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
        removeItemWidget(item);
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

void ChatListWidget::endRows()
{
    if (!m_grouping)
        return;
    m_grouping = false;
    // Runs the layout the insertions asked for and places every row widget.
    updateEditorGeometries();
    updateRows();
}

void ChatListWidget::updateEditorGeometries()
{
    if (m_grouping)
        return;
    QListWidget::updateEditorGeometries();
}

void ChatListWidget::doItemsLayout()
{
    QListWidget::doItemsLayout();
    updateRows();
}

void ChatListWidget::scrollContentsBy(int dx, int dy)
{
    QListWidget::scrollContentsBy(dx, dy);
    updateRows();
}

void ChatListWidget::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
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
    QListWidget::rowsAboutToBeRemoved(parent, start, end);
}

void ChatListWidget::reset()
{
    for (const QPointer<QWidget>& row : qAsConst(m_made)) {
        if (row)
            disconnect(row, nullptr, this, nullptr);
    }
    m_made.clear();
    QListWidget::reset();
}
