#include "documents/TipDocumentLabel.h"

#include "core/UntrustedText.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

namespace
{
constexpr int kNameWidth = 84;
constexpr int kCloseSize = 16;
} // namespace

TipDocumentLabel::TipDocumentLabel(QString name, QString pageFolder, int index, QWidget* parent)
    : QWidget(parent), m_name(std::move(name)), m_pageFolder(std::move(pageFolder)), m_index(index)
{
    setFixedSize(kWidth, kHeight);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_StyledBackground);

    m_frame = new QFrame(this);
    m_frame->setObjectName("tabFrame");
    m_frame->setGeometry(0, 0, kWidth, 26);
    m_frame->setStyleSheet("QFrame{background:#2C2F42;border:none;border-radius:4px}");

    m_nameLabel = new QLabel(m_frame);
    m_nameLabel->setObjectName("tabName");
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_nameLabel->setStyleSheet("color:#FFFFFF;font-size:14px;background:transparent;");
    m_nameLabel->setGeometry(4, 2, kNameWidth, 20);
    const QFontMetrics metrics(m_nameLabel->font());
    m_nameLabel->setText(metrics.elidedText(m_name, Qt::ElideRight, kNameWidth));
    const int textWidth = metrics.horizontalAdvance(m_nameLabel->text());
    if (textWidth + 4 < 80)
        m_nameLabel->setFixedWidth(textWidth + 4);
    m_nameLabel->setToolTip(solvek::plainToolTip(m_name));
    m_nameLabel->installEventFilter(this);

    m_closeIcon = new QLabel(this);
    m_closeIcon->setObjectName("tabClose");
    m_closeIcon->setFixedSize(kCloseSize, kCloseSize);
    m_closeIcon->setStyleSheet("border-image:url(:/images/live/documentTipClose.png);background:transparent;");
    m_closeIcon->move(72, (kHeight - kCloseSize) / 2 - 2);
    m_closeIcon->installEventFilter(this);
    m_closeIcon->hide();
}

void TipDocumentLabel::setSelected(bool selected)
{
    m_selected = selected;
    m_frame->setStyleSheet(selected ? "background:#2C2F42;border:none;border-radius:4px"
                                    : "background:#121326;border:none;border-radius:4px");
}

bool TipDocumentLabel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_nameLabel) {
            emit sendSwitchDocSig(m_pageFolder, m_index);
            return true;
        }
        if (watched == m_closeIcon) {
            emit sendCloseClicksig(m_pageFolder, m_index);
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TipDocumentLabel::enterEvent(QEvent* event)
{
    m_closeIcon->show();
    m_closeIcon->raise();
    QWidget::enterEvent(event);
}

void TipDocumentLabel::leaveEvent(QEvent* event)
{
    m_closeIcon->hide();
    QWidget::leaveEvent(event);
}
