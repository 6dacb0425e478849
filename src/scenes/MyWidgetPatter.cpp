#include "scenes/MyWidgetPatter.h"

#include "core/ImageUtils.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

MyWidgetPatter::MyWidgetPatter(QWidget* parent) : QWidget(parent) {}

void MyWidgetPatter::setPicturePath(const QString& path)
{
    m_path = path;
}

void MyWidgetPatter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    if (!m_path.isEmpty()) {
        // Decoded once per path, within the picture bound, not on every repaint.
        if (m_loadedPath != m_path) {
            m_picture = ImageUtils::loadImageFile(m_path);
            m_loadedPath = m_path;
        }
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
