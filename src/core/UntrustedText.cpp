#include "core/UntrustedText.h"

#include <QTextDocument>

namespace solvek {

QString plainToolTip(const QString& text)
{
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap);
}

QString withoutBidiControls(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069))
            continue;
        out += c;
    }
    return out.size() == text.size() ? text : out;
}

} // namespace solvek
