// Co-host handling: the invitation dialog. The co-host list and signalling are still to come.
#include "shell/LiveMainWindow.h"

#include "cohost/ConnectMicInviteDialog.h"
#include "shell/LiveControl.h"
#include "shell/MyButton.h"
#include "ui_LiveMainWindow.h"

// Every choice of a co-host room hands the dialog that room's link and QR code.
void LiveMainWindow::refreshInviteDialog()
{
    LiveControl* control = liveControl();
    if (control->coHostMode() != 1)
        return;
    if (!m_connectMicInviteDialog) {
        m_connectMicInviteDialog = new ConnectMicInviteDialog(nullptr);
        connect(m_connectMicInviteDialog, &ConnectMicInviteDialog::sigConnectMicInviteDialogClose, this,
                &LiveMainWindow::handlConnMicInviteDialogClose);
    }
    m_connectMicInviteDialog->refreshLink(control->roomId(),
                                          QString::fromUtf8(control->room().push_app_stream));
}

void LiveMainWindow::showConnMicInviteDialogSlot()
{
    if (!m_connectMicInviteDialog)
        return; // no co-host room chosen yet
    updateToolButtons(mainwin::LiveTypeConnMic);
    m_connectMicInviteDialog->showDialog();
    const QRect area(ui->centralwidget->mapToGlobal(QPoint(0, 0)), ui->centralwidget->size());
    m_connectMicInviteDialog->move(area.center() - m_connectMicInviteDialog->rect().center());
    m_liveType = mainwin::LiveTypeConnMic;
}

void LiveMainWindow::handlConnMicInviteDialogClose()
{
    if (m_liveType != mainwin::LiveTypeConnMic)
        return;
    m_liveType = m_lastLiveType;
    updateToolButtons(m_liveType);
}

void LiveMainWindow::handleRemoteVideoAvailable(const char*, bool) {}

void LiveMainWindow::handleRemoteAudioAvailable(const char*, bool) {}

// Without co-host rows there is nobody to ask about: the popup's choice applies at once.
void LiveMainWindow::onPauseRequested()
{
    pause_live();
}

void LiveMainWindow::onStopRequested()
{
    stop_live();
}
