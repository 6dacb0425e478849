// Preview menus: the context menu of a preview video, its rotate submenu and the layer-order menu
// of co-host videos, their wiring to the camera slots and to the co-host overlay, and where they open.
#include "shell/LiveMainWindow.h"

#include "canvas/RightChildMenu.h"
#include "canvas/RightMenu.h"
#include "canvas/SortPageMenu.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/VideoWindows.h"
#include "shell/LiveControl.h"
#include "ui_LiveMainWindow.h"

#include <QCursor>
#include <QLabel>

void LiveMainWindow::initRightMenu()
{
    VideoWindows* preview = ui->preview_widget;

    delete m_rightMenu;
    m_rightMenu = new RightMenu(this);
    m_rightMenu->hide();
    delete m_sortPageMenu;
    m_sortPageMenu = new SortPageMenu(this);
    m_sortPageMenu->hide();
    if (!m_rightChildMenu) {
        m_rightChildMenu = new RightChildMenu(this);
        m_rightChildMenu->hide();
    }

    connect(m_rightMenu, &RightMenu::sendCancleClicked, this, &LiveMainWindow::CancelCarmera);
    connect(m_rightMenu, &RightMenu::sendOverturnClicked, this, &LiveMainWindow::ClickChildRightMenu);
    connect(m_rightMenu, &RightMenu::sigSortPageClicked, this, &LiveMainWindow::ClickSortPageRightMenu);
    connect(m_rightMenu, &RightMenu::sendResetClicked, this, &LiveMainWindow::ClickMenuReset);
    connect(
        m_rightMenu, &RightMenu::sigCancelRefClicked, m_rightMenu,
        [this, preview](int userId) {
            m_sceneCenterWidget->cancelRef(userId);
            preview->handleRightMenuCancelRef(userId);
        },
        Qt::DirectConnection);
    connect(m_rightMenu, &RightMenu::sigResetClicked, preview, &VideoWindows::resetPosition);

    connect(m_sortPageMenu, &SortPageMenu::sigTopPage, this, &LiveMainWindow::handleSortMenuTop);
    connect(m_sortPageMenu, &SortPageMenu::sigBottomPage, this, &LiveMainWindow::handleSortMenuBottom);
    connect(m_sortPageMenu, &SortPageMenu::sigUpPage, this, &LiveMainWindow::handleSortMenuUp);
    connect(m_sortPageMenu, &SortPageMenu::sigDownPage, this, &LiveMainWindow::handleSortMenuDown);

    // The submenu outlives a second set-up: unique connections keep each action single.
    const auto unique = Qt::UniqueConnection;
    connect(m_rightChildMenu, &RightChildMenu::sigClockwiseRotate, preview, &VideoWindows::rotateClockwise,
            unique);
    connect(m_rightChildMenu, &RightChildMenu::sigUnClockwiseRotate, preview,
            &VideoWindows::rotateAnticlockwise, unique);
    connect(m_rightChildMenu, &RightChildMenu::sigRemoteLevelClicked, preview, &VideoWindows::toggleMirror,
            unique);
    connect(m_rightChildMenu, &RightChildMenu::sendClockwiseClicked, this,
            &LiveMainWindow::handleRotateClockwise, unique);
    connect(m_rightChildMenu, &RightChildMenu::sendAanticlockwiseClicked, this,
            &LiveMainWindow::handleRotateAnticlockwise, unique);
    connect(m_rightChildMenu, &RightChildMenu::sendVerticalClicked, this,
            &LiveMainWindow::handleFlipVertically, unique);
    connect(m_rightChildMenu, &RightChildMenu::sendLevelClicked, this,
            &LiveMainWindow::handleSceneWidgetMirror, unique);
}

void LiveMainWindow::handleShowRightMenu(int userId)
{
    if (!m_rightMenu)
        return;
    m_rightMenu->setMode(userId, int(liveControl()->roomId()));
    m_menuGlobalPos = QCursor::pos();
    m_rightMenu->move(m_menuGlobalPos);
    m_rightMenu->show();
}

void LiveMainWindow::openSubmenu(PopupMenuFrame* submenu, int userId)
{
    if (!submenu)
        return;
    submenu->move(m_menuGlobalPos + RightMenu::submenuOffset());
    submenu->setUserId(userId);
    submenu->show();
    // The context menu hid itself on the click; the submenu shows beside it.
    m_rightMenu->show();
}

void LiveMainWindow::ClickChildRightMenu(int userId)
{
    openSubmenu(m_rightChildMenu, userId);
}

void LiveMainWindow::ClickSortPageRightMenu(int userId)
{
    openSubmenu(m_sortPageMenu, userId);
}

void LiveMainWindow::handleSortMenuTop(int userId)
{
    if (userId != 0)
        ui->preview_widget->moveLayerTop(userId);
}

void LiveMainWindow::handleSortMenuBottom(int userId)
{
    if (userId != 0)
        ui->preview_widget->moveLayerBottom(userId);
    // The share, page and scene labels stay beneath the co-host videos.
    m_Prelbl->lower();
    m_docLbl->lower();
    m_sceneLbl->lower();
}

void LiveMainWindow::handleSortMenuUp(int userId)
{
    if (userId != 0)
        ui->preview_widget->moveLayerUp(userId);
}

void LiveMainWindow::handleSortMenuDown(int userId)
{
    if (userId != 0)
        ui->preview_widget->moveLayerDown(userId);
}
