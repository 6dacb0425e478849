// Chat and audience: the side tab bar, the tip page, the chat page and its list, the host's chat
// text on its way to the room, and the room channel as far as the chat needs it.
#include "shell/LiveMainWindow.h"

#include "chat/ChatItemWidget.h"
#include "chat/ChatListWidget.h"
#include "chat/ChatSender.h"
#include "chat/ChatWebSocketClient.h"
#include "chat/EmoteListWidget.h"
#include "chat/MentionGuard.h"
#include "chat/RoomMessageRouter.h"
#include "chat/UserRemindMsgWidget.h"
#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/Toast.h"
#include "scenes/SceneLayoutControl.h"
#include "shell/ChatSideState.h"
#include "shell/LiveControl.h"
#include "widgets/ClickableLabel.h"
#include "widgets/CustomWidget.h"
#include "ui_LiveMainWindow.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPersistentModelIndex>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace
{
const char kGreyTextStyle[] =
    "font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;color: #6B6C83;line-height: 20px;";
const char kLinkStyle[] =
    "font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;color: #527FF6;line-height: 20px;";
const char kNoticeText[] = "平台官方倡导文明直播，诚信交易，将会对内容进行24小时的在线巡查。"
                           "任何传播违法、违规、低俗、暴力等不良信息将会封停账号";
const char kNoticeStyle[] = "margin:8px;padding:8px;font-family: PingFangSC, PingFang SC;font-size: 12px;"
                            "font-weight: 600;color: #0669F5;line-height: 20px;background: #DAEBFC;"
                            "border - radius: 4px; ";
const char kListStyle[] = "QListWidget::item{background: rgb(28, 31, 50);}QListWidget::item:selected{background: "
                          "rgb(28, 31, 50);border-color:rgb(28, 31, 50)}QListWidget:focus { outline: none; }";
const char kInputBoxStyle[] = "background: #04091F;border - radius: 4px;";
const char kInputStyle[] = "color:white;line-height:20px;font-size:14px;font-family: Microsoft YaHei;";
const char kSendStyle[] = "padding:8px 8px;color:white;line-height:20px;font-size:14px;font-weight: 600;"
                          "background: qlineargradient( x1:0, y1:0, x2:1, y2:0, stop:0 #527FF6, stop:1 #396BEB);"
                          "border - radius: 4px; ";
const char kActiveColour[] = "#055CD8";
const char kInactiveColour[] = "rgba(255,255,255,0.1)";
const char kChatTipText[] = "请先选择开播方式，再使用聊天互动";
const char kOnlineTipText[] = "请先选择开播方式，再使用在线用户";

// Rows alike in kind, parts and text length take alike sizes.
QString rowShape(const ItemChatRecord& r)
{
    const bool pinned = r.top;
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(r.msg_type)
        .arg(!pinned && !r.chat_time.isEmpty())
        .arg(!pinned && !r.content.quote_content.isEmpty())
        .arg(r.from_client_name.size() / 8 + r.tags.size())
        .arg(r.content.content.size() / 8);
}

// Calls fn on every mouse press of the watched objects; fn says whether the press is consumed.
class PressFilter : public QObject
{
public:
    PressFilter(QObject* parent, std::function<bool(QObject*)> fn) : QObject(parent), m_fn(std::move(fn)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            return m_fn(watched);
        return false;
    }

private:
    std::function<bool(QObject*)> m_fn;
};
} // namespace

// ---- state, router and send road ----------------------------------------------------------------

