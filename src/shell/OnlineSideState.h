#pragma once
// What the main window keeps for its online-users page: the four tabs, the refresh icon, the
// search bar, the count label, the list with its id map and the empty placeholder. A child of
// the window; the widgets it names live on the window's online page.

#include "chat/ApiTransport.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class ClickableLabel;
class OnlineTabWidget;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
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
    QListWidget* list = nullptr;
    QWidget* emptyPage = nullptr;
    QTimer* emptyTimer = nullptr; // applies listHidden to the list
    bool listHidden = false;

    apitransport::PostJsonFn post = apitransport::netPostJson();
    int refreshHoldMs = kRefreshHoldMs;
};
