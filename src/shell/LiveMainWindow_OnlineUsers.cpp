// Online users: the page with its four tabs (online, muted, blocked, shielded), the search bar,
// the count and the list; what the room channel tells about viewers arriving and leaving.
#include "shell/LiveMainWindow.h"

#include "chat/ChatWebSocketClient.h"
#include "chat/ItemOnlineUserWidget.h"
#include "chat/LazyRowList.h"
#include "chat/OnlineTabWidget.h"
#include "chat/RoomMessageRouter.h"
#include "chat/RoomProtocol.h"
#include "core/FormBody.h"
#include "core/ImageUtils.h"
#include "core/ServiceConstants.h"
#include "shell/LiveControl.h"
#include "shell/OnlineSideState.h"
#include "shell/SideSearchBar.h"
#include "widgets/ClickableLabel.h"
#include "widgets/EmptyListPlaceholder.h"
#include "ui_LiveMainWindow.h"

#include <QAction>
#include <QDebug>
#include <QElapsedTimer>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
const char kTabNormalStyle[] =
    "font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;color: #6B6C83;line-height: 20px;";
const char kTabSelectedStyle[] =
    "font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;color: #FFFFFF;line-height: 20px;";
const char kDividerStyle[] = "background:#121326;padding:20px";
const char kCountStyle[] = "font-family: Microsoft YaHei;font-weight: 400;font-size: 12px;color: #6B6C83;"
                           "line-height: 20px;text-align: right;font-style: normal; ";
const char kListStyle[] = "QListWidget::item{background: rgb(28, 31, 50);}QListWidget::item:selected{background: "
                          "rgb(28, 31, 50);border-color:rgb(28, 31, 50)}QListWidget:focus { outline: none; }";
const char* const kTabTexts[] = {"在线", "禁言", "拉黑", "屏蔽"};
// The user-list "type" of tabs 1 to 3.
const char* const kListTypes[] = {"", "shut_up", "forbid", "shield"};
// Every viewer row has the one shape.
const QString kRowShape = QStringLiteral("online");

QString countText(int onlineNum) { return QString::fromUtf8("当前在线用户：%1").arg(onlineNum); }
} // namespace

OnlineSideState* LiveMainWindow::onlineSide()
{
    if (!m_onlineSide)
        m_onlineSide = new OnlineSideState(this);
    return m_onlineSide;
}

qint64 LiveMainWindow::currentOnlineRoom() { return liveControl()->roomId(); }

// ---- the page -------------------------------------------------------------------------------

OnlineTabWidget* LiveMainWindow::createOnlineTab(QString text, int index)
{
    auto* tab = new OnlineTabWidget;
    tab->setText(text);
    tab->setNormalStyle(QString::fromUtf8(kTabNormalStyle));
    tab->setSelectedStyle(QString::fromUtf8(kTabSelectedStyle));
    tab->setSelected(false);
    tab->object = index;
    tab->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    tab->setFixedHeight(40);
    connect(tab, &OnlineTabWidget::leftClicked, this, [this](QVariant& object, QMouseEvent*) {
        onOnlineTabChanged(object);
    });
    connect(tab, &OnlineTabWidget::rightClicked, this, [this](QVariant& object, QMouseEvent*) {
        onOnlineTabChanged(object);
    });
    return tab;
}

