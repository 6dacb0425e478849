#include "documents/WhiteBoardShowInfoWidget.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

namespace
{
const char* kFrameSelected = "#frameparent{background:#FBFBFA;border:2px solid #0669F5;border-radius:4px}";
const char* kFrameUnselected = "#frameparent{background:#FBFBFA;border:2px solid #2c2f42;border-radius:4px}";
} // namespace

WhiteBoardShowInfoWidget::WhiteBoardShowInfoWidget(QWidget* parent, int number) : QWidget(parent)
{
    setFixedSize(kWidth, kHeight);

    m_frame = new QFrame(this);
    m_frame->setObjectName("frameparent");
    m_frame->setGeometry(2, 2, 136, 74);
    m_frame->setStyleSheet("#frameparent{background:#FBFBFA;}");

    m_badge = new QFrame(this);
    m_badge->setObjectName("lblframe");
    m_badge->setStyleSheet("#lblframe{background-color:#1C1F32;border:none;border-top-left-radius:4px;"
                           "border-bottom-right-radius:4px;}");
    m_numberLabel = new QLabel(m_badge);
    m_numberLabel->setObjectName("boardNumber");
    m_numberLabel->setAlignment(Qt::AlignCenter);
    m_numberLabel->setStyleSheet("color:#FFFFFF;font-weight:bold;font-size:12px;background:transparent;");

    m_closeIcon = new QLabel(this);
    m_closeIcon->setObjectName("boardClose");
    m_closeIcon->setGeometry(115, 5, 16, 16);
    m_closeIcon->setStyleSheet("border-image:url(:/images/live/documentTipClose.png);background:transparent;");
    m_closeIcon->installEventFilter(this);
    m_closeIcon->hide();

    setNumber(number);
}

void WhiteBoardShowInfoWidget::setNumber(int number)
{
    m_number = number;
    m_numberLabel->setText(QString::number(number));
    const int textWidth = m_numberLabel->fontMetrics().horizontalAdvance(m_numberLabel->text());
    m_numberLabel->setGeometry(0, 0, textWidth + 6, 22);
    m_badge->setGeometry(1, 2, textWidth + 8, 22);
}

void WhiteBoardShowInfoWidget::setSelected(bool selected)
{
    m_selected = selected;
    applyFrameLook(selected);
}

void WhiteBoardShowInfoWidget::applyFrameLook(bool highlighted)
{
    m_frame->setStyleSheet(QString::fromLatin1(highlighted ? kFrameSelected : kFrameUnselected));
}

bool WhiteBoardShowInfoWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_closeIcon && event->type() == QEvent::MouseButtonPress) {
        m_closed = true;
        emit sendCloseClicksig(m_number);
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void WhiteBoardShowInfoWidget::enterEvent(QEvent* event)
{
    applyFrameLook(true);
    m_closeIcon->show();
    m_closeIcon->raise();
    QWidget::enterEvent(event);
}

void WhiteBoardShowInfoWidget::leaveEvent(QEvent* event)
{
    applyFrameLook(m_selected);
    m_closeIcon->hide();
    QWidget::leaveEvent(event);
}

void WhiteBoardShowInfoWidget::mouseReleaseEvent(QMouseEvent* event)
{
    // The release of a press on the close icon comes here after the tile closed.
    if (m_closed)
        return;
    m_selected = true;
    emit sendClickSelect(m_number);
    QWidget::mouseReleaseEvent(event);
}