ChatSideState* LiveMainWindow::chatSide()
{
    if (m_chatSide)
        return m_chatSide;
    m_chatSide = new ChatSideState(this);
    ChatSideState* s = m_chatSide;

    // The live control owns the room choice and makes the router; the chat follows its choices.
    LiveControl* control = liveControl();
    connect(control, &LiveControl::choiceTaken, this, &LiveMainWindow::onChatRoomChosen);
    connect(control, &LiveControl::stopped, this, [this, s] {
        s->lastRoomId = -1; // the same room chosen again loads its chat anew
        // The stop shows the tip page; only a host on the co-host tab is moved to the chat tab.
        if (s->currentSideTab == 2)
            showOnlineUserPage();
        else
            showChatPage();
    });
    auto& h = m_roomRouter->hooks;
    h.addItemChatRecord = [this](ItemChatRecord& record, bool isWss) { addItemChatRecord(record, isWss); };
    h.pinnedMessageId = [s] { return s->pinnedId; };
    h.showHeldRows = [this] { flushHeldChatRows(-1); };
    h.removeChatRow = [this](const QString& id, int ownSeq) { removeChatRow(id, ownSeq); };
    h.setPinnedMessage = [this](const ItemChatRecord& record, bool pinned) {
        ItemChatRecord copy = record;
        setPinnedMessage(copy, pinned);
    };
    h.setMuteAllState = [this](bool on) { setMuteAllState(on); };
    h.deleteEchoedOwnMessage = [this](int, const QString& id) { postChatDelete(id, true); };
    h.chatListExists = [s] { return s->list != nullptr; };
    h.currentSideTab = [s] { return s->currentSideTab; };
    h.addRemindMessage = [this](const QString& name, bool enter) { addRemindMessage(name, enter); };

    // Presses on the side tabs and on the tip page's link.
    s->pressFilter = new PressFilter(s, [this](QObject* watched) {
        ChatSideState* st = chatSide();
        if (watched == st->chatTab)
            showChatPage();
        else if (watched == st->micTab)
            selectSideTab(1, 2);
        else if (watched == st->onlineTab)
            showOnlineUserPage();
        else if (watched == st->tipLink) {
            showLiveModeDialog();
            return true;
        }
        return false;
    });

    s->sender = new ChatSender(s);
    s->sender->setLoginInfo(m_loginInfo);
    s->sender->hooks.showOwnMessage = [this](const QString& say) { return showOwnMessage(say, QString()); };
    RoomMessageRouter* router = m_roomRouter;
    s->sender->hooks.ownMessageDropped = [router](const QString& key, int seq) {
        router->ownMessages().cancel(key, seq);
    };
    s->sender->hooks.ownMessageSent = [router](const QString&, int seq) { router->ownMessageSent(seq); };
    s->sender->hooks.sendFailed = [] {
        Toast::getInstance()->showStatus(QString::fromUtf8("发送失败"), false, ChatSideState::kToastMs);
    };
    h.ownMessagesFailed = [s](int) { s->sender->hooks.sendFailed(); };

    // A row asks for the server id of one of the host's own messages (known from its echo).
    QPointer<RoomMessageRouter> weakRouter(m_roomRouter);
    ChatItemWidget::hooks().serverMessageId = [weakRouter](const ItemChatRecord& own) {
        return weakRouter ? weakRouter->ownMessageServerId(own.local_seq) : QString();
    };
    return s;
}

void LiveMainWindow::connWss(qlonglong) { chatSide(); m_roomRouter->connWss(); }

void LiveMainWindow::initWss(QString ws_url) { chatSide(); m_roomRouter->initWss(ws_url); }

void LiveMainWindow::onWsConnected() { chatSide(); m_roomRouter->onWsConnected(); }

void LiveMainWindow::onWsTextMessage(QString message) { chatSide(); m_roomRouter->onWsTextMessage(message); }

void LiveMainWindow::handleImSDKNewMessage(QByteArray newMessage)
{
    chatSide();
    m_roomRouter->handleImSDKNewMessage(newMessage);
}

int LiveMainWindow::handleAdminSendMessageRecv(QString sendWssMessage, QString msg_id)
{
    chatSide();
    return m_roomRouter->handleAdminSendMessageRecv(sendWssMessage, msg_id);
}

void LiveMainWindow::updateChatRecordList() { chatSide(); m_roomRouter->updateChatRecordList(); }

void LiveMainWindow::getUserTagInfo() { chatSide()->sender->getUserTagInfo(); }

void LiveMainWindow::sendChatText()
{
    ChatSideState* s = chatSide();
    if (!s->input)
        return;
    const ChatSender::Draft draft{s->input->toPlainText(), s->mentionNick, s->mentionSpaceId, s->quotedLine};
    if (s->sender->send(draft) == ChatSender::Outcome::EmptyInput) {
        Toast::getInstance()->showTip(QString::fromUtf8("请输入聊天内容"), ChatSideState::kToastMs);
        return;
    }
    // Whatever becomes of the message, the input is ready for the next one at once.
    s->input->clear();
    if (s->mentionGuard)
        s->mentionGuard->stop();
    s->mentionNick.clear();
    s->mentionSpaceId.clear();
    removeQuoteBar();
}