void LiveMainWindow::initOnlineUserPage()
{
    OnlineSideState* s = onlineSide();
    if (s->built)
        return;
    s->built = true;

    QWidget* page = ui->online_page;
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);

    // 1. tabs and the refresh icon
    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 6, 0);
    for (int i = 0; i < 4; ++i) {
        OnlineTabWidget* tab = createOnlineTab(QString::fromUtf8(kTabTexts[i]), i);
        tab->setParent(page);
        tab->setObjectName(QStringLiteral("online_tab_%1").arg(i));
        s->tabs.append(tab);
        header->addWidget(tab);
    }
    s->refresh = createBtnWithImg(QStringLiteral(":/images/live/ic_online_list_refresh.png"));
    s->refresh->setParent(page);
    s->refresh->setObjectName(QStringLiteral("online_refresh"));
    header->addWidget(s->refresh);
    pageLayout->addLayout(header);

    // 2. divider
    auto* divider = new QLabel(page);
    divider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    divider->setFixedHeight(1);
    divider->setContentsMargins(0, 0, 0, 0);
    divider->setStyleSheet(QString::fromUtf8(kDividerStyle));
    pageLayout->addWidget(divider);
    pageLayout->addSpacing(8);
    pageLayout->addSpacing(4);

    // 3. search bar
    auto* bar = new SideSearchBar(QStringLiteral("online"), page);
    s->searchEdit = bar->edit();
    s->searchButton = bar->button();
    s->clearAction = bar->clearAction();
    pageLayout->addWidget(bar);

    // 4. count and list
    auto* listBlock = new QVBoxLayout;
    listBlock->setContentsMargins(0, 0, 0, 0);
    listBlock->setSpacing(0);
    s->countLabel = new QLabel(countText(0), page);
    s->countLabel->setObjectName(QStringLiteral("online_count_label"));
    s->countLabel->setStyleSheet(QString::fromUtf8(kCountStyle));
    s->countLabel->setContentsMargins(8, 12, 0, 0);
    listBlock->addWidget(s->countLabel);
    s->list = new LazyRowList(page);
    s->list->setObjectName(QStringLiteral("online_list"));
    s->list->setViewMode(QListView::ListMode);
    s->list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    s->list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    s->list->verticalScrollBar()->setSingleStep(10);
    s->list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    s->list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    s->list->setWordWrap(true);
    s->list->setStyleSheet(QString::fromUtf8(kListStyle));
    s->list->setFirstGuess(QSize(0, ItemOnlineUserWidget::kRowHeight));
    LazyRowList* view = s->list;
    view->setRowFactory([this, view](QListWidgetItem* item) -> QWidget* {
        auto* row = new ItemOnlineUserWidget(item->data(LazyRowList::kRecordRole).value<ItemOnlineUserInfo>(),
                                             view->viewport());
        // The list's item of the row is asked each time: rows above it come and go. A row let go
        // or gone with its item reports to the list no more.
        connect(row, &ItemOnlineUserWidget::loadFinished, view, [view, row](int, int) {
            const QSize size(view->width(), ItemOnlineUserWidget::kRowHeight);
            // Set only on change: a paint reports every time, and a new hint lays the row out again.
            if (row->size() != size) {
                row->setFixedSize(size);
                row->adjustSize();
            }
            QListWidgetItem* it = view->itemForRow(row);
            if (it && it->sizeHint() != size)
                it->setSizeHint(size);
        });
        connect(row, &ItemOnlineUserWidget::onRemoveItem, view, [this, view](ItemOnlineUserWidget* r) {
            if (QListWidgetItem* it = view->itemForRow(r))
                removeOnlineRow(it, r->record().client_id);
        });
        return row;
    });
    listBlock->addWidget(s->list);
    pageLayout->addLayout(listBlock);

    // 5. empty placeholder
    s->emptyPage = new EmptyListPlaceholder(page);
    s->emptyPage->setObjectName(QStringLiteral("online_empty"));
    pageLayout->addWidget(s->emptyPage);

    s->emptyTimer = new QTimer(s);
    s->emptyTimer->setSingleShot(true);
    s->emptyTimer->setInterval(OnlineSideState::kEmptyListDelayMs);
    connect(s->emptyTimer, &QTimer::timeout, s, [s] {
        if (s->list)
            s->list->setVisible(!s->listHidden);
    });

    // Controls. The refresh icon shows every viewer (the edit keeps its text); the search button
    // applies the edit's text; the clear action empties both.
    connect(s->refresh, &ClickableLabel::clicked, this, [this, s](QVariant&, QMouseEvent*) {
        s->appliedSearch.clear();
        onOnlineTabChanged(-1);
    });
    connect(s->searchButton, &ClickableLabel::clicked, this, [this, s](QVariant&, QMouseEvent*) {
        s->appliedSearch = s->searchEdit->text();
        onOnlineTabChanged(-1);
    });
    connect(s->clearAction, &QAction::triggered, this, [this, s] {
        s->searchEdit->clear();
        s->appliedSearch.clear();
        onOnlineTabChanged(-1);
    });

    // What the room channel tells about viewers.
    liveControl();
    auto& h = m_roomRouter->hooks;
    h.selectedOnlineTab = [s] { return s->currentTab; };
    h.onlineList = [this](int onlineNum, const QJsonObject& message) { handleOnlineListMessage(onlineNum, message); };
    h.onlineCountChanged = [this](int onlineNum) { showOnlineCount(onlineNum); };
    h.onlineUserUp = [this](const QJsonObject& clientInfo) {
        ItemOnlineUserInfo record = ItemOnlineUserInfo::fromRoomChannel(clientInfo, currentOnlineRoom());
        record.room_id = currentOnlineRoom();
        fillOnlineList({record}, true);
    };
    h.onlineUserDown = [this, s](const QJsonObject& clientInfo) {
        // The id map is the first tab's only while that tab is shown.
        if (!s->list || s->currentTab != 0)
            return;
        const QString key = ItemOnlineUserInfo::fromRoomChannel(clientInfo, currentOnlineRoom()).client_id;
        // A departure waits behind the viewers still being added (it may be one of them).
        if (!s->waiting.empty()) {
            OnlineSideState::Work work;
            work.departure = true;
            work.leaving = key;
            s->waiting.push_back(std::move(work));
            return;
        }
        onlineUserLeft(key);
    };
    h.reloadOnlineTab = [this] { onOnlineTabChanged(-1); };

    showOnlineEmpty(false);
    s->currentTab = -1;
    onOnlineTabChanged(0);
}

