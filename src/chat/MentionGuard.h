#pragma once
// Keeps a mention ("@<nick> " in front of the chat input) whole while the host types.
//
// While a mention is set, the cursor cannot go into it, and a deletion that reaches into it
// removes what is left of it at once: the mention goes as one piece. Once the input no longer
// starts with the mention (deleted, cleared by a send, replaced) the guard lets go and reports
// it, so the next message is an ordinary one. Its own edits run with the guard suspended, so
// they never trigger it again.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QTextEdit;

class MentionGuard : public QObject
{
    Q_OBJECT
public:
    explicit MentionGuard(QTextEdit* input, QObject* parent = nullptr);

    // Puts "@<nick> " (escaped rich text in the mention colour) before `rest` and guards it.
    void setMention(const QString& nick, const QString& rest);
    // Lets go without touching the input.
    void stop();
    bool isActive() const { return m_active; }
    QString nick() const { return m_nick; }

    // Called once when the mention is gone from the input.
    std::function<void()> mentionLost;

    // The rich text the input shows for a mention: nick and text are shown as they are.
    static QString mentionHtml(const QString& nick, const QString& rest);

private:
    void onCursorMoved();
    void onTextChanged();
    QString prefix() const { return QLatin1Char('@') + m_nick + QLatin1Char(' '); }

    QPointer<QTextEdit> m_input;
    QString m_nick;
    QString m_previous;
    bool m_active = false;
    bool m_suspended = false;
};