void LiveMainWindow::handleAdminSendMessage(QString sendWssMessage, QString content)
{
    showOwnMessage(sendWssMessage, content);
}

int LiveMainWindow::showOwnMessage(const QString& sayMessage, const QString& content)
{
    chatSide();
    const int seq = m_roomRouter->takeNextLocalSeq();
    static const LoginInfo noLogin;
    const QString avatarFile = CDataCenter::getInstance()->userDocDir.isEmpty()
                                   ? QString()
                                   : CDataCenter::getInstance()->userDocDir + "/temp.jpeg";
    ItemChatRecord record(m_loginInfo ? *m_loginInfo : noLogin, seq, m_chatSide->sender->ownTagsText(), sayMessage,
                          avatarFile);
    addItemChatRecord(record, true);
    m_roomRouter->addPendingOwnMessage(chatsend::ownMessageKey(record.content.content, content), seq);
    return seq;
}

void LiveMainWindow::removeQuoteBar()
{
    ChatSideState* s = chatSide();
    if (s->quoteBar) {
        if (s->pageLayout)
            s->pageLayout->removeItem(s->quoteBar);
        clearLayout(s->quoteBar);
        delete s->quoteBar;
        s->quoteBar = nullptr;
    }
    s->quotedLine.clear();
}

// ---- the chat list ------------------------------------------------------------------------------

void LiveMainWindow::addItemChatRecord(ItemChatRecord& value, bool isWss)
{
    if (!chatsend::isShownMessageType(value.msg_type))
        return;
    ChatSideState* s = chatSide();
    value.room_id = liveControl()->roomId();
    if (!s->list)
        return;
    // Each row added to a visible list lays the list out, scrolls and repaints it. A message after
    // a quiet moment is shown at once; those that follow within kGroupMs of the last rows shown are
    // added together (one layout, scroll and paint), a burst in groups of at most kFlushBudgetMs
    // of work, with the event loop running between them. The host's own messages are never held
    // back (they show at once), nor is history.
    if (isWss && value.local_seq == -1) {
        if (s->flushQueued) {
            s->heldRows.append(value);
            return;
        }
        const qint64 since = s->lastRowsShown.isValid() ? s->lastRowsShown.elapsed() : ChatSideState::kGroupMs;
        if (since < ChatSideState::kGroupMs) {
            s->heldRows.append(value);
            s->flushQueued = true;
            QTimer::singleShot(int(ChatSideState::kGroupMs - since), s->list,
                               [this] { flushHeldChatRows(ChatSideState::kFlushBudgetMs); });
            return;
        }
    }
    // The host's own row comes after every message the room sent before it.
    if (value.local_seq != -1)
        deliverPendingChatWsMessages();
    flushHeldChatRows(-1);
    if (!isWss) {
        insertChatRow(value, false);
        return;
    }
    if (!s->flushQueued) {
        s->flushQueued = true;
        QTimer::singleShot(ChatSideState::kGroupMs, s->list,
                           [this] { flushHeldChatRows(ChatSideState::kFlushBudgetMs); });
    }
    s->lastRowsShown.start();
    s->list->beginRows();
    insertChatRow(value, true);
    trimChatRows();
    s->list->endRows();
}

void LiveMainWindow::flushHeldChatRows(int limit)
{
    ChatSideState* s = chatSide();
    ChatListWidget* list = s->list;
    if (list && !s->heldRows.isEmpty()) {
        // Rows beyond the bound would only be trimmed again: the newest bound-many are enough.
        if (s->heldRows.size() > s->rowBound)
            s->heldRows.erase(s->heldRows.begin(), s->heldRows.end() - s->rowBound);
        // A group is added for at most kFlushBudgetMs, then the event loop runs again.
        QElapsedTimer budget;
        budget.start();
        list->beginRows();
        int added = 0;
        while (!s->heldRows.isEmpty() && (limit < 0 || budget.elapsed() < limit || added == 0)) {
            ItemChatRecord record = s->heldRows.takeFirst();
            insertChatRow(record, true);
            ++added;
        }
        trimChatRows();
        list->endRows();
        s->lastRowsShown.start();
    }
    if (limit < 0 || s->heldRows.isEmpty()) {
        if (limit >= 0)
            s->flushQueued = false;
        return;
    }
    QTimer::singleShot(0, list, [this] { flushHeldChatRows(ChatSideState::kFlushBudgetMs); });
}

