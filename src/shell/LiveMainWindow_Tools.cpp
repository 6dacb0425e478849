// Tools and live types: the current tool and the selected look of the tool buttons.
// Stand-in until the live-type switch lands: it only records the tool and updates the buttons.
#include "shell/LiveMainWindow.h"

#include "shell/MyButton.h"

#include <QDebug>

void LiveMainWindow::selectLivetype(LiveType type)
{
    qDebug() << "selectLivetype000000000000" << m_liveType;
    if (type != mainwin::LiveTypeConnMic)
        m_lastLiveType = type;
    updateToolButtons(type);
    m_liveType = type;
}

void LiveMainWindow::updateToolButtons(LiveType type)
{
    MyButton* selected = nullptr;
    switch (type) {
    case mainwin::LiveTypeDocument:
        selected = m_documentBtn;
        break;
    case mainwin::LiveTypeDesktopShare:
        selected = m_desktopShareBtn;
        break;
    case mainwin::LiveTypeSceneLayout:
        selected = m_sceneLayoutBtn;
        break;
    case mainwin::LiveTypeConnMic:
        selected = m_connMicBtn;
        break;
    default:
        return; // the whiteboard button is never shown selected
    }
    for (MyButton* button :
         {m_documentBtn, m_whiteBoardBtn, m_desktopShareBtn, m_sceneLayoutBtn, m_connMicBtn})
        button->setSelected(button == selected);
    for (MyButton* button :
         {m_documentBtn, m_whiteBoardBtn, m_desktopShareBtn, m_sceneLayoutBtn, m_connMicBtn})
        button->updateStyle();
}
