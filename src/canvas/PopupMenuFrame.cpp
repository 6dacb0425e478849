#include "canvas/PopupMenuFrame.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace
{
const char* kFrameStyle = "QFrame{background-color:#2C2F42;border:none;border-radius:4px;}";
const char* kTextStyle = "font-family: Microsoft YaHei;font-size: 14px;color: #ffffff;line-height: 20px;";

QLabel* iconLabel(QWidget* parent, const QString& file)
{
    auto* label = new QLabel(parent);
    label->setFixedSize(16, 16);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QString("border-image:url(:/images/live/%1)").arg(file));
    return label;
}
} // namespace

PopupMenuFrame::PopupMenuFrame(QWidget* parent, const QSize& size) : QDialog(parent)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(size);

    m_frame = new QFrame(this);
    m_frame->setStyleSheet(kFrameStyle);
    m_frame->setFixedSize(size);
    m_column = new QVBoxLayout(m_frame);
    m_column->setContentsMargins(0, 4, 0, 4);
    m_column->setSpacing(0);

    watch(this, -1);
    watch(m_frame, -1);
}

PopupMenuFrame::Row PopupMenuFrame::addRow(int id, const char* icon, const char* text,
                                           const QMargins& margins, bool arrow, bool laidOut)
{
    Row row;
    row.icon = iconLabel(m_frame, QString::fromLatin1(icon));
    row.text = new QLabel(QString::fromUtf8(text), m_frame);
    row.text->setStyleSheet(kTextStyle);
    if (arrow)
        row.arrow = iconLabel(m_frame, QStringLiteral("overturnicon.png"));
    for (QLabel* label : {row.icon, row.text, row.arrow})
        if (label)
            watch(label, id);

    if (!laidOut) {
        for (QLabel* label : {row.icon, row.text, row.arrow})
            if (label)
                label->hide();
        return row;
    }
    row.layout = new QHBoxLayout;
    row.layout->setSpacing(4);
    row.layout->setContentsMargins(margins);
    row.layout->addWidget(row.icon);
    row.layout->addWidget(row.text);
    if (row.arrow)
        row.layout->addWidget(row.arrow);
    m_column->addLayout(row.layout);
    return row;
}

void PopupMenuFrame::watch(QObject* object, int row)
{
    m_rowOf.insert(object, row);
    object->installEventFilter(this);
}

bool PopupMenuFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && m_rowOf.contains(watched) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        return rowPressed(m_rowOf.value(watched));
    return QDialog::eventFilter(watched, event);
}