void LiveMainWindow::insertChatRow(ItemChatRecord& value, bool isWss)
{
    ChatSideState* s = chatSide();
    ChatListWidget* list = s->list;

    // The row is a record and a size until it comes into view (the list's row factory makes it).
    QListWidgetItem* item = list->makeRowItem(QVariant::fromValue(value), rowShape(value));
    if (isWss) {
        list->addItem(item);
    } else {
        item->setData(ChatSideState::kPageRole, s->historyPage); // a trim takes whole pages
        // History goes directly below the load-more header; the rows in view stay where they are.
        list->insertItem(1, item);
        QScrollBar* bar = list->verticalScrollBar();
        bar->setValue(bar->value() + item->sizeHint().height());
    }
    s->rows.file(value, item);

    if (chatsend::scrollsToBottom(s->autoScroll, isWss, s->firstPageRows ? 1 : 0))
        scrollChatToBottom();
}

void LiveMainWindow::scrollChatToBottom()
{
    ChatSideState* s = chatSide();
    QListWidget* list = s->list;
    // Scrolling lays the whole list out and moves every row widget. Rows that arrive together
    // (one read of the channel, one history page) share one scroll when control is back in the
    // event loop, and one more 500 ms after the last of them, when their heights have settled.
    if (!s->scrollQueued) {
        s->scrollQueued = true;
        QTimer::singleShot(0, list, [s, list] {
            s->scrollQueued = false;
            list->scrollToBottom();
        });
    }
    if (!s->lateScroll) {
        s->lateScroll = new QTimer(list);
        s->lateScroll->setSingleShot(true);
        s->lateScroll->setInterval(ChatSideState::kLateScrollMs);
        connect(s->lateScroll, &QTimer::timeout, list, [list] { list->scrollToBottom(); });
    }
    s->lateScroll->start();
}

void LiveMainWindow::clearChatList()
{
    ChatSideState* s = chatSide();
    s->heldRows.clear();
    s->headerTakenByEmptyPage = false; // a header "清屏" took stays gone
    // The row index names items of the list: both go together, so no entry outlives its row.
    s->rows.clear();
    if (s->list)
        s->list->clear();
}

void LiveMainWindow::removeChatRow(const QString& messageId, int ownLocalSeq)
{
    ChatSideState* s = chatSide();
    flushHeldChatRows(-1); // the row may be among those still held back
    QList<QListWidgetItem*> items;
    if (QListWidgetItem* own = ownLocalSeq >= 0 ? s->rows.takeLocalSeq(ownLocalSeq) : nullptr)
        items << own;
    else
        items = s->rows.takeId(messageId); // every row that shows the id
    for (QListWidgetItem* item : items) {
        s->rows.forgetItem(item);
        delete item; // the list releases the row widget with it
    }
}

void LiveMainWindow::resetChatList()
{
    ChatSideState* s = chatSide();
    if (!s->list)
        return;
    clearChatList();
    addLoadMoreHeader();
}

// ---- side tabs and tip page ---------------------------------------------------------------------

void LiveMainWindow::initChatTabBar()
{
    ChatSideState* s = chatSide();
    if (s->tabLayout)
        return;
    s->tabLayout = new QHBoxLayout(ui->chat_tool_frame);
    s->tabLayout->setContentsMargins(0, 0, 0, 0);
    s->tabLayout->setSpacing(0);

    QObject* filter = s->pressFilter;
    const struct {
        CustomWidget** tab;
        const char* name;
        const char* text;
    } tabs[] = {{&s->chatTab, "chat_tab", "聊天互动"},
                {&s->micTab, "mic_tab", "连麦"},
                {&s->onlineTab, "online_tab", "在线用户"}};
    for (const auto& t : tabs) {
        auto* tab = new CustomWidget(ui->chat_tool_frame);
        tab->setObjectName(t.name);
        tab->setText(QString::fromUtf8(t.text));
        tab->setTextStyleSheet(m_unselectedTabStyle);
        tab->installEventFilter(filter);
        // The window's filter runs first (installed last): a press also closes its popups.
        tab->installEventFilter(this);
        s->tabLayout->addWidget(tab);
        *t.tab = tab;
    }
    s->chatTab->setTextStyleSheet(m_selectedTabStyle);
    s->chatTab->setWhiteLineVisible(true);
    // Offered only in a co-host room (the room choice shows it).
    s->micTab->hide();
}