// ---- tabs and reloads -------------------------------------------------------------------------

void LiveMainWindow::onOnlineTabChanged(QVariant index)
{
    OnlineSideState* s = onlineSide();
    if (!s->built)
        return;
    bool ok = false;
    const int tab = index.toInt(&ok);
    if (!ok || tab < -1 || tab > 3)
        return;
    s->refresh->setEnabled(false);
    if (tab == -1) {
        onOnlineTabChanged(s->currentTab < 0 ? 0 : s->currentTab);
        return;
    }
    if (tab != s->currentTab) {
        s->searchEdit->clear();
        s->appliedSearch.clear();
        s->currentTab = tab;
    }
    for (OnlineTabWidget* t : s->tabs)
        t->setSelected(t->object.toInt() == tab);
    s->countLabel->setText(countText(0));
    s->countLabel->setVisible(tab == 0);
    const QMargins m = s->emptyPage->contentsMargins();
    s->emptyPage->setContentsMargins(m.left(), tab == 0 ? 48 : 80, m.right(), m.bottom());
    showOnlineEmpty(false);
    refreshOnlineList();
}

void LiveMainWindow::clearOnlineRows()
{
    OnlineSideState* s = onlineSide();
    // The items go with their row widgets; the map must not outlive them. Viewers still waiting
    // belonged to the list cleared.
    s->idMap.clear();
    s->waiting.clear();
    if (s->list)
        s->list->clear();
}

void LiveMainWindow::refreshOnlineList()
{
    OnlineSideState* s = onlineSide();
    if (!s->built)
        return;
    clearOnlineRows();
    s->pageCounter = 1;
    if (s->currentTab == 0) {
        s->pageCounter = 0;
        sendChatWsMessage(RoomProtocol::getOnlineListMessage());
        QPointer<ClickableLabel> refresh(s->refresh);
        QTimer::singleShot(s->refreshHoldMs, s, [refresh] {
            if (refresh)
                refresh->setEnabled(true);
        });
        return;
    }
    requestUserList(QString::fromLatin1(kListTypes[s->currentTab]));
}

void LiveMainWindow::requestUserList(QString type)
{
    OnlineSideState* s = onlineSide();
    const int tab = s->currentTab;
    const qint64 room = currentOnlineRoom();
    const QString body = solvek::FormBody()
                             .add("room_id", room)
                             .add("uid", qint64(m_loginInfo ? m_loginInfo->uid : 0))
                             .add("type", type)
                             .add("page", s->pageCounter)
                             .add("name", s->searchEdit ? s->searchEdit->text() : QString())
                             .add("tag_id", 0)
                             .toString();
    QPointer<LiveMainWindow> self(this);
    // A reply belongs to the tab and room it was asked for: once the host has moved on, a muted
    // list must not fill the blocked tab (whose rows would undo a block the viewer lacks).
    const auto current = [self, tab, room] {
        return self && self->m_onlineSide && self->m_onlineSide->currentTab == tab &&
               self->currentOnlineRoom() == room;
    };
    s->post(
        API_GET_WECHAT_USER_LIST, body,
        [self, current, tab, room](const QJsonObject& reply) {
            if (!current())
                return;
            OnlineSideState* st = self->m_onlineSide;
            if (st->pageCounter == 1)
                self->clearOnlineRows();
            const QList<ItemOnlineUserInfo> records = parseUserListPage(reply, tab, room);
            if (records.isEmpty()) {
                --st->pageCounter;
                if (st->pageCounter == 0)
                    self->showOnlineEmpty(true);
            } else {
                self->fillOnlineList(records, false);
            }
            st->refresh->setEnabled(true);
        },
        [self, current](const QString& error) {
            qDebug() << "API_GET_WECHAT_USER_LIST error" << error;
            if (current())
                self->m_onlineSide->refresh->setEnabled(true);
        });
}

// ---- rows -------------------------------------------------------------------------------------

void LiveMainWindow::fillOnlineList(const QList<ItemOnlineUserInfo>& list, bool atTop)
{
    OnlineSideState* s = onlineSide();
    if (!s->list)
        return;
    showOnlineEmpty(false);
    if (list.isEmpty())
        return;
    OnlineSideState::Work work;
    work.records = list;
    work.atTop = atTop;
    s->waiting.push_back(std::move(work));
    // A short list (or the start of a long one) is added at once, unless earlier viewers wait.
    if (s->waiting.size() == 1)
        addWaitingOnlineRows(OnlineSideState::kSliceMs);
}

