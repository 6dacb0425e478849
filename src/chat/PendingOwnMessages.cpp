#include "chat/PendingOwnMessages.h"

void PendingOwnMessages::add(const QString& key, int localSeq) { m_pending[key].append(localSeq); }

bool PendingOwnMessages::cancel(const QString& key, int localSeq)
{
    const auto it = m_pending.find(key);
    if (it == m_pending.end() || !it->removeOne(localSeq))
        return false;
    m_deleted.remove(localSeq);
    m_sentAt.remove(localSeq);
    if (it->isEmpty())
        m_pending.erase(it);
    return true;
}

void PendingOwnMessages::markSent(int localSeq, qint64 nowMs) { m_sentAt.insert(localSeq, nowMs); }

QList<QPair<QString, int>> PendingOwnMessages::giveUp(qint64 sentByMs)
{
    QList<QPair<QString, int>> out;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        QList<int>& seqs = it.value();
        for (int i = 0; i < seqs.size();) {
            const int seq = seqs.at(i);
            const auto sent = m_sentAt.constFind(seq);
            if (sent == m_sentAt.constEnd() || sent.value() > sentByMs) {
                ++i;
                continue;
            }
            m_sentAt.erase(sent);
            seqs.removeAt(i);
            m_givenUpKeys[it.key()].append(seq);
            m_givenUp.insert(seq);
            out.append({it.key(), seq});
        }
        it = seqs.isEmpty() ? m_pending.erase(it) : std::next(it);
    }
    return out;
}

int PendingOwnMessages::complete(const QString& key, const QString& msgId)
{
    int seq = -1;
    auto it = m_pending.find(key);
    if (it != m_pending.end()) {
        seq = it->takeFirst();
        m_sentAt.remove(seq);
        if (it->isEmpty())
            m_pending.erase(it);
    } else {
        // A late echo of a message given up: the room has it after all.
        it = m_givenUpKeys.find(key);
        if (it == m_givenUpKeys.end())
            return -1;
        seq = it->takeFirst();
        m_givenUp.remove(seq);
        if (it->isEmpty())
            m_givenUpKeys.erase(it);
    }
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