void LiveMainWindow::initTipPage()
{
    ChatSideState* s = chatSide();
    if (s->tipText)
        return;
    auto* layout = new QVBoxLayout(ui->tip_page);
    layout->addStretch(3);

    auto* iconRow = new QHBoxLayout;
    auto* icon = new QLabel(ui->tip_page);
    icon->setFixedSize(72, 72);
    icon->setStyleSheet("border-image: url(:/images/live/message.png)");
    iconRow->addWidget(icon, 0, Qt::AlignCenter);
    layout->addLayout(iconRow);

    s->tipText = new QLabel(QString::fromUtf8(kChatTipText), ui->tip_page);
    s->tipText->setObjectName("tip_text_label");
    s->tipText->setFixedHeight(20);
    s->tipText->setAlignment(Qt::AlignCenter);
    s->tipText->setStyleSheet(kGreyTextStyle);
    layout->addWidget(s->tipText);

    auto* linkRow = new QHBoxLayout;
    linkRow->setContentsMargins(0, 0, 0, 0);
    linkRow->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    auto* click = new QLabel(QString::fromUtf8("点击 "), ui->tip_page);
    click->setStyleSheet(kGreyTextStyle);
    click->setFixedHeight(20);
    click->setAlignment(Qt::AlignCenter);
    linkRow->addWidget(click);
    s->tipLink = new QLabel(QString::fromUtf8("选择开播方式"), ui->tip_page);
    s->tipLink->setObjectName("tip_link_label");
    s->tipLink->setStyleSheet(kLinkStyle);
    s->tipLink->setFixedHeight(20);
    s->tipLink->installEventFilter(s->pressFilter);
    s->tipLink->installEventFilter(this);
    linkRow->addWidget(s->tipLink);
    linkRow->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    layout->addLayout(linkRow);
    layout->addStretch(10);
}

void LiveMainWindow::selectSideTab(int tab, int page)
{
    ChatSideState* s = chatSide();
    s->currentSideTab = tab;
    CustomWidget* tabs[] = {s->chatTab, s->micTab, s->onlineTab};
    for (int i = 0; i < 3; ++i) {
        if (!tabs[i])
            continue;
        tabs[i]->setTextStyleSheet(i == tab ? m_selectedTabStyle : m_unselectedTabStyle);
        tabs[i]->setWhiteLineVisible(i == tab);
    }
    // Chat and online users need a live mode or a room; until then the tip page asks for one.
    if (tab != 1 && !liveControl()->liveModeChosen() && !liveControl()->roomChosen()) {
        if (s->tipText)
            s->tipText->setText(QString::fromUtf8(tab == 0 ? kChatTipText : kOnlineTipText));
        page = 0;
    }
    ui->listPageWidget->setCurrentIndex(page);
}

void LiveMainWindow::showChatPage() { selectSideTab(0, 1); }

void LiveMainWindow::showOnlineUserPage() { selectSideTab(2, 3); }

// ---- the chat page ------------------------------------------------------------------------------

ClickableLabel* LiveMainWindow::createBtnWithImg(QString imagePath)
{
    auto* label = new ClickableLabel;
    label->setAlignment(Qt::AlignCenter);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    const QPixmap pixmap = ImageUtils::loadPixmap(imagePath);
    label->setPixmap(pixmap);
    label->setContentsMargins(0, 0, 0, 0);
    label->adjustSize();
    label->setFixedSize(label->sizeHint());
    qDebug() << "createBtnWithImg imgSize: " << pixmap.size();
    qDebug() << "createBtnWithImg size: " << label->sizeHint();
    return label;
}

