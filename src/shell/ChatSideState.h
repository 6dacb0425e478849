#pragma once
// What the main window keeps for its side panel's chat: the tab bar, the tip page, the chat page
// and its list, the send road and the room the chat belongs to. A child of the window; the
// widgets it names belong to the window's form. The room itself is the live control's.

#include "chat/ChatRowIndex.h"
#include "chat/ItemChatRecord.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class ChatItemWidget;
class ChatListWidget;
class ChatSender;
class ClickableLabel;
class EmoteListWidget;
class CustomWidget;
class QHBoxLayout;
class QLabel;
class QTextEdit;
class QTimer;
class QVBoxLayout;
class QWidget;
class UserRemindMsgWidget;

class ChatSideState : public QObject
{
    Q_OBJECT
public:
    explicit ChatSideState(QObject* parent) : QObject(parent) {}

    static constexpr int kToastMs = 2000;
    static constexpr int kLateScrollMs = 500;
    static constexpr int kFlushBudgetMs = 8;
    // Live messages that follow shown ones within this time are added together (a busy room
    // lays the list out and paints it a few times a second, not once per message). Any other
    // frame of the channel, the host's own row and a switch of rooms first add what is held.
    static constexpr int kGroupMs = 40;
    // Message rows the list keeps at most; tests set a smaller bound.
    static constexpr int kMaxChatRows = 1000;
    // History pages that add no row (all shown already) are skipped by asking for the next one at
    // once, at most this many in a row.
    static constexpr int kMaxSkippedPages = 100;
    // Item data role holding the history page a row came from (live rows hold none).
    static constexpr int kPageRole = 0x0100 + 17;

    ChatSender* sender = nullptr;
    QObject* pressFilter = nullptr;
    ChatRowIndex rows;

    // side tabs: 0 chat, 1 co-host, 2 online users
    QHBoxLayout* tabLayout = nullptr;
    CustomWidget* chatTab = nullptr;
    CustomWidget* micTab = nullptr;
    CustomWidget* onlineTab = nullptr;
    int currentSideTab = 0;

    // tip page
    QLabel* tipText = nullptr;
    QLabel* tipLink = nullptr;

    // chat page
    bool pageBuilt = false;
    QVBoxLayout* pageLayout = nullptr;
    QLabel* noticeLabel = nullptr;
    ChatListWidget* list = nullptr;
    QPointer<UserRemindMsgWidget> remindWidget; // enter and leave notices, made on the first one
    ClickableLabel* clearLabel = nullptr;
    ClickableLabel* scrollLabel = nullptr;
    ClickableLabel* muteAllLabel = nullptr;
    QHBoxLayout* inputRow = nullptr;
    QWidget* inputBox = nullptr;
    ClickableLabel* emoteButton = nullptr;
    QPointer<EmoteListWidget> emotePanel; // made on the first press of the emote button
    ClickableLabel* pictureButton = nullptr;
    QTextEdit* input = nullptr;
    ClickableLabel* sendLabel = nullptr;
    // load-more header (row 0 of the list while it exists; the list deletes it when cleared)
    QPointer<QWidget> loadMoreWidget;
    QPointer<QLabel> loadingLabel;
    QPointer<ClickableLabel> loadMoreLabel;

    // live rows held back while many arrive at once, added in groups
    bool flushQueued = false;
    QList<ItemChatRecord> heldRows;
    QElapsedTimer lastRowsShown; // since live rows were last added
    bool autoScroll = true;
    bool scrollQueued = false;          // a scroll to the bottom waits for the event loop
    QPointer<QTimer> lateScroll;        // the scroll 500 ms after the last new row
    int historyPage = 0;
    qint64 lastRoomId = -1; // the room whose chat was loaded last; -1 none
    // history: each room choice starts a new epoch; replies of an earlier epoch are dropped
    quint64 historyEpoch = 0;
    bool pageInFlight = false;
    bool firstPageShown = false;     // the room's first page came (only it scrolls and pins)
    bool headerTakenByEmptyPage = false;
    bool firstPageRows = false;      // the rows being added are the first page's
    int skippedPages = 0;            // pages in a row that added no row
    int rowBound = kMaxChatRows;

    // mention and quote, set by the row actions
    QString mentionNick;
    QString mentionSpaceId;
    QString quotedLine;
    QHBoxLayout* quoteBar = nullptr;
    QPointer<QWidget> quoteWidget;
    class MentionGuard* mentionGuard = nullptr;

    // mute-all: the state the room last announced, and a request under way
    bool muteAll = false;
    bool muteAllPending = false;

    // pinned message
    QPointer<ChatItemWidget> pinnedRow;
    QString pinnedId;
};
