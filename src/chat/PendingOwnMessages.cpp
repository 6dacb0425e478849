#include "chat/PendingOwnMessages.h"

void PendingOwnMessages::add(const QString& key, int localSeq) { m_pending[key].append(localSeq); }

bool PendingOwnMessages::cancel(const QString& key, int localSeq)
{
    const auto it = m_pending.find(key);
    if (it == m_pending.end() || !it->removeOne(localSeq))
        return false;
    m_deleted.remove(localSeq);
    if (it->isEmpty())
        m_pending.erase(it);
    return true;
}

int PendingOwnMessages::complete(const QString& key, const QString& msgId)
{
    const auto it = m_pending.find(key);
    if (it == m_pending.end())
        return -1;
    const int seq = it->takeFirst();
    if (it->isEmpty())
        m_pending.erase(it);
    m_serverIds.insert(seq, msgId);
    if (!msgId.isEmpty())
        m_seqByServerId.insert(msgId, seq);
    return seq;
}

int PendingOwnMessages::pendingCount() const
{
    int n = 0;
    for (const QList<int>& seqs : m_pending)
        n += seqs.size();
    return n;
}

void PendingOwnMessages::forgetServerId(int localSeq)
{
    const QString id = m_serverIds.take(localSeq);
    if (!id.isEmpty() && m_seqByServerId.value(id, -1) == localSeq)
        m_seqByServerId.remove(id);
}