void LiveMainWindow::initChatPage()
{
    ChatSideState* s = chatSide();
    if (s->pageBuilt)
        return;
    s->pageBuilt = true;
    s->lastRoomId = -1;
    s->historyPage = 0;
    s->pinnedRow = nullptr;

    QWidget* page = ui->chat_page;
    s->pageLayout = new QVBoxLayout(page);
    s->pageLayout->setSpacing(0);
    s->pageLayout->setContentsMargins(0, 0, 0, 0);
    s->pageLayout->setAlignment(Qt::AlignTop);

    s->noticeLabel = new QLabel(QString::fromUtf8(kNoticeText), page);
    s->noticeLabel->setObjectName("chat_notice_label");
    s->noticeLabel->setStyleSheet(kNoticeStyle);
    s->noticeLabel->setWordWrap(true);
    s->noticeLabel->setAlignment(Qt::AlignLeft);
    s->noticeLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    s->pageLayout->addWidget(s->noticeLabel);

    s->list = new ChatListWidget(page);
    s->list->setObjectName("chat_list");
    s->list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    s->list->verticalScrollBar()->setSingleStep(10);
    s->list->setStyleSheet(kListStyle);
    ChatItemWidget::shareLook(s->list);
    ChatListWidget* list = s->list;
    list->setRowFactory([this, list](QListWidgetItem* item) -> QWidget* {
        // Made inside the list, the row is styled once, by the list's shared look.
        auto* row = new ChatItemWidget(list->viewport());
        row->addChatRecord(item->data(ChatListWidget::kRecordRole).value<ItemChatRecord>());
        row->adjustSize();
        // The list cuts this connection when the item goes or lets the row go.
        connect(row, &ChatItemWidget::onLoadFinish, list,
                [item](int height) { item->setSizeHint(QSize(item->sizeHint().width(), height)); });
        connect(row, &ChatItemWidget::onClicked, this, &LiveMainWindow::onChatItemAction);
        return row;
    });
    s->list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    s->list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    s->list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    s->list->setViewMode(QListView::ListMode);
    s->list->setWordWrap(true);
    s->pageLayout->addWidget(s->list);

    const auto labelStyle = [this](const char* colour) { return m_tagBadgeStyle.arg(QLatin1String(colour)); };
    const auto makeLabel = [page](const char* name, const char* text, const QString& style) {
        auto* label = new ClickableLabel(page);
        label->setObjectName(name);
        label->setText(QString::fromUtf8(text));
        label->setStyleSheet(style);
        label->setAlignment(Qt::AlignCenter);
        label->setFixedSize(label->sizeHint());
        return label;
    };
    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(8, 0, 8, 8);
    controls->setAlignment(Qt::AlignLeft);
    s->clearLabel = makeLabel("chat_clear_label", "清屏", labelStyle(kInactiveColour));
    s->scrollLabel = makeLabel("chat_scroll_label", "滚动", labelStyle(kActiveColour));
    s->muteAllLabel = makeLabel("chat_mute_all_label", "全员禁言", labelStyle(kInactiveColour));
    controls->addWidget(s->clearLabel);
    controls->addSpacing(4);
    controls->addWidget(s->scrollLabel);
    auto* right = new QHBoxLayout;
    right->setAlignment(Qt::AlignRight);
    auto* filler = new QLabel(page);
    filler->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    right->addWidget(filler);
    right->addWidget(s->muteAllLabel);
    controls->addLayout(right);
    s->pageLayout->addLayout(controls);

    s->inputBox = new QWidget(page);
    s->inputBox->setObjectName("chat_input_box");
    s->inputBox->setStyleSheet(kInputBoxStyle);
    s->inputBox->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Preferred);
    s->inputRow = new QHBoxLayout(s->inputBox);
    s->inputRow->setContentsMargins(8, 4, 4, 4);
    s->inputRow->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    s->emoteButton = createBtnWithImg(":/images/live/ic_emote.png");
    s->emoteButton->setObjectName("chat_emote_button");
    s->pictureButton = createBtnWithImg(":/images/live/ic_upload_picture.png");
    s->pictureButton->setObjectName("chat_picture_button");
    s->input = new QTextEdit(s->inputBox);
    s->input->setObjectName("chat_input");
    s->input->setAlignment(Qt::AlignVCenter);
    s->input->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    s->input->setStyleSheet(kInputStyle);
    s->input->setMaximumHeight(28);
    s->input->verticalScrollBar()->setSingleStep(8);
    s->input->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    s->input->setLineWrapMode(QTextEdit::WidgetWidth);
    s->input->setPlaceholderText(QString::fromUtf8("来说点什么吧～"));
    s->input->setTextColor(QColor("#ffffff"));
    s->sendLabel = new ClickableLabel(s->inputBox);
    s->sendLabel->setObjectName("chat_send_label");
    s->sendLabel->setText(QString::fromUtf8("发送"));
    s->sendLabel->setStyleSheet(kSendStyle);
    s->inputRow->addWidget(s->emoteButton);
    s->inputRow->addSpacing(2);
    s->inputRow->addWidget(s->pictureButton);
    s->inputRow->addSpacing(2);
    s->inputRow->addWidget(s->input);
    s->inputRow->addWidget(s->sendLabel);
    auto* boxRow = new QHBoxLayout;
    boxRow->setContentsMargins(8, 0, 8, 0);
    boxRow->addWidget(s->inputBox);
    s->pageLayout->addLayout(boxRow);
    s->pageLayout->addSpacing(6);

    connect(s->clearLabel, &ClickableLabel::clicked, this, [this](QVariant&, QMouseEvent*) {
        // Every row and the load-more header go; the pinned row is not in the list and stays.
        clearChatList();
    });
    connect(s->scrollLabel, &ClickableLabel::clicked, this, [this, s](QVariant&, QMouseEvent*) {
        s->autoScroll = !s->autoScroll;
        s->scrollLabel->setStyleSheet(m_tagBadgeStyle.arg(QLatin1String(s->autoScroll ? kActiveColour : kInactiveColour)));
    });
    connect(s->muteAllLabel, &ClickableLabel::clicked, this, [this](QVariant&, QMouseEvent*) { toggleMuteAll(); });
    connect(s->sendLabel, &ClickableLabel::clicked, this, [this](QVariant&, QMouseEvent*) { sendChatText(); });
    connect(s->pictureButton, &ClickableLabel::clicked, this, [this](QVariant&, QMouseEvent*) { choosePicture(); });
    connect(s->emoteButton, &ClickableLabel::clicked, this, [this](QVariant&, QMouseEvent*) { toggleEmotePanel(); });
}

