#include "login/PriAccoutWidget.h"
#include "ui_PriAccoutWidget.h"

#include "core/ServiceConstants.h"
#include "login/LoginLinks.h"
#include "login/PhoneNumWidget.h"
#include "login/QRcodeWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QVBoxLayout>

namespace
{
const char kTabActive[] = "color:#0669F5;font-family: Microsoft YaHei;font-size: 18px; font-weight: bold";
const char kTabInactive[] = "color:#191919;font-family: Microsoft YaHei;font-size: 18px; font-weight: bold";
const char kUnderlineOn[] = "background-color: rgb(6, 105, 245);";
const char kUnderlineOff[] = "background:transparent;";
} // namespace

PriAccoutWidget::PriAccoutWidget(QWidget* parent) : QWidget(parent), ui(new Ui::PriAccoutWidget)
{
    ui->setupUi(this);
    ui->qr_code_label->setStyleSheet(QString::fromLatin1(kTabActive));
    ui->phone_num_label->setStyleSheet(QString::fromLatin1(kTabInactive));
    ui->qr_code_underline->setStyleSheet(QString::fromLatin1(kUnderlineOn));
    for (QWidget* w : {static_cast<QWidget*>(ui->qr_code_label), static_cast<QWidget*>(ui->phone_num_label),
                       static_cast<QWidget*>(ui->reg_label), static_cast<QWidget*>(ui->sub_label),
                       static_cast<QWidget*>(ui->service_label)})
        w->installEventFilter(this);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(28, 97, 32, 119);
    m_qrWidget = new QRcodeWidget(this);
    m_layout->addWidget(m_qrWidget);
}

PriAccoutWidget::~PriAccoutWidget()
{
    delete ui;
}

void PriAccoutWidget::setLoginObserver(LoginObserver* observer)
{
    m_observer = observer;
    if (m_phoneWidget)
        m_phoneWidget->setLoginObserver(observer);
    if (m_qrWidget)
        m_qrWidget->setLoginObserver(observer);
}

void PriAccoutWidget::stop()
{
    if (m_phoneWidget)
        m_phoneWidget->stop();
    if (m_qrWidget)
        m_qrWidget->stop();
}

void PriAccoutWidget::showQrTab()
{
    if (m_phoneWidget) {
        m_layout->removeWidget(m_phoneWidget);
        delete m_phoneWidget;
        m_phoneWidget = nullptr;
    }
    if (!m_qrWidget) {
        m_qrWidget = new QRcodeWidget(this);
        m_qrWidget->setLoginObserver(m_observer);
    }
    m_qrWidget->show();
    m_layout->addWidget(m_qrWidget);
    ui->qr_code_label->setStyleSheet(QString::fromLatin1(kTabActive));
    ui->phone_num_label->setStyleSheet(QString::fromLatin1(kTabInactive));
    ui->qr_code_underline->setStyleSheet(QString::fromLatin1(kUnderlineOn));
    ui->phone_num_underline->setStyleSheet(QString::fromLatin1(kUnderlineOff));
}

void PriAccoutWidget::showPhoneTab()
{
    // The QR tab is only hidden: its polling goes on, so a code scanned meanwhile still signs in.
    if (m_qrWidget) {
        m_layout->removeWidget(m_qrWidget);
        m_qrWidget->hide();
    }
    if (!m_phoneWidget) {
        m_phoneWidget = new PhoneNumWidget(this);
        m_phoneWidget->setLoginObserver(m_observer);
        m_layout->addWidget(m_phoneWidget);
        m_phoneWidget->show();
    }
    ui->qr_code_label->setStyleSheet(QString::fromLatin1(kTabInactive));
    ui->phone_num_label->setStyleSheet(QString::fromLatin1(kTabActive));
    ui->qr_code_underline->setStyleSheet(QString::fromLatin1(kUnderlineOff));
    ui->phone_num_underline->setStyleSheet(QString::fromLatin1(kUnderlineOn));
}

bool PriAccoutWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == ui->qr_code_label)
            showQrTab();
        else if (watched == ui->phone_num_label)
            showPhoneTab();
        else if (watched == ui->reg_label)
            solvek::openLoginLink(QUrl(REGISTER_URL.toString()));
        else if (watched == ui->service_label)
            solvek::openLoginLink(QUrl(RECHARGE_AGREEMENT_URL.toString()));
        else if (watched == ui->sub_label)
            emit clicked();
    }
    return QWidget::eventFilter(watched, event);
}

// Presses go on to the dialog, which drags the frameless window; over the links the window stays.
void PriAccoutWidget::mousePressEvent(QMouseEvent* event)
{
    event->ignore();
}

void PriAccoutWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (ui->reg_label->geometry().contains(event->pos()))
        event->accept();
    else
        event->ignore();
}

void PriAccoutWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (ui->reg_label->geometry().contains(event->pos()) ||
        ui->service_label->geometry().contains(event->pos()))
        event->accept();
    else
        event->ignore();
}

void PriAccoutWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
