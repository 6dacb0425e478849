#include "scenes/PreviewWidget.h"

#include "core/DataCenter.h"
#include "core/PictureDecoder.h"
#include "scenes/MyListWidget.h"
#include "scenes/ScenePictures.h"
#include "widgets/RoundLabel.h"

#include <QAction>
#include <QCursor>
#include <QDebug>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOption>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString kPictureKind = QStringLiteral("图片");
const QString kNoPictures = QStringLiteral("暂无数据");
const QString kChooseHint = QStringLiteral("请选择画面展示内容");
const QString kFramePicPlain = QStringLiteral("#frame_pic{background-color:#FFFFFF;border:none;border-radius:4px;}");
const QString kFramePicPicture = QStringLiteral("background-color:rgb(255, 255, 255)");
const QString kFramePicCamera =
    QStringLiteral("#frame_pic{background-color:rgb(23, 26, 44);border:none;border-radius:4px;}");
constexpr int kNameElideWidth = 75;
constexpr int kHoverMargin = 10;  // the overlay shows for a pointer this far inside the tile
constexpr int kCursorCorner = 10; // the resize pointer shape shows in this corner square
constexpr int kResizeCorner = 20; // a press in this corner square resizes

QString numText(int num)
{
    return QStringLiteral("画面%1").arg(num);
}

QLabel* textLabel(const QString& text, const QString& style, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(style);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// The read-only content field with its trailing arrow, as the overlay and the choice panel show it.
QLineEdit* contentField(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setFixedSize(100, 36);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setStyleSheet("QLineEdit{background-color:#FFFFFF;color:#191919;border:1px solid #DCDEE6;"
                        "border-radius:4px;font-size:12px;padding-left:6px;}");
    edit->addAction(QIcon(":/images/live/arrow_down.png"), QLineEdit::TrailingPosition);
    return edit;
}

QWidget* centredColumn(QWidget* parent, const QList<QWidget*>& widgets)
{
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addStretch();
    for (QWidget* w : widgets)
        layout->addWidget(w, 0, Qt::AlignHCenter);
    layout->addStretch();
    return parent;
}
} // namespace

PreviewWidget::PreviewWidget(QWidget* area, int num, const QRect& rect)
    : QWidget(area), m_num(num), m_content(sceneStartingContent(num))
{
    qDebug() << "PreviewWidget rect.x = " << rect.x() << "    rect.y = " << rect.y() << "   num = " << num;
    setStyleSheet("background-color:#FFFFFF;border:none;border-radius:4px;");
    setMouseTracking(true);

    m_framePic = new QFrame(this);
    m_framePic->setObjectName("frame_pic");
    m_framePic->setStyleSheet(kFramePicPlain);
    m_framePic->setMouseTracking(true);
    m_framePic->installEventFilter(this);

    m_pictureLabel = new QLabel(m_framePic);
    m_pictureLabel->setObjectName("pictureLabel");
    m_pictureLabel->setMouseTracking(true);
    m_pictureLabel->installEventFilter(this);
    m_pictureLabel->hide();

    m_avatarLabel = new RoundLabel(m_framePic);
    m_avatarLabel->setObjectName("avatarLabel");
    m_avatarLabel->hide();

    buildChoicePanel();
    buildOverlay();
    buildLists();

    setGeometry(rect);
    m_framePic->setGeometry(2, 2, rect.width() - 4, rect.height() - 4);
    const int side = m_framePic->height() / 2;
    m_avatarLabel->setGeometry((m_framePic->width() - side) / 2, (m_framePic->height() - side) / 2, side, side);

    showEditText(m_content);
    m_choicePanel->show();
    m_overlay->hide();
}

PreviewWidget::~PreviewWidget()
{
    delete m_kindList;
    delete m_pictureList;
}

