#pragma once
// The text a reader sees in a rich-text string (tool tips, reminder and chat labels).

#include <QString>
#include <QTextDocument>

namespace testsupport {

inline QString plainText(const QString& rich)
{
    QTextDocument doc;
    doc.setHtml(rich);
    return doc.toPlainText();
}

} // namespace testsupport
