#pragma once
// Rules of the main window that need no widgets, kept apart so they are tested on their own.
#include <QPoint>
#include <QSize>
#include <QString>

namespace mainwin
{

// Live states (see LiveMainWindow::m_liveState); 3 is not used.
enum LiveState : int { LiveStateIdle = 0, LiveStateReady = 1, LiveStateLive = 2, LiveStatePaused = 4 };

// The current tool of the window; -1 is "none yet".
enum LiveType : int {
    LiveTypeNone = -1,
    LiveTypeDocument = 0,
    LiveTypeWhiteBoard = 1,
    LiveTypeDesktopShare = 2,
    LiveTypeSceneLayout = 3,
    LiveTypeConnMic = 4,
};

// The upload rate shown in the title bar: what the monitor reports, but only while live.
int shownRate(int liveState, int bitrate);
// Style of network_label for a shown rate: low up to 10, medium up to 450, high above.
QString rateIconStyle(int rate);
QString rateText(int rate);

// A title-bar drag moves the window by the pointer's offset from the press, unless one step jumps
// 500 pixels or more along either axis (a stale press position, e.g. after a restore).
constexpr int kMaxDragStep = 500;
bool isDragStepAccepted(const QPoint& delta);

// The broadcast hint: centred as if 266 px wide, 12 px below the window's top edge.
constexpr int kBroadcastHintMs = 3000;
QPoint broadcastHintPos(const QPoint& windowTopLeft, int windowWidth);

// The name label: a name narrower than 35 px gets a label 8 px wider and 25 high; a wider one
// leaves the label at the form's zero size (an invalid size here). The text is elided to 42 px.
constexpr int kNameElideWidth = 42;
QSize nameLabelSize(int nameWidth);

// The maximise button's look: the restored window offers to maximise, the maximised one to restore.
inline constexpr char kMaximizeStyle[] =
    "QPushButton{background-color: rgb(28, 31, 50);border-image:url(:/images/live/normal.png)}"
    "                            "
    "QPushButton:hover{background-color:rgb(18, 19, 38);border-image:url(:/images/live/normal_hover.png)};";
inline constexpr char kRestoreStyle[] =
    "QPushButton{background-color: rgb(28, 31, 50);border-image:url(:/images/live/restore.png)}"
    "                            "
    "QPushButton:hover{background-color:rgb(18, 19, 38);border-image:url(:/images/live/restore_hover.png)};";

} // namespace mainwin