void PreviewWidget::buildOverlay()
{
    m_overlay = new QWidget(this);
    m_overlay->setObjectName("overlay");
    m_overlay->setAttribute(Qt::WA_StyledBackground);
    m_overlay->setStyleSheet("#overlay{background-color:rgba(0,0,0,128);border:none;border-radius:4px;}");
    m_numLabel = textLabel(numText(m_num), "color:#FFFFFF;font-size:14px;font-weight:bold;background:transparent;",
                           m_overlay);
    m_numLabel->setObjectName("labelnum");
    QLabel* hint = textLabel(kChooseHint, "color:#FFFFFF;font-size:12px;background:transparent;", m_overlay);
    m_contentEdit = contentField(m_overlay);
    m_contentEdit->setObjectName("contentEdit");
    centredColumn(m_overlay, {m_numLabel, hint, m_contentEdit});

    // Every way into the field opens the kind list: a press or release on the field or its arrow,
    // and the arrow's own trigger.
    m_contentEdit->installEventFilter(this);
    for (QToolButton* arrow : m_contentEdit->findChildren<QToolButton*>())
        arrow->installEventFilter(this);
    for (QAction* action : m_contentEdit->actions())
        connect(action, &QAction::triggered, this, &PreviewWidget::openKindList);

    m_closeButton = new QPushButton(m_overlay);
    m_closeButton->setObjectName("closeButton");
    m_closeButton->setFixedSize(16, 16);
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    m_closeButton->setStyleSheet("QPushButton{border-image:url(:/images/live/layout_close.png);border:none;"
                                 "background:transparent;}");
    connect(m_closeButton, &QPushButton::clicked, this, [this] {
        m_removeMark = true;
        m_overlay->hide();
        emit close_clicked(m_num);
    });
}

void PreviewWidget::buildChoicePanel()
{
    m_choicePanel = new QFrame(this);
    m_choicePanel->setObjectName("bgframe");
    m_choicePanel->setStyleSheet("#bgframe{background-color:#FFFFFF;border:none;border-radius:4px;}");
    m_choicePanel->setMouseTracking(true);
    m_choicePanel->installEventFilter(this);
    m_choiceNumLabel = textLabel(
        numText(m_num), "color:#191919;font-size:14px;font-weight:bold;background:transparent;", m_choicePanel);
    m_choiceNumLabel->setObjectName("overWidgetlabel");
    QLabel* hint = textLabel(kChooseHint, "color:#191919;font-size:12px;background:transparent;", m_choicePanel);
    QLineEdit* field = contentField(m_choicePanel);
    field->setPlaceholderText(kSceneUnchosenContent);
    centredColumn(m_choicePanel, {m_choiceNumLabel, hint, field});
}

void PreviewWidget::buildLists()
{
    m_kindList = new MyListWidget(nullptr);
    m_kindList->setFixedSize(100, 80);
    m_kindList->setListSize(100, 78, false);
    m_kindList->setListWidgetComInfo(kSceneCameraContent);
    m_kindList->setListWidgetComInfo(kPictureKind);
    connect(m_kindList, &MyListWidget::clickedText, this, &PreviewWidget::onKindChosen);

    // Filled once: documents added later reach only tiles made after them.
    m_pictureList = new MyListWidget(nullptr);
    m_pictureList->setFixedSize(132, 136);
    m_pictureList->hide();
    const SceneDocumentList pictures = scenePictures();
    for (const SceneDocument& picture : pictures)
        m_pictureList->setListWidgetInfo(picture.name);
    if (pictures.isEmpty())
        m_pictureList->setListWidgetNote(kNoPictures);
    connect(m_pictureList, &MyListWidget::clickedText, this, &PreviewWidget::setMyListWidgetContext);
}

void PreviewWidget::setContent(const QString& text)
{
    m_content = text;
    showEditText(text);
}

bool PreviewWidget::setPicture(const QString& name)
{
    return showPicture(name);
}

void PreviewWidget::setNum(int num)
{
    m_num = num;
    m_numLabel->setText(numText(num));
    m_choiceNumLabel->setText(numText(num));
}

void PreviewWidget::setPressed(bool pressed)
{
    m_pressed = pressed;
    update();
}

void PreviewWidget::setSelected(bool selected)
{
    m_selected = selected;
    update();
}

void PreviewWidget::refreshLook()
{
    if (m_contentEdit->text() == kSceneCameraContent)
        applyCameraLook();
}

SceneTileFields PreviewWidget::tileFields() const
{
    return {m_folder, m_filePath, m_spare, m_content, m_posWeight, m_num};
}

void PreviewWidget::showEditText(const QString& text)
{
    if (text == kSceneCameraContent || text == kSceneUnchosenContent) {
        m_contentEdit->setText(text);
        return;
    }
    m_contentEdit->setText(QFontMetrics(m_contentEdit->font()).elidedText(text, Qt::ElideRight, kNameElideWidth));
}

