#pragma once
// Which chat list item shows which message: the host's own rows by local number, every other
// row by message id.
//
// Entries point at items the list owns. Whoever clears or deletes rows of the list clears or
// takes the matching entries in the same step, so no entry ever names a deleted item.

#include <QHash>
#include <QMap>
#include <QString>

class ItemChatRecord;
class QListWidgetItem;

class ChatRowIndex
{
public:
    // Files the row of a record just added: a record that is not the host's own under its id (a
    // row filed earlier under the same id is forgotten), an own record under its local number
    // unless that number is filed already.
    void file(const ItemChatRecord& record, QListWidgetItem* item);

    QListWidgetItem* itemForId(const QString& id) const { return m_byId.value(id, nullptr); }
    QListWidgetItem* itemForLocalSeq(int localSeq) const { return m_bySeq.value(localSeq, nullptr); }
    // Takes the entry out and returns its item (null when there was none).
    QListWidgetItem* takeId(const QString& id) { return m_byId.take(id); }
    QListWidgetItem* takeLocalSeq(int localSeq) { return m_bySeq.take(localSeq); }
    // Forgets every entry naming the item (its row went by other means).
    void forgetItem(const QListWidgetItem* item);

    void clear();
    int idCount() const { return m_byId.size(); }
    int ownCount() const { return m_bySeq.size(); }
    bool isEmpty() const { return m_byId.isEmpty() && m_bySeq.isEmpty(); }

private:
    QMap<QString, QListWidgetItem*> m_byId;
    QHash<int, QListWidgetItem*> m_bySeq;
};
