#include "chat/UserRemindMsgWidget.h"

#include <QApplication>
#include <QDebug>
#include <QFontMetrics>
#include <QLabel>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
const char* const kLabelStyle = "font-weight: 400;font-size: 14px;color: #FFFFFF;line-height: 20px;text-align: left;"
                                "font-style: normal;font-family: Microsoft YaHei;";
const char* const kStripStyle = "background: qlineargradient(x1:0, y1:0, x2:1, y2:0,stop:0 rgba(250, 173, 20, 0.90), "
                                "stop:1 rgba(250, 173, 20, 0));border-radius: 4px; ";
const QString kEllipsis = QStringLiteral("...");

QString enterTemplate()
{
    return QString::fromUtf8("欢迎 <b>%1</b> 进入直播间");
}

QString leaveTemplate()
{
    return QString::fromUtf8("<b>%1</b> 离开直播间");
}

QString plainTemplate(bool enter)
{
    QString t = enter ? enterTemplate() : leaveTemplate();
    return t.remove(QLatin1String("<b>")).remove(QLatin1String("</b>"));
}

// The first `count` code units of `text`, moved back to a character boundary so that no
// surrogate pair (or a character's combining marks) is split.
QString headAtBoundary(const QString& text, int count)
{
    if (count <= 0)
        return QString();
    if (count >= text.size())
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(count);
    if (!finder.isAtBoundary())
        finder.toPreviousBoundary();
    return text.left(std::max(0, finder.position()));
}
} // namespace

UserRemindMsgWidget::UserRemindMsgWidget(QWidget* parent) : QWidget(nullptr)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setContentsMargins(0, 0, 0, 0);
    m_layout = new QVBoxLayout(this);
    m_layout->setSpacing(4);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setAlignment(Qt::AlignBottom);
    setParent(parent, windowFlags() & ~Qt::WindowType_Mask); // a plain child of the parent
    if (parent) {
        move(8, parent->height() - kRows * kRowHeight - 8);
        resize(parent->width(), kRows * kRowHeight + 8);
    }
    show();
}

QString UserRemindMsgWidget::plainSentence(const QString& name, bool enter)
{
    return plainTemplate(enter).arg(name);
}

QString UserRemindMsgWidget::fittedName(const QString& name, bool enter, const QFontMetrics& metrics, int width)
{
    const QString whole = plainSentence(name, enter);
    const QString elided = metrics.elidedText(whole, Qt::ElideRight, width);
    if (elided.size() >= whole.size())
        return name;
    // Qt elides with one ellipsis character; the name loses what the sentence lost, and one more
    // character to make room for "...".
    const int lost = whole.size() - elided.size();
    QString shortened = headAtBoundary(name, name.size() - lost - 1);
    // "..." can be wider than Qt's ellipsis: cut further until the sentence fits.
    while (!shortened.isEmpty() &&
           metrics.horizontalAdvance(plainSentence(shortened + kEllipsis, enter)) > width)
        shortened = headAtBoundary(shortened, shortened.size() - 1);
    return shortened + kEllipsis;
}

QString UserRemindMsgWidget::noticeText(const QString& name, bool enter, const QFontMetrics& metrics, int width)
{
    // Escaped after shortening: markup in a nickname is shown as typed, never rendered.
    const QString fitted = fittedName(name, enter, metrics, width);
    return (enter ? enterTemplate() : leaveTemplate()).arg(fitted.toHtmlEscaped());
}

void UserRemindMsgWidget::addNewMsg(const QString& name, bool enter)
{
    qDebug() << "addNewMsg";
    show();
    if (!m_label) {
        m_label = new QLabel(this);
        m_layout->addWidget(m_label);
    }
    m_label->setStyleSheet(QString::fromLatin1(kLabelStyle) + QString::fromLatin1(kStripStyle));
    const int labelWidth = width() - kLabelInset;
    m_label->setTextFormat(Qt::RichText);
    m_label->setText(noticeText(name, enter, QFontMetrics(QApplication::font()), labelWidth));
    m_label->setContentsMargins(11, 2, 0, 3);
    m_label->adjustSize();
    m_label->setFixedWidth(labelWidth);
    QTimer::singleShot(m_hideDelayMs, m_label, [this] { hide(); });
}
