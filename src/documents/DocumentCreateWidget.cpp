#include "documents/DocumentCreateWidget.h"

#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/UntrustedText.h"
#include "documents/DocumentCacheEntry.h"
#include "documents/DocumentDialogs.h"
#include "documents/DocumentListRules.h"
#include "documents/analysisPdfThread.h"
#include "widgets/LogoutDialog.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QMouseEvent>
#include <QProgressBar>

namespace
{

constexpr int kOverlayHeight = 32;
constexpr int kButtonFontPx = 14;
constexpr int kNameElideWidth = 118;
constexpr int kShortNameWidth = 64;
constexpr int kThumbnailRadius = 4;

// Overlay buttons by state, left to right (object name, text).
struct OverlayButton {
    const char* objectName;
    const char* text;
};
QList<OverlayButton> buttonsFor(int state)
{
    const OverlayButton del{"lblDel", "删除"};
    if (state == DocumentCreateWidget::StateFailed)
        return {{"lblRetry", "重新上传"}, del};
    if (state == DocumentCreateWidget::StateDone)
        return {{"lblUse", "应用"}, del};
    return {del};
}

QLabel* makeLabel(QWidget* parent, const QRect& geometry, const QString& style,
                  const QString& text = QString())
{
    auto* label = new QLabel(parent);
    label->setGeometry(geometry);
    label->setStyleSheet(style);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

} // namespace

TransparentLabel::TransparentLabel(QWidget* parent) : QLabel(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
}

DocumentCreateWidget::DocumentCreateWidget(QString path, int kind, int identifier, QWidget* parent)
    : QWidget(parent), m_sourcePath(std::move(path)), m_kind(kind), m_id(identifier),
      m_userDocDir(CDataCenter::getInstance()->userDocDir)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kWidth, kHeight);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("frame"));
    m_frame->setGeometry(0, 0, kWidth, kHeight);
    m_frame->setStyleSheet(QStringLiteral("#frame{background-color:#121326;border-radius:4px;}"));

    m_thumbnail = new QLabel(m_frame);
    m_thumbnail->setObjectName(QStringLiteral("thumbnail"));
    m_thumbnail->hide();

    m_kindIcon = new QLabel(m_frame);
    m_kindIcon->setObjectName(QStringLiteral("kindIcon"));
    m_kindIcon->setGeometry(0, 0, 36, 18);
    m_kindIcon->setPixmap(QPixmap(kind == doclist::kKindPicture ? QStringLiteral(":/images/live/image.png")
                                                                : QStringLiteral(":/images/live/docm.png"))
                              .scaled(36, 18, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

    m_progress = new QProgressBar(m_frame);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setGeometry(18, 54, 144, 4);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setStyleSheet(
        QStringLiteral("QProgressBar{background-color:#DEE3E8;border:none;border-radius:2px;}"
                       "QProgressBar::chunk{background-color:#0669F5;border-radius:2px;}"));
    m_progressText = makeLabel(m_frame, QRect((kWidth - 50) / 2, 70, 50, 16),
                               QStringLiteral("color:#FFFFFF;font-size:12px;background:transparent;"),
                               QStringLiteral("转码中..."));
    m_progressText->setObjectName(QStringLiteral("progressText"));

    m_failIcon = new QLabel(m_frame);
    m_failIcon->setObjectName(QStringLiteral("failIcon"));
    m_failIcon->setGeometry(76, 40, 28, 28);
    m_failIcon->setPixmap(QPixmap(QStringLiteral(":/images/live/fileanasisyFaild.png"))
                              .scaled(28, 28, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    m_failText = makeLabel(m_frame, QRect(67, 80, 60, 18),
                           QStringLiteral("color:#FFFFFF;font-size:12px;background:transparent;"),
                           QStringLiteral("转码失败"));
    m_failText->setObjectName(QStringLiteral("failText"));
    m_failIcon->hide();
    m_failText->hide();

    m_bottom = new QFrame(m_frame);
    m_bottom->setObjectName(QStringLiteral("bottomframe"));
    m_bottom->setGeometry(0, 116, kWidth, 20);
    m_bottom->setStyleSheet(QStringLiteral("#bottomframe{background-color:rgba(0,0,0,50);"
                                           "border-bottom-left-radius:4px;border-bottom-right-radius:4px;}"));
    const QString bottomText = QStringLiteral("color:#FFFFFF;font-size:12px;background:transparent;");
    m_nameLabel = makeLabel(m_bottom, QRect(6, 1, 120, 18), bottomText);
    m_nameLabel->setObjectName(QStringLiteral("nameLabel"));
    m_sizeLabel = makeLabel(m_bottom, QRect(135, 1, 50, 18), bottomText);
    m_sizeLabel->setObjectName(QStringLiteral("sizeLabel"));

    m_overlay = new TransparentLabel(this);
    m_overlay->setObjectName(QStringLiteral("overlay"));
    m_overlayFrame = new QFrame(m_overlay);
    m_overlayFrame->setObjectName(QStringLiteral("overlayFrame"));
    m_overlayFrame->setStyleSheet(
        QStringLiteral("#overlayFrame{background-color:rgba(0,0,0,100);border-radius:4px;}"));
    m_overlayLayout = new QHBoxLayout(m_overlayFrame);
    m_overlayLayout->setContentsMargins(8, 6, 8, 6);
    m_overlayLayout->setSpacing(8);
    m_overlay->hide();
    updateButtons();
}

DocumentCreateWidget::~DocumentCreateWidget()
{
    // The worker is a child: its destructor ends a running conversion and waits for the thread.
    CDataCenter::getInstance()->documentWidgets.removeAll(this);
}

void DocumentCreateWidget::startConvert()
{
    setState(StateNew);
    if (!m_worker) {
        m_worker = new analysisPdfThread(m_sourcePath, this);
        connect(m_worker, &analysisPdfThread::sendpercent, this, &DocumentCreateWidget::recv_percentslot);
        connect(m_worker, &analysisPdfThread::sendFaildInfo, this, &DocumentCreateWidget::onConvertFailed);
        connect(m_worker, &QThread::finished, this, &DocumentCreateWidget::onWorkerFinished);
    }
    m_worker->getFileInfo(m_name, m_size);
    m_worker->start(QThread::InheritPriority);
    showConverting(true);
    fillNameAndSize();
    updateButtons();
}

void DocumentCreateWidget::setRestoredInfo(const QString& pageDir, const QString& name, qint64 size,
                                           int state, int kind)
{
    m_sourcePath.clear();
    m_pageDir = pageDir;
    m_name = name;
    m_size = size;
    m_kind = kind;
    showConverting(false);
    fillNameAndSize();
    showThumbnail(DocumentCacheEntry::pagePath(pageDir, 0), false);
    setState(state);
    updateButtons();
}

void DocumentCreateWidget::setState(int state)
{
    m_state = state;
}

void DocumentCreateWidget::showConverting(bool converting)
{
    m_progress->setVisible(converting);
    m_progressText->setVisible(converting);
    if (converting) {
        m_progress->setValue(0);
        m_failIcon->hide();
        m_failText->hide();
        m_thumbnail->hide();
    }
}

void DocumentCreateWidget::fillNameAndSize()
{
    m_nameLabel->ensurePolished();
    const QFontMetrics metrics(m_nameLabel->font());
    const int width = metrics.horizontalAdvance(m_name);
    m_nameLabel->setGeometry(6, 1, width <= kShortNameWidth ? width + 8 : 120, 18);
    m_nameLabel->setText(metrics.elidedText(m_name, Qt::ElideMiddle, kNameElideWidth));
    // File names come from outside: a tool tip would take "<b>" for markup.
    m_nameLabel->setToolTip(solvek::plainToolTip(m_name));
    m_sizeLabel->setText(formatFileSize(m_size));
}

void DocumentCreateWidget::showThumbnail(const QString& imagePath, bool rebuildButtons)
{
    QImageReader reader(imagePath);
    const QSize size = reader.size();
    QImage image;
    if (size.isValid() && !size.isEmpty() && qint64(size.width()) * size.height() <= ImageUtils::kMaxPixels)
        image = reader.read();
    if (image.isNull()) {
        // Nothing to divide by: the tile stays without a picture.
        qWarning() << "thumbnail not readable:" << imagePath;
        m_thumbnail->clear();
        m_thumbnail->hide();
    } else {
        const int w = image.width();
        const int h = image.height();
        const double r = double(w) / double(h);
        QRect geometry;
        QPixmap pixmap;
        if (w > h) {
            const int b = qMax(1, int(kWidth / r));
            geometry = QRect(0, (kHeight - b) / 2, kWidth, b);
            pixmap =
                QPixmap::fromImage(image.scaled(kWidth, b, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
            if (qAbs(b - kHeight) <= 2)
                pixmap = ImageUtils::roundedPixmap(pixmap, kThumbnailRadius);
        } else if (w == h) {
            geometry = QRect((kWidth - kHeight) / 2, 0, kHeight, kHeight);
            pixmap = QPixmap::fromImage(
                image.scaled(kHeight, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        } else {
            const int b = qMax(1, int(r * kHeight));
            geometry = QRect((kWidth - b) / 2, 0, b, kHeight);
            pixmap =
                QPixmap::fromImage(image.scaled(b, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        m_thumbnail->setGeometry(geometry);
        m_thumbnail->setPixmap(pixmap);
        m_thumbnail->show();
    }
    setState(StateDone);
    if (rebuildButtons)
        updateButtons();
}

void DocumentCreateWidget::updateButtons()
{
    // The labels may be in the middle of their own mouse event: they go later.
    while (QLayoutItem* item = m_overlayLayout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->removeEventFilter(this);
            widget->setObjectName(QString());
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    const QList<OverlayButton> buttons = buttonsFor(m_state);
    int width = 8 + 8;
    for (int i = 0; i < buttons.size(); ++i) {
        if (i > 0) {
            auto* line = new QFrame(m_overlayFrame);
            line->setFixedSize(1, 20);
            line->setStyleSheet(QStringLiteral("background-color:rgba(255,255,255,51);"));
            m_overlayLayout->addWidget(line);
            width += 1 + 8 + 8;
        }
        const QString text = QString::fromUtf8(buttons[i].text);
        auto* label = new QLabel(text, m_overlayFrame);
        label->setObjectName(QLatin1String(buttons[i].objectName));
        label->setFixedSize(text.size() * kButtonFontPx, 20);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(
            QStringLiteral("color:#FFFFFF;font-size:14px;font-weight:bold;background:transparent;"));
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        m_overlayLayout->addWidget(label);
        width += label->width();
    }
    m_overlay->setGeometry((kWidth - width) / 2, (kHeight - kOverlayHeight) / 2, width, kOverlayHeight);
    m_overlayFrame->setGeometry(0, 0, width, kOverlayHeight);
}

void DocumentCreateWidget::enterEvent(QEvent* event)
{
    m_overlay->show();
    m_overlay->raise();
    QWidget::enterEvent(event);
}

void DocumentCreateWidget::leaveEvent(QEvent* event)
{
    m_overlay->hide();
    QWidget::leaveEvent(event);
}

bool DocumentCreateWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const QString name = watched->objectName();
        if (name == QLatin1String("lblDel")) {
            onDeleteClicked();
            return true;
        }
        if (name == QLatin1String("lblRetry")) {
            onRetryClicked();
            return true;
        }
        if (name == QLatin1String("lblUse")) {
            onUseClicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DocumentCreateWidget::recv_percentslot(float value)
{
    m_progress->setValue(int(value));
    if (value != 100.f)
        return;
    m_worker->requestInterruption();
    m_worker->quit();
    showConverting(false);
    m_pageDir = m_worker->getPageDir();
    m_key = m_worker->getCacheKey();
    showThumbnail(m_worker->getThumbnailPath(), true);
}

void DocumentCreateWidget::onConvertFailed(const QString& text)
{
    m_worker->requestInterruption();
    m_worker->quit();
    setState(StateFailed);
    updateButtons();
    showConverting(false);
    m_failIcon->show();
    m_failText->show();
    emit sendFileFaild(text);
}

void DocumentCreateWidget::onDeleteClicked()
{
    qDebug() << "clicked lblDel";
    LogoutDialog confirm;
    confirm.setDeleteContent(QStringLiteral("删除文件"), m_name, QStringLiteral("确 定"), true);
    confirm.setWindowModality(Qt::ApplicationModal);
    if (DocumentDialogs::runModal(confirm) != QDialog::Accepted)
        return;
    setState(StateDone);
    // A conversion of a deleted tile has no one to report to.
    if (m_worker && m_worker->isRunning())
        m_worker->requestInterruption();
    m_restartWhenIdle = false;
    emit sendDelSig(m_id);
    removeCachedFolders();
}

void DocumentCreateWidget::removeCachedFolders()
{
    // Only a converted or restored tile has a page folder. Both folders are named by the key
    // inside the per-user folder; a key that could name anything else removes nothing.
    if (m_pageDir.isEmpty() || m_userDocDir.isEmpty() || !DocumentCacheEntry::isSafeKey(m_key) ||
        m_pageDir != DocumentCacheEntry::pageDirFor(m_userDocDir, m_key))
        return;
    QDir(m_pageDir).removeRecursively();
    QDir(m_userDocDir + QStringLiteral("/pdf/") + m_key).removeRecursively();
}

void DocumentCreateWidget::onRetryClicked()
{
    if (m_state != StateFailed || !m_worker)
        return;
    setState(StateRetrying);
    showConverting(true);
    updateButtons();
    // QThread::start does nothing while the earlier run still idles towards its end.
    if (m_worker->isRunning()) {
        m_restartWhenIdle = true;
        m_worker->requestInterruption();
    } else {
        m_worker->start(QThread::InheritPriority);
    }
}

void DocumentCreateWidget::onWorkerFinished()
{
    if (!m_restartWhenIdle)
        return;
    m_restartWhenIdle = false;
    // finished() is sent just before the thread stops running.
    m_worker->wait();
    m_worker->start(QThread::InheritPriority);
}

void DocumentCreateWidget::onUseClicked()
{
    if (m_state != StateDone)
        return;
    setState(StateInUse);
    updateButtons();
    emit sendUseSig(m_pageDir, m_name);
}
