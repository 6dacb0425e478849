#pragma once
// The host's own messages waiting for their echo, and the server ids the echoes brought.
//
// The echo of an own message is recognised by its text (or picture address) alone, so two
// identical texts sent before either echo share a key. Each key keeps its local numbers in the
// order they were sent: the first echo completes the first message, the second the second, and
// neither echo turns into an extra row. A message that will never reach the room (blocked,
// refused, not sent) is taken back, so it cannot swallow the echo of a later identical text.
//
// A message handed to the channel waits for its echo only so long: when the connection it went
// out on is lost, or its echo is overdue, it is given up (the host is told it failed). An echo
// that still comes completes it all the same, so it never becomes a second row.

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>

class PendingOwnMessages
{
public:
    // Queues localSeq behind any earlier pending message with the same key.
    void add(const QString& key, int localSeq);
    // Takes back one pending message (it will never be echoed); false when it was not pending.
    bool cancel(const QString& key, int localSeq);
    // The pending message went out on the channel at nowMs (any steady clock in milliseconds).
    void markSent(int localSeq, qint64 nowMs);
    // Gives up every pending message that went out at or before sentByMs: they leave the pending
    // messages and are returned (key and local number), oldest first within a key.
    QList<QPair<QString, int>> giveUp(qint64 sentByMs);
    bool isGivenUp(int localSeq) const { return m_givenUp.contains(localSeq); }
    // An echo with this key completes the oldest pending message of the key, or else the oldest
    // given-up one: its number is returned and msgId recorded as its server id. -1 when nothing
    // with the key is pending or given up.
    int complete(const QString& key, const QString& msgId);

    bool isPending(const QString& key) const { return m_pending.contains(key); }
    int pendingCount() const;

    // The server id an echo brought for an own message ("" when none came).
    QString serverId(int localSeq) const { return m_serverIds.value(localSeq); }
    // The own message a server id belongs to, or -1.
    int localSeqForServerId(const QString& msgId) const { return m_seqByServerId.value(msgId, -1); }
    // Forgets the server id of an own message (its row was deleted).
    void forgetServerId(int localSeq);

    // The host deleted the row of a message still waiting for its echo: the room has it all the
    // same once the echo comes, so the echo's id must then be deleted on the server.
    void markDeleted(int localSeq) { m_deleted.insert(localSeq); }
    bool isMarkedDeleted(int localSeq) const { return m_deleted.contains(localSeq); }
    // Takes the mark back; true when the message was marked.
    bool takeDeleted(int localSeq) { return m_deleted.remove(localSeq); }

private:
    QHash<QString, QList<int>> m_pending;
    QHash<int, qint64> m_sentAt;              // pending messages that went out, by local number
    QHash<QString, QList<int>> m_givenUpKeys; // given up, their echo still welcome
    QSet<int> m_givenUp;
    QHash<int, QString> m_serverIds;
    QHash<QString, int> m_seqByServerId;
    QSet<int> m_deleted;
};
