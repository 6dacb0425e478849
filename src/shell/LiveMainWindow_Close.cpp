// Leaving the window and reaching the settings: the close button and the window's close event
// with the close prompt, the settings popup under the title bar's settings button, the logout and
// its restart, the settings window and the share-the-live dialog.
#include "shell/LiveMainWindow.h"

#include "core/DataCenter.h"
#include "documents/DocumentShareWidget.h"
#include "settings/SettingsDialog.h"
#include "shell/AppStartup.h"
#include "shell/PopupDialog.h"
#include "shell/ShareLiveDialog.h"
#include "widgets/LogoutDialog.h"
#include "ui_LiveMainWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>

namespace
{
const char* kSettingsButtonLook = "QPushButton#settings_btn {border-image: url(:/images/live/settings.png)};";
const char* kSettingsButtonOpenLook =
    "QPushButton#settings_btn {border-image: url(:/images/live/settings_hover.png)};";

bool broadcasting(mainwin::LiveState state)
{
    return state == mainwin::LiveStateLive;
}
} // namespace

std::function<void(int)> LiveMainWindow::s_exitEventLoop = [](int code) { QCoreApplication::exit(code); };

void LiveMainWindow::centreOnWindow(QWidget& dialog) const
{
    const QPoint centre = geometry().center();
    dialog.move(centre.x() - dialog.width() / 2, centre.y() - dialog.height() / 2);
}

void LiveMainWindow::setSettingsButtonLook(bool popupShown)
{
    ui->settings_btn->setStyleSheet(popupShown ? kSettingsButtonOpenLook : kSettingsButtonLook);
}

// ---- closing -----------------------------------------------------------------------------------

void LiveMainWindow::on_close_btn_clicked()
{
    // A paused broadcast does not hold the window open; a running one does.
    if (broadcasting(m_liveState)) {
        showBroadcastHint(QString::fromUtf8("直播推流中！请停止推流后再退出"));
        return;
    }
    if (CDataCenter::getInstance()->getBool(QStringLiteral("noTitleTipcheck")))
        m_closeDialog.loadSettings();
    if (!m_closeDialog.dontAsk()) {
        m_closeDialog.setWindowModality(Qt::ApplicationModal);
        m_closeDialog.loadSettings();
        m_closeDialog.show();
        centreOnWindow(m_closeDialog);
        if (s_runModalDialog(m_closeDialog) != QDialog::Accepted)
            return;
    }
    if (m_closeDialog.choice() == CloseDialog::ChoiceMinimize)
        showMinimized();
    else
        close();
}

void LiveMainWindow::closeEvent(QCloseEvent* event)
{
    // Any way of closing (the prompt, the system menu, the taskbar) is refused while live, with
    // the same hint as the close button; otherwise the window closes without asking.
    if (broadcasting(m_liveState)) {
        on_close_btn_clicked();
        event->ignore();
        return;
    }
    event->accept();
    // The program ends with its main window, also while a window without a parent (settings,
    // documents, layout editor) is still open and would keep Qt's last-window rule from firing.
    s_exitEventLoop(0);
}

// ---- logout --------------------------------------------------------------------------------------

void LiveMainWindow::logout_clicked()
{
    m_popupShown = false;
    setSettingsButtonLook(false);

    LogoutDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    const bool live = broadcasting(m_liveState);
    if (live)
        dialog.setAcceptOnOk(false);
    if (s_runModalDialog(dialog) == QDialog::Accepted) {
        if (m_documentShareWidget)
            m_documentShareWidget->clearTiles();
        m_lastRoomId = -1;
        // main starts a fresh copy of the program when the loop ends with this code.
        s_exitEventLoop(solvek::kRestartExitCode);
    } else if (live) {
        showBroadcastHint(QString::fromUtf8("直播推流中！请暂停/停止推流后再退出登录"));
    }
}

// ---- the settings popup --------------------------------------------------------------------------

void LiveMainWindow::on_settings_btn_clicked()
{
    if (!m_popupDialog) {
        const QString name = m_loginInfo ? m_loginInfo->name : QString();
        m_popupDialog = new PopupDialog(ui->settings_btn, name);
        connect(m_popupDialog, &PopupDialog::more_settings_clicked, this,
                &LiveMainWindow::more_settings_clicked);
        connect(m_popupDialog, &PopupDialog::check_update_clicked, this,
                &LiveMainWindow::check_update_clicked);
        connect(m_popupDialog, &PopupDialog::logout_clicked, this, &LiveMainWindow::logout_clicked);
        connect(m_popupDialog, &PopupDialog::sigPopupDialogClose, this,
                &LiveMainWindow::handlePopupDialogClose);
    }
    if (m_popupShown) {
        setSettingsButtonLook(false);
        m_popupDialog->hide();
    } else {
        setSettingsButtonLook(true);
        m_popupDialog->placeUnderParent();
        m_popupDialog->show();
    }
    m_popupShown = !m_popupShown;
}

void LiveMainWindow::handlePopupDialogClose()
{
    if (!m_popupShown)
        return;
    setSettingsButtonLook(false);
    m_popupDialog->hide();
    m_popupShown = false;
}

void LiveMainWindow::more_settings_clicked()
{
    CDataCenter::getInstance()->isStreaming =
        m_liveState == mainwin::LiveStateLive || m_liveState == mainwin::LiveStatePaused;
    m_popupShown = false;
    setSettingsButtonLook(false);

    if (!m_settingsDialog) {
        m_settingsDialog = new SettingsDialog(nullptr);
        connect(m_settingsDialog, &SettingsDialog::sendLoginOutSig, this, &LiveMainWindow::logout_clicked);
        connect(m_settingsDialog, &SettingsDialog::sendLiveInfoSig, this,
                [this] { showBroadcastHint(QString::fromUtf8("直播推流中，请中断推流后重试！")); });
        connect(m_settingsDialog, &SettingsDialog::sendShowCameraSig, this, &LiveMainWindow::setShowCarmera);
    }
    m_settingsDialog->showNormal();
    m_settingsDialog->raise();
    centreOnWindow(*m_settingsDialog);
}

void LiveMainWindow::check_update_clicked()
{
    // The popup does not offer the update check (its row is hidden); start-up does it.
}

// ---- sharing the live room -------------------------------------------------------------------------

void LiveMainWindow::on_share_btn_clicked()
{
    if (!m_shareLiveDialog)
        return;
    centreOnWindow(*m_shareLiveDialog);
    s_runModalDialog(*m_shareLiveDialog);
}
