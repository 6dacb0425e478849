#pragma once
// What the main window keeps for its online-users page: the four tabs, the refresh icon, the
// search bar, the count label, the list with its id map, the viewers still to be added and the
// empty placeholder. A child of the window; the widgets it names live on the window's online page.
//
// Viewers are records in the list's items; a row's widget is made only near the view (LazyRowList).
// A big list is added a slice at a time (kSliceMs of work per turn of the event loop); arrivals
// and departures that come meanwhile wait behind it, so they act in the order they came.

#include "chat/ApiTransport.h"
#include "chat/ItemOnlineUserInfo.h"

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QString>

#include <deque>

class ClickableLabel;
class OnlineTabWidget;
class QAction;
class QLabel;
class QLineEdit;
class LazyRowList;
class QListWidgetItem;
class QTimer;
class QWidget;

class OnlineSideState : public QObject
{
    Q_OBJECT
public:
    explicit OnlineSideState(QObject* parent) : QObject(parent) {}

    // The refresh icon takes clicks again this long after a request of the first tab.
    static constexpr int kRefreshHoldMs = 2000;
    // The list follows the placeholder (hidden while it shows) this long later.
    static constexpr int kEmptyListDelayMs = 10;
    // Work on a waiting list per turn of the event loop.
    static constexpr int kSliceMs = 8;

    // Viewers waiting to be added (room-channel entries still to be read, or records), or one
    // departure, in the order they came.
    struct Work {
        QJsonArray entries; // room-channel form, read from `next` on
        qint64 roomId = 0;  // the room of those entries
        QList<ItemOnlineUserInfo> records;
        int next = 0;
        bool atTop = false;
        bool departure = false;
        QString leaving; // the client_id of a departure
        int size() const { return entries.isEmpty() ? records.size() : entries.size(); }
    };

    bool built = false;
    int currentTab = -1;   // 0 online, 1 muted, 2 blocked, 3 shielded; -1 until the first selection
    int pageCounter = 1;   // page of the user-list request
    QString appliedSearch; // the name filter of the first tab
    // client_id -> the row's item. Goes with the list's rows: every clear of one clears the other.
    QHash<QString, QListWidgetItem*> idMap;
    QList<OnlineTabWidget*> tabs;

    ClickableLabel* refresh = nullptr;
    QLineEdit* searchEdit = nullptr;
    ClickableLabel* searchButton = nullptr;
    QAction* clearAction = nullptr;
    QLabel* countLabel = nullptr;
    LazyRowList* list = nullptr;
    std::deque<Work> waiting;
    bool sliceQueued = false;
    QWidget* emptyPage = nullptr;
    QTimer* emptyTimer = nullptr; // applies listHidden to the list
    bool listHidden = false;

    apitransport::PostJsonFn post = apitransport::netPostJson();
    int refreshHoldMs = kRefreshHoldMs;
};
