#include "chat/MentionGuard.h"

#include <QColor>
#include <QTextCursor>
#include <QTextEdit>

namespace
{
const char kTypedColour[] = "#ffffff";
}

MentionGuard::MentionGuard(QTextEdit* input, QObject* parent) : QObject(parent), m_input(input)
{
    connect(input, &QTextEdit::cursorPositionChanged, this, &MentionGuard::onCursorMoved);
    connect(input, &QTextEdit::textChanged, this, &MentionGuard::onTextChanged);
}

QString MentionGuard::mentionHtml(const QString& nick, const QString& rest)
{
    return QStringLiteral("<font color='#7AB1FF'>@%1 </font>%2").arg(nick.toHtmlEscaped(), rest.toHtmlEscaped());
}

void MentionGuard::setMention(const QString& nick, const QString& rest)
{
    if (!m_input)
        return;
    m_suspended = true;
    m_nick = nick;
    m_input->clear();
    m_input->setHtml(mentionHtml(nick, rest));
    QTextCursor cursor = m_input->textCursor();
    cursor.movePosition(QTextCursor::End);
    m_input->setTextCursor(cursor);
    m_input->setTextColor(QColor(kTypedColour));
    m_previous = m_input->toPlainText();
    m_active = true;
    m_suspended = false;
}

void MentionGuard::stop()
{
    m_active = false;
    m_nick.clear();
    m_previous.clear();
}

void MentionGuard::onCursorMoved()
{
    if (!m_active || m_suspended || !m_input)
        return;
    const int end = m_nick.size() + 2; // "@" + nick + " "
    if (!m_input->toPlainText().startsWith(prefix()))
        return; // the text guard deals with a broken mention
    QTextCursor cursor = m_input->textCursor();
    m_suspended = true;
    if (cursor.position() < end) {
        cursor.setPosition(end, cursor.hasSelection() ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        if (cursor.anchor() < end)
            cursor.setPosition(end);
        m_input->setTextCursor(cursor);
    }
    m_input->setTextColor(QColor(kTypedColour));
    m_suspended = false;
}

void MentionGuard::onTextChanged()
{
    if (!m_active || m_suspended || !m_input)
        return;
    const QString text = m_input->toPlainText();
    if (text.startsWith(prefix())) {
        m_previous = text;
        return;
    }
    // A deletion that reached into the mention takes what is left of it.
    const int head = m_nick.size() + 1; // "@" + nick
    const int cursorPos = m_input->textCursor().position();
    // Only a plain deletion counts (what is before and after the cursor was there before): text
    // typed over a selection is the host's and stays.
    const bool deletion = text.size() < m_previous.size() && text.left(cursorPos) == m_previous.left(cursorPos) &&
                          m_previous.endsWith(text.mid(cursorPos));
    if (deletion && cursorPos <= head && m_previous.startsWith(prefix())) {
        m_suspended = true;
        QTextCursor cursor(m_input->document());
        cursor.setPosition(0);
        cursor.setPosition(qMin(head, text.size()), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_input->setTextColor(QColor(kTypedColour));
        m_suspended = false;
    }
    stop();
    if (mentionLost)
        mentionLost();
}
