#pragma once
// Builds application/x-www-form-urlencoded request bodies.
//
// Every request body of the service is a form. Values are percent-encoded (everything but
// A-Z a-z 0-9 - . _ ~), so text with "&", "=", "+" or "%" reaches the server as one intact
// value; plain alphanumeric values come out byte for byte as they went in.
//
//     FormBody{{"room_id", roomId}, {"content", text}}.toString()   -> "room_id=12&content=a%26b"
//     FormBody().add("page", 1).add("keyword", text).toByteArray()

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <initializer_list>
#include <utility>

namespace solvek {

class FormBody
{
public:
    FormBody() = default;
    FormBody(std::initializer_list<std::pair<QString, QString>> fields);

    FormBody& add(const QString& key, const QString& value);
    FormBody& add(const QString& key, const char* value) { return add(key, QString::fromUtf8(value)); }
    FormBody& add(const QString& key, qint64 value) { return add(key, QString::number(value)); }
    FormBody& add(const QString& key, int value) { return add(key, QString::number(value)); }

    bool isEmpty() const { return m_fields.isEmpty(); }

    // "k=v&k2=v2" with keys and values percent-encoded (UTF-8).
    QByteArray toByteArray() const;
    // The same text as a QString (it is pure ASCII), for the client operations that take text.
    QString toString() const { return QString::fromLatin1(toByteArray()); }

    // One value percent-encoded as in a form body.
    static QByteArray encode(const QString& value);

private:
    QList<QPair<QString, QString>> m_fields;
};

} // namespace solvek
