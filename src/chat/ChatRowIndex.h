#pragma once
// Which chat list items show which message: the host's own rows by local number, every other
// row by message id.
//
// An id may be shown more than once (the room may send it again once the incoming queue has
// drained), so an id names every row that shows it: deleting the message takes all of them.
// Entries point at items the list owns. Whoever clears or deletes rows of the list clears or
// takes the matching entries in the same step, so no entry ever names a deleted item.

#include <QHash>
#include <QList>
#include <QString>

class ItemChatRecord;
class QListWidgetItem;

class ChatRowIndex
{
public:
    // Files the row of a record just added: a record that is not the host's own under its id
    // (beside any earlier row of the same id), an own record under its local number unless that
    // number is filed already.
    void file(const ItemChatRecord& record, QListWidgetItem* item);

    // The latest row of the id (null when none).
    QListWidgetItem* itemForId(const QString& id) const;
    QList<QListWidgetItem*> itemsForId(const QString& id) const { return m_byId.value(id); }
    bool hasId(const QString& id) const { return m_byId.contains(id); }
    QListWidgetItem* itemForLocalSeq(int localSeq) const { return m_bySeq.value(localSeq, nullptr); }
    // Takes the entries out and returns their items (none when there were none).
    QList<QListWidgetItem*> takeId(const QString& id) { return m_byId.take(id); }
    QListWidgetItem* takeLocalSeq(int localSeq) { return m_bySeq.take(localSeq); }
    // Forgets every entry naming the item (its row went by other means).
    void forgetItem(const QListWidgetItem* item);
    // The same for an item known to show `record`: only that record's entries are looked at.
    void forgetItem(const ItemChatRecord& record, const QListWidgetItem* item);

    void clear();
    int idCount() const { return m_byId.size(); }
    int ownCount() const { return m_bySeq.size(); }
    bool isEmpty() const { return m_byId.isEmpty() && m_bySeq.isEmpty(); }

private:
    QHash<QString, QList<QListWidgetItem*>> m_byId;
    QHash<int, QListWidgetItem*> m_bySeq;
};