void PreviewWidget::updateChoicePanel()
{
    m_choicePanel->setVisible(m_contentEdit->text() == kSceneUnchosenContent);
}

void PreviewWidget::openKindList()
{
    const QPoint topLeft = m_contentEdit->mapToGlobal(QPoint(0, 0));
    m_kindList->move(topLeft.x(), topLeft.y() + 40);
    m_kindList->show();
}

void PreviewWidget::onKindChosen(const QString& kind)
{
    if (kind == kPictureKind) {
        const QPoint topLeft = m_contentEdit->mapToGlobal(QPoint(0, 0));
        m_pictureList->move(topLeft.x() + m_contentEdit->width() + 2, topLeft.y() + m_contentEdit->height() + 44);
        m_pictureList->setListSize(132, scenePictureListHeight(scenePictures().size()), true);
        m_pictureList->show();
        m_pictureList->raise();
        m_choicePanel->hide();
    } else if (kind == kSceneCameraContent) {
        m_content = kSceneCameraContent;
        showEditText(m_content);
        m_kindList->hide();
        applyCameraLook();
    }
}

void PreviewWidget::setMyListWidgetContext(QString name)
{
    // A name whose document went away since the list was filled changes nothing.
    showPicture(name);
    m_kindList->hide();
    m_pictureList->hide();
    QCursor::setPos(m_contentEdit->mapToGlobal(m_contentEdit->rect().center()));
}

bool PreviewWidget::showPicture(const QString& name)
{
    SceneDocument picture;
    if (!findScenePicture(name, &picture))
        return false;
    m_content = name;
    showEditText(name);
    m_folder = picture.folder;
    m_filePath = scenePicturePath(m_folder);
    qDebug() << "m_SelectFilePath" << m_filePath;
    // The label is fitted once the picture is read (a picture that does not load fits as 0 x 0).
    m_picture = QImage();
    m_pictureLabel->clear();
    const quint64 request = ++m_pictureRequest;
    PictureDecoder::decodeFileLater(m_filePath, -1, QSize(), this, [this, request](const QImage& picture) {
        if (request != m_pictureRequest)
            return;
        m_picture = picture;
        applyPictureFit(scenePictureFitOnChoice(m_framePic->size(), size(), m_picture.size()));
    });
    m_pictureLabel->show();
    m_framePic->setStyleSheet(kFramePicPicture);
    m_avatarLabel->hide();
    m_choicePanel->hide();
    return true;
}

