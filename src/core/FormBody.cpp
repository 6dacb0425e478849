#include "core/FormBody.h"

#include <QUrl>

namespace solvek {

FormBody::FormBody(std::initializer_list<std::pair<QString, QString>> fields)
{
    for (const auto& f : fields)
        add(f.first, f.second);
}

FormBody& FormBody::add(const QString& key, const QString& value)
{
    m_fields.append(qMakePair(key, value));
    return *this;
}

QByteArray FormBody::encode(const QString& value)
{
    // QUrl's encoding leaves exactly the unreserved characters alone; a blank becomes %20, which
    // every form decoder reads like '+'.
    return QUrl::toPercentEncoding(value);
}

QByteArray FormBody::toByteArray() const
{
    QByteArray out;
    for (const auto& f : m_fields) {
        if (!out.isEmpty())
            out += '&';
        out += encode(f.first);
        out += '=';
        out += encode(f.second);
    }
    return out;
}

} // namespace solvek
