#include "documents/DocumentShowPicWidget.h"

#include "core/DataCenter.h"
#include "documents/ParseQImage.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace
{
constexpr int kFrameWidth = 136;
constexpr int kFrameHeight = 74;
constexpr float kWideRatio = 1.7777778f; // 16:9

const char* kFrameSelected = "#frameparent{background:#121326;border:2px solid #0669F5;border-radius:4px}";
const char* kFrameUnselected = "#frameparent{background:#121326;border:2px solid #2c2f42;border-radius:4px}";
} // namespace

DocumentShowPicWidget::DocumentShowPicWidget(int pageNumber, QString imagePath, QWidget* parent)
    : QWidget(parent), m_imagePath(std::move(imagePath)), m_pageNumber(pageNumber)
{
    setFixedSize(kWidth, kHeight);

    m_frame = new QFrame(this);
    m_frame->setObjectName("frameparent");
    m_frame->setGeometry(2, 2, kFrameWidth, kFrameHeight);
    m_frame->setStyleSheet("#frameparent{background:#121326;}");

    m_picture = new QLabel(m_frame);
    m_picture->setObjectName("picture");
    m_picture->setGeometry(0, 0, kFrameWidth, kFrameHeight);
    m_picture->setStyleSheet("background:#0669F5;");

    m_badge = new QFrame(this);
    m_badge->setObjectName("lblframe");
    m_badge->setStyleSheet("#lblframe{background-color:#2c2f42;border:none;border-top-left-radius:4px;"
                           "border-bottom-right-radius:4px;}");
    m_number = new QLabel(m_badge);
    m_number->setObjectName("pageNumber");
    m_number->setAlignment(Qt::AlignCenter);
    m_number->setStyleSheet("color:#FFFFFF;font-weight:bold;font-size:12px;background:transparent;");
    m_number->setText(QString::number(pageNumber));
    const int textWidth = m_number->fontMetrics().horizontalAdvance(m_number->text());
    m_number->setGeometry(0, 0, textWidth + 6, 22);
    m_badge->setGeometry(1, 2, textWidth + 8, 22);

    auto pictureSizeOf = [](QSize full) { return pictureSize(full.width(), full.height()); };
    m_loader = new ParseQImage(m_imagePath, pictureSizeOf, this);
    connect(m_loader, &ParseQImage::ParseImageSig, this, &DocumentShowPicWidget::recvParseImageslot,
            Qt::QueuedConnection);
    m_loader->start();
}

DocumentShowPicWidget::~DocumentShowPicWidget() = default; // the loader, a child, waits for itself

QSize DocumentShowPicWidget::pictureSize(int w, int h)
{
    if (w <= 0 || h <= 0)
        return QSize();
    const float r = float(w) / float(h);
    if (w >= h) {
        if (r <= kWideRatio)
            return QSize(int(r * 74), 70);
        return QSize(132, int(70 / r));
    }
    return QSize(int(r * 76 - 2), 70);
}

void DocumentShowPicWidget::recvParseImageslot(QImage image, QSize fullSize)
{
    // A page that did not load keeps its placeholder and leaves the store's page size alone: an
    // empty size there would leave the canvas unable to fit the page.
    const QSize size = image.isNull() ? QSize() : pictureSize(fullSize.width(), fullSize.height());
    if (size.isEmpty()) {
        m_loader->wait();
        return;
    }
    auto store = CDataCenter::getInstance();
    store->docImageWidth = fullSize.width();
    store->docImageHeight = fullSize.height();

    m_picture->setGeometry((kFrameWidth - size.width()) / 2, (kFrameHeight - size.height()) / 2, size.width(),
                           size.height());
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_picture->setPixmap(QPixmap::fromImage(image));
    m_picture->setStyleSheet(QString());
    m_loader->wait();
}

void DocumentShowPicWidget::setSelected(bool selected)
{
    m_selected = selected;
    applyFrameLook(selected);
}

void DocumentShowPicWidget::applyFrameLook(bool highlighted)
{
    m_frame->setStyleSheet(QString::fromLatin1(highlighted ? kFrameSelected : kFrameUnselected));
}

void DocumentShowPicWidget::enterEvent(QEvent* event)
{
    applyFrameLook(true);
    QWidget::enterEvent(event);
}

void DocumentShowPicWidget::leaveEvent(QEvent* event)
{
    applyFrameLook(m_selected);
    QWidget::leaveEvent(event);
}

void DocumentShowPicWidget::mouseReleaseEvent(QMouseEvent* event)
{
    m_selected = true;
    emit share_sig(m_imagePath, m_pageNumber);
    QWidget::mouseReleaseEvent(event);
}