void PreviewWidget::applyPictureFit(const ScenePictureFit& fit)
{
    m_pictureLabel->setFixedSize(fit.labelSize);
    m_pictureLabel->move(fit.labelPos);
    if (m_picture.isNull()) {
        m_pictureLabel->clear();
        return;
    }
    m_pictureLabel->setPixmap(
        QPixmap::fromImage(m_picture.scaled(fit.scaled, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void PreviewWidget::applyAvatarCircle()
{
    const int h = m_framePic->height();
    m_avatarLabel->setStyleSheet(QStringLiteral("min-width:%1px;min-height:%2px;max-width:%3px;max-height:%4px;"
                                                "border-radius:%5px;border:none;background-color:transparent;")
                                     .arg(h / 2)
                                     .arg(h / 2)
                                     .arg(h / 2)
                                     .arg(h / 2)
                                     .arg(h / 4));
    m_avatarLabel->setGeometry((m_framePic->width() - h / 2) / 2, (h - h / 2) / 2, h / 2, h / 2);
}

void PreviewWidget::applyCameraLook()
{
    m_overlay->hide();
    // No avatar (or one that does not load): an empty circle; the avatar fills it once read.
    m_avatarLabel->clear();
    const quint64 request = ++m_pictureRequest;
    const QString avatarFile = CDataCenter::getInstance()->avatarFile;
    if (!avatarFile.isEmpty()) {
        PictureDecoder::decodeFileLater(avatarFile, -1, QSize(), this, [this, request](const QImage& avatar) {
            if (request != m_pictureRequest || avatar.isNull())
                return;
            m_avatarLabel->setPixmap(QPixmap::fromImage(avatar.scaled(m_framePic->width() / 2,
                                                                      m_framePic->height() / 2,
                                                                      Qt::KeepAspectRatioByExpanding,
                                                                      Qt::SmoothTransformation)));
        });
    }
    applyAvatarCircle();
    m_pictureLabel->hide();
    m_avatarLabel->show();
    m_framePic->setStyleSheet(kFramePicCamera);
    m_choicePanel->hide();
}

void PreviewWidget::hoverAt(const QPoint& pos)
{
    if (!m_pressed && QRect(kHoverMargin, kHoverMargin, width() - 2 * kHoverMargin, height() - 2 * kHoverMargin)
                          .contains(pos)) {
        m_overlay->show();
        m_overlay->raise();
    }
    const bool corner = pos.x() >= width() - kCursorCorner && pos.y() >= height() - kCursorCorner;
    setCursor(corner ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
}

bool PreviewWidget::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_framePic || watched == m_pictureLabel || watched == m_choicePanel) {
        if (type == QEvent::MouseMove) {
            auto* w = static_cast<QWidget*>(watched);
            hoverAt(w->mapTo(this, static_cast<QMouseEvent*>(event)->pos()));
        }
        return false;
    }
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) &&
        (watched == m_contentEdit || qobject_cast<QToolButton*>(watched)))
        openKindList();
    return false;
}

void PreviewWidget::mousePressEvent(QMouseEvent* event)
{
    m_lastPos = event->pos();
    m_lastGlobalPos = event->globalPos();
    if (event->button() != Qt::LeftButton)
        return;
    if (event->pos().x() >= width() - kResizeCorner && event->pos().y() >= height() - kResizeCorner) {
        m_overlay->hide();
        m_resizing = true;
    }
    emit send_showisBorder(this);
    m_pressed = true;
    m_selected = true;
    updateChoicePanel();
    update();
}

void PreviewWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->pos();
    if (m_pressed) {
        const bool corner = pos.x() >= width() - kResizeCorner && pos.y() >= height() - kResizeCorner;
        setCursor(corner ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
    }
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (m_resizing) {
        const SceneResizeStep step = sceneTileResizeStep(geometry(), pos.x() - m_lastPos.x(), m_areaRect.size());
        if (!step.taken)
            return;
        m_overlay->hide();
        if (!step.resized)
            return;
        setFixedSize(step.size);
    } else {
        const QPoint delta = event->globalPos() - m_lastGlobalPos;
        if (delta.isNull())
            return;
        move(sceneTileMoveTarget(geometry(), delta, m_areaRect.size()));
    }
    m_lastPos = pos;
    m_lastGlobalPos = event->globalPos();
}

void PreviewWidget::mouseReleaseEvent(QMouseEvent*)
{
    m_pressed = false;
    m_resizing = false;
    m_selected = false;
    setCursor(Qt::ArrowCursor);
    m_posWeight = posWeightOf(geometry(), m_areaRect.size());
    update();
}

void PreviewWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    if (!m_selected)
        return;
    painter.setPen(QPen(QColor(6, 105, 241), 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(2, 2, width() - 4, height() - 4);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawPoint(3, 3);
    painter.drawPoint(width() - 4, 3);
    painter.drawPoint(3, height() - 4);
    painter.drawPoint(width() - 4, height() - 4);
}

void PreviewWidget::resizeEvent(QResizeEvent*)
{
    m_framePic->setGeometry(2, 2, width() - 4, height() - 4);
    m_framePic->show();
    if (!m_pictureLabel->isHidden() && m_contentEdit->text() != kSceneCameraContent) {
        applyPictureFit(scenePictureFitOnResize(m_framePic->size(), m_picture.size()));
    } else if (m_pictureLabel->isHidden() && m_contentEdit->text() == kSceneCameraContent &&
               !m_avatarLabel->isHidden()) {
        applyAvatarCircle();
    }
    m_overlay->setGeometry(2, 2, width() - 4, height() - 4);
    m_closeButton->move(m_overlay->width() - 30, 4);
    m_overlay->show();
    m_choicePanel->setGeometry(2, 2, width() - 4, height() - 4);
}

void PreviewWidget::enterEvent(QEvent*)
{
    updateChoicePanel();
}

void PreviewWidget::leaveEvent(QEvent*)
{
    updateChoicePanel();
    m_pressed = false;
    update();
}