void LiveMainWindow::addOnlineRecord(const ItemOnlineUserInfo& record, bool atTop)
{
    OnlineSideState* s = onlineSide();
    LazyRowList* view = s->list;
    const bool firstTab = s->currentTab == 0;
    if (firstTab && !s->appliedSearch.isEmpty() && !record.client_name.contains(s->appliedSearch, Qt::CaseInsensitive))
        return;
    if (firstTab && s->idMap.contains(record.client_id))
        return;
    // The row is a record and a size until it comes near the view (the list's row factory makes it).
    QListWidgetItem* item = view->makeRowItem(QVariant::fromValue(record), kRowShape);
    item->setSizeHint(QSize(view->width(), ItemOnlineUserWidget::kRowHeight));
    if (atTop)
        view->insertItem(0, item);
    else
        view->addItem(item);
    s->idMap.insert(record.client_id, item);
}

void LiveMainWindow::addWaitingOnlineRows(int budgetMs)
{
    OnlineSideState* s = onlineSide();
    LazyRowList* view = s->list;
    if (!view || s->waiting.empty())
        return;
    QElapsedTimer clock;
    clock.start();
    const auto inBudget = [&] { return budgetMs < 0 || clock.elapsed() < budgetMs; };
    view->beginRows();
    while (!s->waiting.empty() && inBudget()) {
        OnlineSideState::Work& work = s->waiting.front();
        if (work.departure) {
            const QString key = work.leaving;
            s->waiting.pop_front();
            view->endRows();
            onlineUserLeft(key);
            view->beginRows();
            continue;
        }
        const int n = work.size();
        while (work.next < n) {
            if (work.entries.isEmpty())
                addOnlineRecord(work.records.at(work.next), work.atTop);
            else
                addOnlineRecord(ItemOnlineUserInfo::fromRoomChannel(work.entries.at(work.next).toObject(), work.roomId),
                                work.atTop);
            ++work.next;
            // The clock is read every few rows (a row costs a few microseconds).
            if ((work.next & 15) == 0 && !inBudget())
                break;
        }
        if (work.next >= n)
            s->waiting.pop_front();
    }
    view->endRows();
    if (s->waiting.empty() || s->sliceQueued)
        return;
    s->sliceQueued = true;
    QTimer::singleShot(0, view, [this, s] {
        s->sliceQueued = false;
        addWaitingOnlineRows(OnlineSideState::kSliceMs);
    });
}

void LiveMainWindow::onlineUserLeft(const QString& key)
{
    OnlineSideState* s = onlineSide();
    if (QListWidgetItem* item = s->idMap.value(key))
        removeOnlineRow(item, key);
}

void LiveMainWindow::removeOnlineRow(QListWidgetItem* item, const QString& key)
{
    OnlineSideState* s = onlineSide();
    if (!item || !s->list)
        return;
    if (s->idMap.value(key) == item)
        s->idMap.remove(key);
    // The view releases the row widget with its item. The item's row is asked first: known at once
    // unless rows above it came or went, where deleting the item alone would search every row.
    const int row = s->list->row(item);
    delete (row >= 0 ? s->list->takeItem(row) : item);
    s->list->viewport()->update();
    showOnlineEmpty(s->list->count() == 0);
}

void LiveMainWindow::showOnlineEmpty(bool empty)
{
    OnlineSideState* s = onlineSide();
    if (s->emptyPage)
        s->emptyPage->setVisible(empty);
    if (!s->list || !s->emptyTimer)
        return;
    // The list follows a moment later; the last request wins.
    s->listHidden = empty;
    s->emptyTimer->start();
}

// ---- the room channel -------------------------------------------------------------------------

void LiveMainWindow::showOnlineCount(int onlineNum)
{
    OnlineSideState* s = onlineSide();
    if (s->countLabel)
        s->countLabel->setText(countText(onlineNum));
}

void LiveMainWindow::handleOnlineListMessage(int onlineNum, const QJsonObject& message)
{
    OnlineSideState* s = onlineSide();
    if (!s->built)
        return;
    showOnlineCount(onlineNum);
    // Only the first tab lists the viewers online; a late answer must not fill another tab.
    // The entries are read into records as they are added, a slice at a time (as parseOnlineUsers
    // reads them).
    if (s->currentTab == 0 && s->list) {
        const QJsonArray entries = message.value(QLatin1String("data")).toArray();
        if (entries.isEmpty()) {
            showOnlineEmpty(true);
        } else {
            showOnlineEmpty(false);
            OnlineSideState::Work work;
            work.entries = entries;
            work.roomId = currentOnlineRoom();
            s->waiting.push_back(std::move(work));
            if (s->waiting.size() == 1)
                addWaitingOnlineRows(OnlineSideState::kSliceMs);
        }
    }
    s->refresh->setEnabled(true);
}
