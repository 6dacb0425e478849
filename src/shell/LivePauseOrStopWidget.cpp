#include "shell/LivePauseOrStopWidget.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace
{
const char* kTitleStyle =
    "QLabel{font-family: Microsoft YaHei;font-size: 16px;font-weight: 400;color: #FFFFFF;}";
const char* kDescStyle =
    "QLabel{font-family: Microsoft YaHei;font-size: 12px;font-weight: 400;color: #6B6C83;}";

QLabel* iconLabel(const QString& file, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap(file).scaled(24, 24, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    return label;
}

QLabel* textLabel(const QString& text, const char* style, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(style);
    return label;
}

// One choice: the icon, the title and a spacer in a row, the description under it.
QVBoxLayout* choiceBlock(QLabel* icon, QLabel* title, QLabel* description)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(icon);
    row->addWidget(title);
    row->addItem(new QSpacerItem(40, 24, QSizePolicy::Expanding, QSizePolicy::Minimum));
    auto* block = new QVBoxLayout;
    block->setSpacing(3);
    block->addLayout(row);
    block->addWidget(description);
    return block;
}
} // namespace

LivePauseOrStopWidget::LivePauseOrStopWidget(QWidget* parent) : QDialog(parent)
{
    // Frameless with no window type: a child drawn inside the main window, not a window of its own.
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(156, 126);

    m_frame = new QFrame(this);
    m_frame->setGeometry(0, 0, 156, 126);
    m_frame->setStyleSheet("QFrame{background-color:#1C1F32;border:none;border-radius:4px;}");

    m_pauseIcon = iconLabel(":/images/live/live_pause.png", m_frame);
    m_pauseTitle = textLabel(QString::fromUtf8("暂停直播"), kTitleStyle, m_frame);
    m_pauseDesc = textLabel(QString::fromUtf8("直播暂停，不退出直播间"), kDescStyle, m_frame);
    m_stopIcon = iconLabel(":/images/live/live_stop.png", m_frame);
    m_stopTitle = textLabel(QString::fromUtf8("结束直播"), kTitleStyle, m_frame);
    m_stopDesc = textLabel(QString::fromUtf8("结束后将无法继续直播"), kDescStyle, m_frame);

    auto* layout = new QVBoxLayout(m_frame);
    layout->setContentsMargins(12, 14, 12, 12);
    layout->addLayout(choiceBlock(m_pauseIcon, m_pauseTitle, m_pauseDesc));
    layout->addLayout(choiceBlock(m_stopIcon, m_stopTitle, m_stopDesc));

    for (QObject* watched : {static_cast<QObject*>(this), static_cast<QObject*>(m_pauseTitle),
                             static_cast<QObject*>(m_stopTitle), static_cast<QObject*>(m_frame),
                             static_cast<QObject*>(m_stopIcon), static_cast<QObject*>(m_pauseIcon)})
        watched->installEventFilter(this);
}

bool LivePauseOrStopWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const bool pause = watched == m_pauseTitle || watched == m_pauseIcon;
        const bool stop = watched == m_stopTitle || watched == m_stopIcon;
        if (pause || stop) {
            if (pause)
                emit sendPause();
            else
                emit sendStop();
            hide();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
