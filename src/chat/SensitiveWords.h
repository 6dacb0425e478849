#pragma once
// The current room's sensitive words and the local check of the host's chat text.
//
// A text containing a listed word (case-sensitive, anywhere in the text) is never posted to the
// room. Empty and blank entries of the list are ignored: an empty word would otherwise occur in
// every text and silently block everything the host types.

#include <QJsonObject>
#include <QString>
#include <QStringList>

class SensitiveWords
{
public:
    void clear() { m_words.clear(); }
    // Appends every element of the reply's "data"."list" in order: each read as text (anything
    // but a string gives an empty word), percent-decoded as UTF-8.
    void appendFromReply(const QJsonObject& reply);
    void setWords(const QStringList& words) { m_words = words; }
    const QStringList& words() const { return m_words; }

    // The first listed word (in list order) found in the text, or a null text when none is.
    QString firstHit(const QString& text) const;
    bool blocks(const QString& text) const { return !firstHit(text).isNull(); }

    // A list element as stored: UTF-8, percent-decoded, UTF-8 again ("%E8%BF%9D" -> "违").
    static QString decodeWord(const QString& element);

private:
    QStringList m_words;
};