// ---- the room choice, as far as the chat goes ---------------------------------------------------

void LiveMainWindow::onChatRoomChosen()
{
    ChatSideState* s = chatSide();
    LiveControl* control = liveControl();
    s->sender->setLoginInfo(m_loginInfo);
    s->sender->setRoomId(control->roomId());
    s->sender->requestSensitiveWords();
    s->sender->getUserTagInfo();
    // The co-host tab is offered only in a co-host room.
    if (s->micTab)
        s->micTab->setVisible(control->coHostMode() == 1);
    if (!control->roomChosen() || control->roomId() == s->lastRoomId)
        return;
    s->lastRoomId = control->roomId();
    resetChatList();
    // A new room's history: replies still on their way for the old room are dropped, and the
    // old room's pin goes.
    ++s->historyEpoch;
    s->pageInFlight = false;
    s->firstPageShown = false;
    s->skippedPages = 0;
    s->historyPage = 0;
    ItemChatRecord none;
    setPinnedMessage(none, false);
    loadMoreChatRecord();
    static const int pageOfTab[] = {1, 2, 3};
    ui->listPageWidget->setCurrentIndex(pageOfTab[qBound(0, s->currentSideTab, 2)]);
}

// ---- later chat work ----------------------------------------------------------------------------

void LiveMainWindow::toggleEmotePanel()
{
    ChatSideState* s = chatSide();
    if (s->emotePanel && s->emotePanel->isVisible()) {
        s->emotePanel->hide();
        return;
    }
    if (!s->emotePanel) {
        s->emotePanel = new EmoteListWidget(ui->chat_page, s->inputRow->sizeHint().height() - 10);
        connect(s->emotePanel, &EmoteListWidget::emoteSelected, this,
                [s](const QString& emote) { s->input->insertPlainText(emote); });
    }
    s->emotePanel->show();
    s->emotePanel->raise();
    s->emotePanel->setFocus();
}

void LiveMainWindow::addRemindMessage(const QString& name, bool enter)
{
    ChatSideState* s = chatSide();
    if (!s->list)
        return;
    if (!s->remindWidget) {
        s->remindWidget = new UserRemindMsgWidget(s->list);
        s->remindWidget->hide();
    }
    s->remindWidget->addNewMsg(name, enter);
}
