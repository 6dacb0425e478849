#include "chat/ChatRowIndex.h"

#include "chat/ItemChatRecord.h"

void ChatRowIndex::file(const ItemChatRecord& record, QListWidgetItem* item)
{
    if (record.local_seq == -1)
        m_byId.insert(record.id, item);
    else if (!m_bySeq.contains(record.local_seq))
        m_bySeq.insert(record.local_seq, item);
}

void ChatRowIndex::forgetItem(const QListWidgetItem* item)
{
    for (auto it = m_byId.begin(); it != m_byId.end();)
        it = it.value() == item ? m_byId.erase(it) : std::next(it);
    for (auto it = m_bySeq.begin(); it != m_bySeq.end();)
        it = it.value() == item ? m_bySeq.erase(it) : std::next(it);
}

void ChatRowIndex::clear()
{
    m_byId.clear();
    m_bySeq.clear();
}
