#include "chat/ShowBigImageDialog.h"

#include "chat/PictureCache.h"
#include "widgets/ClickableLabel.h"

#include <QDebug>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

QPointer<ShowBigImageDialog> ShowBigImageDialog::s_instance;

ShowBigImageDialog* ShowBigImageDialog::instance()
{
    if (!s_instance)
        s_instance = new ShowBigImageDialog;
    return s_instance;
}

ShowBigImageDialog::ShowBigImageDialog() : QDialog(nullptr)
{
    setObjectName("ShowBigImageDialog");
    resize(648, 614);
    setWindowTitle("Dialog");
    setStyleSheet(QString::fromUtf8("background-color: rgba(255, 255, 255，1);"));
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);

    m_widget = new QFrame(this);
    m_widget->setObjectName("widget");
    m_widget->setGeometry(0, 0, 648, 614);
    m_widget->setStyleSheet("background: #1C1F32;\nborder-radius: 8px;\nborder: 1px solid #6B6C83;\n"
                            "alternate-background-color: rgba(255, 255, 255, 0);");
    m_title = new QLabel(QString::fromUtf8("查看大图"), m_widget);
    m_title->setObjectName("title");
    m_title->setGeometry(24, 16, 100, 22);
    m_title->setStyleSheet("font-family: Microsoft YaHei;\nfont-weight: 600;\nfont-size: 16px;\ncolor: #FFFFFF;\n"
                           "line-height: 22px;\ntext-align: left;\nfont-style: normal;\n"
                           "border-color: rgba(255, 255, 255, 0);");
    m_closeBtn = new ClickableLabel(m_widget);
    m_closeBtn->setObjectName("close_btn");
    m_closeBtn->setGeometry(608, 19, 16, 16);
    m_closeBtn->setAlignment(Qt::AlignCenter);
    m_closeBtn->setStyleSheet("border-color: rgba(255, 255, 255, 0);");
    m_contentFrame = new QFrame(m_widget);
    m_contentFrame->setObjectName("content_frame");
    m_contentFrame->setGeometry(24, 50, 600, 540);
    m_contentFrame->setFrameShape(QFrame::StyledPanel);
    m_contentFrame->setFrameShadow(QFrame::Raised);
    m_contentFrame->setAutoFillBackground(false);
    m_contentFrame->setStyleSheet("background: #121326;\nborder-radius: 4px;\nborder-color: rgba(255, 255, 255, 0);");
    m_imgShow = new QLabel(m_contentFrame);
    m_imgShow->setObjectName("img_show");
    m_imgShow->setGeometry(280, 210, 54, 12);
    m_imgShow->setStyleSheet("border-color: rgba(255, 255, 255, 0);");
    // Presses reach the dialog, which decides between dragging the picture and the window.
    m_imgShow->setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::StrongFocus);
}

void ShowBigImageDialog::dismiss()
{
    if (s_instance == this)
        s_instance = nullptr;
    close();
    deleteLater();
}

void ShowBigImageDialog::showImage(const QString& address, QWidget*)
{
    m_areaWidth = m_contentFrame->width();
    m_areaHeight = m_contentFrame->height();
    m_closeBtn->setPixmap(QPixmap(QStringLiteral(":/images/live/exit.png")));
    connect(m_closeBtn, &ClickableLabel::clicked, this,
            [this](QVariant&, QMouseEvent* e) {
                if (!e || e->button() == Qt::LeftButton)
                    dismiss();
            },
            Qt::UniqueConnection);
    // Only web addresses are opened; a path or any other scheme from a message is never read.
    if (!PictureCache::isFetchable(address)) {
        qDebug() << "picture viewer: address refused";
        dismiss();
        return;
    }
    show();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
    PictureCache::instance().fetch(address, this, [this](const QPixmap& picture) { setPicture(picture); });
}

void ShowBigImageDialog::setPicture(const QPixmap& picture)
{
    if (picture.isNull()) {
        dismiss();
        return;
    }
    m_picture = picture;
    m_scale = std::min(double(m_areaHeight) / picture.height(), double(m_areaWidth) / picture.width());
    m_minScale = m_scale * 0.5;
    if (m_scale > 1.0) {
        m_scale = 1.0;
        m_minScale = 1.0;
    }
    updateImgSize();
}

void ShowBigImageDialog::updateImgSize()
{
    if (m_picture.isNull())
        return;
    const QSize size(int(std::trunc(m_picture.width() * m_scale)), int(std::trunc(m_picture.height() * m_scale)));
    m_imgShow->setPixmap(m_picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    m_imgShow->adjustSize();
    qDebug() << "img size" << m_imgShow->size();
    m_imgShow->move((m_areaWidth - m_imgShow->width()) / 2, (m_areaHeight - m_imgShow->height()) / 2);
}

void ShowBigImageDialog::wheelEvent(QWheelEvent* event)
{
    m_scale += event->angleDelta().y() > 0 ? 0.05 : -0.05;
    m_scale = std::max(m_minScale, std::min(m_maxScale, m_scale));
    updateImgSize();
}

void ShowBigImageDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        if (m_contentFrame->geometry().translated(m_widget->pos()).contains(event->pos())) {
            m_windowDrag = false;
            m_lastPos = event->pos();
        } else {
            m_windowDrag = true;
            m_lastPos = event->globalPos();
        }
    }
    QDialog::mousePressEvent(event);
}

void ShowBigImageDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && m_windowDrag) {
        move(pos() + event->globalPos() - m_lastPos);
        m_lastPos = event->globalPos();
    } else if (m_dragging) {
        QPoint p = m_imgShow->pos() + event->pos() - m_lastPos;
        m_lastPos = event->pos();
        // On each axis: centred when smaller than the area, else kept covering it.
        const auto place = [](int at, int size, int area) {
            return size <= area ? (area - size) / 2 : std::max(area - size, std::min(0, at));
        };
        p.setX(place(p.x(), m_imgShow->width(), m_areaWidth));
        p.setY(place(p.y(), m_imgShow->height(), m_areaHeight));
        m_imgShow->move(p);
    }
    QDialog::mouseMoveEvent(event);
}

void ShowBigImageDialog::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    m_windowDrag = false;
    QDialog::mouseReleaseEvent(event);
}

void ShowBigImageDialog::focusOutEvent(QFocusEvent* event)
{
    QDialog::focusOutEvent(event);
    dismiss();
}
