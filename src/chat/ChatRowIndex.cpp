#include "chat/ChatRowIndex.h"

#include "chat/ItemChatRecord.h"

void ChatRowIndex::file(const ItemChatRecord& record, QListWidgetItem* item)
{
    if (record.local_seq == -1)
        m_byId[record.id].append(item);
    else if (!m_bySeq.contains(record.local_seq))
        m_bySeq.insert(record.local_seq, item);
}

QListWidgetItem* ChatRowIndex::itemForId(const QString& id) const
{
    const auto it = m_byId.constFind(id);
    return it == m_byId.constEnd() || it->isEmpty() ? nullptr : it->last();
}

void ChatRowIndex::forgetItem(const QListWidgetItem* item)
{
    for (auto it = m_byId.begin(); it != m_byId.end();) {
        it->removeAll(const_cast<QListWidgetItem*>(item));
        it = it->isEmpty() ? m_byId.erase(it) : std::next(it);
    }
    for (auto it = m_bySeq.begin(); it != m_bySeq.end();)
        it = it.value() == item ? m_bySeq.erase(it) : std::next(it);
}

void ChatRowIndex::forgetItem(const ItemChatRecord& record, const QListWidgetItem* item)
{
    if (record.local_seq != -1) {
        if (m_bySeq.value(record.local_seq) == item)
            m_bySeq.remove(record.local_seq);
        return;
    }
    const auto it = m_byId.find(record.id);
    if (it == m_byId.end())
        return;
    it->removeAll(const_cast<QListWidgetItem*>(item));
    if (it->isEmpty())
        m_byId.erase(it);
}

void ChatRowIndex::clear()
{
    m_byId.clear();
    m_bySeq.clear();
}
