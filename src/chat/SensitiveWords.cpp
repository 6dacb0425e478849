#include "chat/SensitiveWords.h"

#include "chat/RoomProtocol.h"

#include <QJsonArray>

QString SensitiveWords::decodeWord(const QString& element)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(element.toUtf8()));
}

void SensitiveWords::appendFromReply(const QJsonObject& reply)
{
    const QJsonObject data = RoomProtocol::readObject(reply.value(QLatin1String("data")));
    const QJsonArray list = data.value(QLatin1String("list")).toArray();
    for (const QJsonValue& element : list)
        m_words.append(decodeWord(RoomProtocol::readText(element)));
}

QString SensitiveWords::firstHit(const QString& text) const
{
    for (const QString& word : m_words) {
        if (word.trimmed().isEmpty())
            continue;
        if (text.contains(word, Qt::CaseSensitive))
            return word;
    }
    return QString();
}
