#include "canvas/ShowCarmeraWidget.h"

#include "canvas/RightChildMenu.h"
#include "canvas/RightMenu.h"
#include "widgets/RoundLabel.h"
#include "ui_ShowCarmeraWidget.h"

#include <QFrame>
#include <QMouseEvent>

namespace
{
const char* kPanelStyle = "background-color:#1C1F32;border:1px solid #4D4F63;border-radius:4px;";
} // namespace

ShowCarmeraWidget::ShowCarmeraWidget(QWidget* parent) : QWidget(parent), ui(new Ui::ShowCameraWidget)
{
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint);
    setMinimumSize(280, 158);
    setMaximumSize(640, 480);
    setStyleSheet(kPanelStyle);

    m_frame = new QFrame(this);
    m_frame->setGeometry(rect());
    m_avatar = new RoundLabel(m_frame);
    m_avatar->setFixedSize(100, 100);
    m_avatar->move((width() - 100) / 2, (height() - 100) / 2);
    m_avatar->setStyleSheet("border:none");
    m_avatar->hide();
    m_cover = new QLabel(this);
    m_cover->setGeometry(rect());
    m_cover->setStyleSheet(kPanelStyle);
    m_cover->hide();

    m_rightMenu = new RightMenu(this);
    m_rightMenu->hide();
    m_rightChildMenu = new RightChildMenu(this);
    m_rightChildMenu->hide();
    connect(m_rightMenu, &RightMenu::sendCancleClicked, this, [this] {
        emit sendCancleCamera();
        m_rightMenu->hide();
        hide();
    });
    connect(m_rightMenu, &RightMenu::sendOverturnClicked, this, [this](int) { ClickChildRightMenu(); });
}

ShowCarmeraWidget::~ShowCarmeraWidget()
{
    delete ui;
}

void ShowCarmeraWidget::setMenusVisible(bool visible)
{
    m_rightMenu->setVisible(visible);
    m_rightChildMenu->setVisible(visible);
}

void ShowCarmeraWidget::ClickChildRightMenu()
{
    m_rightChildMenu->move(m_pressPos + RightMenu::submenuOffset());
    m_rightChildMenu->show();
}

void ShowCarmeraWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        m_pressPos = event->globalPos();
        m_rightMenu->setMode(0, 0);
        m_rightMenu->move(m_pressPos);
        m_rightMenu->show();
    }
    QWidget::mousePressEvent(event);
}
