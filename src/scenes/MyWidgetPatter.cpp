#include "scenes/MyWidgetPatter.h"

#include "core/PictureDecoder.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

MyWidgetPatter::MyWidgetPatter(QWidget* parent) : QWidget(parent) {}

void MyWidgetPatter::setPicturePath(const QString& path)
{
    if (path == m_path)
        return;
    m_path = path;
    m_picture = QImage();
    update();
    if (path.isEmpty())
        return;
    PictureDecoder::decodeFileLater(path, -1, QSize(), this, [this, path](const QImage& picture) {
        if (path != m_path) // another picture was chosen meanwhile
            return;
        m_picture = picture;
        update();
    });
}

void MyWidgetPatter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    if (!m_path.isEmpty()) {
        style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawRoundedRect(rect(), 4, 4);
        if (!m_picture.isNull())
            painter.drawImage(rect(), m_picture);
        return;
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), QColor(77, 79, 99));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(rect()), 4, 4);
    const QRegion mask(rounded.toFillPolygon().toPolygon());
    if (this->mask() != mask)
        setMask(mask);
}
