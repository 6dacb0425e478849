#include "login/LoginDialog.h"
#include "ui_LoginDialog.h"

#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "login/PriAccoutWidget.h"
#include "login/SubAccoutWidget.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QDebug>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace
{
const QMargins kPanelMargins(520, 134, 80, 102);

void addShadow(QWidget* w)
{
    auto* shadow = new QGraphicsDropShadowEffect(w);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(0, 0, 0, 20));
    shadow->setBlurRadius(30);
    w->setGraphicsEffect(shadow);
}
} // namespace

LoginDialog::LoginDialog(QWidget* parent) : QDialog(parent), ui(new Ui::LoginDialog)
{
    ui->setupUi(this);
    ui->label_7->setText(QStringLiteral("索维zova（v") + QLatin1String(solvek::kAppVersion) + QStringLiteral("）"));

    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("索维zova"));
    m_currentPanel = 0;
    m_mainLayout = new QVBoxLayout(this);

    m_loadingCover = new QLabel(this);
    m_loadingCover->setStyleSheet(QStringLiteral("border-radius:16px; background-color: rgba(0,0,0, 1.0);"));
    m_loadingCover->lower();
    m_loadingCover->hide();
    m_loadingCover->setGeometry(519, 133, 362, 446);
    m_loadingCover->setPixmap(QPixmap(QStringLiteral(":/images/live/loading_cover.png"))
                                  .scaled(362, 446, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

    // Rounded corners: only a rounded rectangle of the form's size is part of the window.
    QBitmap mask(size());
    mask.fill(Qt::color0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::color1);
        painter.drawRoundedRect(mask.rect(), 8, 8);
    }
    setMask(mask);

    initShadowFrame();
    initPriWidget();
    installEventFilter(this);
}

LoginDialog::~LoginDialog()
{
    delete ui;
}

void LoginDialog::initShadowFrame()
{
    setWindowFlags(windowFlags() | Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    const QList<QWidget*> children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("widgetShadow"));
    addShadow(frame);
    frame->setStyleSheet(
        QStringLiteral("#widgetShadow{border-image:url(:/images/login/background.png);border-radius:8px;}"));
    m_mainLayout->setContentsMargins(kPanelMargins);
    const QSize former = size();
    resize(former + QSize(40, 40));
    frame->setGeometry(5, 5, former.width() - 10, former.height() - 10);
    for (QWidget* child : children) {
        if (child == m_loadingCover) {
            // Stays a child of the dialog (in the same place) so that, raised, it covers the panel.
            child->move(child->pos() + frame->pos());
            continue;
        }
        const QRect geometry = child->geometry();
        child->setParent(frame);
        child->setGeometry(geometry);
        child->show();
    }
    frame->lower();
}

QWidget* LoginDialog::makePanelContainer(QWidget* panel, const QString& name, const QSize& size)
{
    auto* container = new QWidget(this);
    container->setGeometry(QRect(QPoint(520, 134), size));
    auto* layout = new QVBoxLayout(container);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(panel);
    container->setObjectName(name);
    addShadow(container);
    container->setStyleSheet(QStringLiteral("#%1{border-radius:8px;background:rgb(255,255,255);}").arg(name));
    container->resize(panel->size() + QSize(40, 40));
    return container;
}

void LoginDialog::initPriWidget()
{
    if (m_priContainer)
        return;
    m_priWidget = new PriAccoutWidget();
    m_priWidget->setObjectName(QStringLiteral("pri_widget"));
    m_priWidget->setLoginObserver(this);
    m_priContainer = makePanelContainer(m_priWidget, QStringLiteral("widgetShadowPri"), QSize(380, 464));
    m_mainLayout->setContentsMargins(kPanelMargins);
    m_mainLayout->addWidget(m_priContainer);
    connect(m_priWidget, &PriAccoutWidget::clicked, this, &LoginDialog::subAccoutClicked);
}

void LoginDialog::initSubWidget()
{
    if (m_subContainer)
        return;
    m_subWidget = new SubAccoutWidget();
    m_subWidget->setObjectName(QStringLiteral("sub_widget"));
    m_subWidget->setStyleSheet(
        QStringLiteral("SubAccoutWidget#sub_widget{background-color: rgb(255, 255, 255);border-radius:8px}"));
    m_subWidget->setLoginObserver(this);
    m_subContainer = makePanelContainer(m_subWidget, QStringLiteral("widgetShadowPri1"), QSize(460, 444));
    m_subContainer->hide();
    connect(m_subWidget, &SubAccoutWidget::clicked, this, &LoginDialog::mainAccoutClicked);
}

void LoginDialog::subAccoutClicked()
{
    m_currentPanel = 1;
    initSubWidget();
    m_mainLayout->removeWidget(m_priContainer);
    m_priContainer->hide();
    m_subContainer->show();
    m_mainLayout->addWidget(m_subContainer);
}

void LoginDialog::mainAccoutClicked()
{
    m_currentPanel = 0;
    m_mainLayout->removeWidget(m_subContainer);
    m_mainLayout->addWidget(m_priContainer);
    m_subContainer->hide();
    m_priContainer->show();
}

void LoginDialog::onLoginStatusNotify(void* loginInfo, int code)
{
    qDebug() << " code: " << code;
    if (code != 200 || !loginInfo || m_loginDone)
        return;
    // Set before anything below can run the event loop: a second reply delivered there is ignored.
    m_loginDone = true;
    m_loginInfo = *static_cast<LoginInfo*>(loginInfo);
    if (m_priWidget)
        m_priWidget->stop();
    if (m_subWidget)
        m_subWidget->stop();
    m_loadingCover->raise();
    m_loadingCover->show();
    if (m_currentPanel == 1 && m_subWidget)
        m_subWidget->hide();
    else if (m_priWidget)
        m_priWidget->hide();
    // Paint the cover before the main window's start-up, which takes a while.
    QCoreApplication::processEvents();
    NetUtils::getInstance()->setLoginInfo(m_loginInfo);
    emit sigAccounLoginSuccess();
}

void LoginDialog::on_close_btn_clicked()
{
    reject();
}

void LoginDialog::on_minimize_btn_clicked()
{
    showMinimized();
}

bool LoginDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Return and Enter never reach the dialog's default-button handling: in a text field they do
    // nothing; a focused button still takes Return itself.
    if (watched == this && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void LoginDialog::mousePressEvent(QMouseEvent* event)
{
    QWidget* regLink = m_priWidget ? m_priWidget->findChild<QWidget*>(QStringLiteral("reg_label")) : nullptr;
    const bool onRegLink = regLink && regLink->isVisible() &&
                           regLink->rect().contains(regLink->mapFromGlobal(event->globalPos()));
    if (!onRegLink)
        m_dragOrigin = event->globalPos();
    QDialog::mousePressEvent(event);
}

void LoginDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::NoButton) {
        move(pos() + event->globalPos() - m_dragOrigin);
        m_dragOrigin = event->globalPos();
    }
    QDialog::mouseMoveEvent(event);
}

void LoginDialog::mouseReleaseEvent(QMouseEvent* event)
{
    move(pos() + event->globalPos() - m_dragOrigin);
    QDialog::mouseReleaseEvent(event);
}
