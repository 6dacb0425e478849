// Chat history, the pinned message, the row actions (mention, quote, pin, delete), mute-all and
// the bound on the rows the chat list keeps.
#include "shell/LiveMainWindow.h"

#include "chat/ChatItemWidget.h"
#include "chat/ChatListWidget.h"
#include "chat/ChatSender.h"
#include "chat/ChatWebSocketClient.h"
#include "chat/MentionGuard.h"
#include "chat/MessageLabel.h"
#include "chat/RoomMessageRouter.h"
#include "chat/RoomProtocol.h"
#include "core/FormBody.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "core/Toast.h"
#include "shell/ChatSideState.h"
#include "shell/LiveControl.h"
#include "widgets/ClickableLabel.h"
#include "ui_LiveMainWindow.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QJsonObject>
#include <QLabel>
#include <QMovie>
#include <QPointer>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
const char kLoadMoreText[] = "<font color='#A5ABC7'>加载更多</font>";
const char kLoadingText[] = "<font color='#6B6C83'>加载中</font>";
const char kQuoteBoxStyle[] = "background:#292B43;boder-radius:4px;";
const char kQuoteLabelStyle[] =
    "border-top-left-radius: 4px;border-top-right-radius:4px; border-bottom-left-radius:4px; "
    "border-bottom-right-radius:4px;padding-left:8px;padding-right:8px;padding-top:2px;padding-bottom:2px;"
    "background: #292B43; margin-top:4px;margin-right:8px;margin-bottom:20px;font-family: Microsoft YaHei;"
    "font-size:14px;color: #FFFFFF;line-height: 20px;text-align: left;font-style: normal; ";
constexpr int kQuoteFocusDelayMs = 500;

// The record a list row shows (a default record for the header).
ItemChatRecord recordOf(QListWidget*, QListWidgetItem* item)
{
    return item->data(ChatListWidget::kRecordRole).value<ItemChatRecord>();
}

bool hasHeader(const ChatSideState* s)
{
    return s->list && s->loadMoreWidget && s->list->count() > 0 &&
           s->list->itemWidget(s->list->item(0)) == s->loadMoreWidget;
}
} // namespace

// ---- history ------------------------------------------------------------------------------------

void LiveMainWindow::addLoadMoreHeader()
{
    ChatSideState* s = chatSide();
    if (!s->list || hasHeader(s))
        return;
    auto* header = new QWidget;
    header->setObjectName("chat_load_more");
    header->setStyleSheet("background:rgba(0,0,0,0)");
    header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    header->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QHBoxLayout(header);
    layout->setAlignment(Qt::AlignCenter);

    auto* loading = new QLabel(header);
    auto* movie = new QMovie(":/images/live/load_more_record.gif", QByteArray(), loading);
    loading->setMovie(movie);
    movie->start();
    loading->setAlignment(Qt::AlignCenter);
    loading->hide();

    auto* more = new ClickableLabel(header);
    more->setTextFormat(Qt::RichText);
    more->setStyleSheet("font-family: Microsoft YaHei;font - weight: 400;font - size: 12px;");
    more->setText(QString::fromUtf8(kLoadMoreText));
    connect(more, &ClickableLabel::clicked, this, [this, loading](QVariant&, QMouseEvent*) {
        // At most one page request at a time: the animation shows while one is under way.
        if (loading->isHidden())
            loadMoreChatRecord();
    });
    layout->addWidget(loading);
    layout->addWidget(more);

    auto* item = new QListWidgetItem;
    item->setSizeHint(header->sizeHint());
    s->list->insertItem(0, item);
    s->list->setItemWidget(item, header);
    header->show();
    s->list->setContentsMargins(0, 0, 0, 0);

    s->loadMoreWidget = header;
    s->loadingLabel = loading;
    s->loadMoreLabel = more;
}

void LiveMainWindow::loadMoreChatRecord()
{
    ChatSideState* s = chatSide();
    if (s->pageInFlight)
        return;
    s->pageInFlight = true;
    if (s->loadingLabel)
        s->loadingLabel->show();
    if (s->loadMoreLabel)
        s->loadMoreLabel->setText(QString::fromUtf8(kLoadingText));
    const int page = ++s->historyPage;
    // The reply belongs to the room it was asked for: a later room choice drops it.
    const quint64 epoch = s->historyEpoch;
    const QString body =
        solvek::FormBody().add("appid", liveControl()->roomId()).add("chat_page", page).toString();
    QPointer<LiveMainWindow> self(this);
    NetUtils::getInstance()->postJson(
        API_GET_CHAT_RECORD_LIST, body,
        [self, epoch, page](const QJsonObject& reply) {
            if (self)
                self->onChatRecordPage(reply, epoch, page);
        },
        [self, epoch](const QString& error) {
            if (!self)
                return;
            ChatSideState* st = self->chatSide();
            if (epoch != st->historyEpoch)
                return;
            qDebug() << "API_GET_CHAT_RECORD_LIST error:" << error;
            st->pageInFlight = false;
            st->historyPage = qMax(0, st->historyPage - 1);
            if (st->list)
                st->list->show();
            self->showLoadMoreIdle();
        });
}

void LiveMainWindow::onChatRecordPage(const QJsonObject& reply)
{
    ChatSideState* s = chatSide();
    onChatRecordPage(reply, s->historyEpoch, s->historyPage);
}

void LiveMainWindow::onChatRecordPage(const QJsonObject& reply, quint64 roomEpoch, int page)
{
    ChatSideState* s = chatSide();
    if (roomEpoch != s->historyEpoch)
        return;
    s->pageInFlight = false;
    s->historyPage = page;

    // Only the room's first page says what is pinned and takes the list to the bottom.
    const bool first = !s->firstPageShown;
    if (first) {
        s->firstPageShown = true;
        const QJsonValue top = reply.value(QLatin1String("top_message"));
        ItemChatRecord pinned = top.isObject() ? ItemChatRecord(top.toObject()) : ItemChatRecord();
        setPinnedMessage(pinned, top.isObject());
    }

    const ChatRecordsList records(reply, liveControl()->roomId());
    if (!s->list)
        return;
    if (records.isEmpty()) {
        // The end of the history: no further page can be asked for (until a trim frees room).
        s->historyPage = page - 1;
        if (hasHeader(s)) {
            delete s->list->takeItem(0);
            s->headerTakenByEmptyPage = true;
        }
        s->list->show();
        return;
    }

    const int before = s->list->count();
    s->firstPageRows = first;
    s->list->beginRows();
    for (const ItemChatRecord& r : records) {
        // A message already shown (live, or by an earlier page) is not shown twice.
        if (s->rows.hasId(r.id))
            continue;
        const int ownSeq = m_roomRouter->ownLocalSeqForServerId(r.id);
        if (ownSeq >= 0 && s->rows.itemForLocalSeq(ownSeq))
            continue;
        ItemChatRecord record = r;
        addItemChatRecord(record, false);
    }
    s->list->endRows();
    s->firstPageRows = false;
    const bool addedNothing = s->list->count() == before;
    showLoadMoreIdle();
    s->list->show();
    if (!addedNothing) {
        s->skippedPages = 0;
    } else if (s->skippedPages < ChatSideState::kMaxSkippedPages) {
        ++s->skippedPages;
        loadMoreChatRecord(); // nothing new on this page: the next one at once
    }
}

void LiveMainWindow::showLoadMoreIdle()
{
    ChatSideState* s = chatSide();
    if (s->loadingLabel)
        s->loadingLabel->hide();
    if (s->loadMoreLabel)
        s->loadMoreLabel->setText(QString::fromUtf8(kLoadMoreText));
}

// ---- the row bound ------------------------------------------------------------------------------

void LiveMainWindow::trimChatRows()
{
    ChatSideState* s = chatSide();
    ChatListWidget* list = s->list;
    if (!list)
        return;
    const int first = hasHeader(s) ? 1 : 0;
    int rows = list->count() - first;
    const int bound = qMax(1, s->rowBound);
    // With "滚动" off the host may be reading older rows: trim less often, in larger steps.
    const int limit = s->autoScroll ? bound : 2 * bound;
    if (rows <= limit)
        return;

    // The first row in view, to keep it where it is on screen (with "滚动" on the list follows
    // the bottom anyway).
    QListWidgetItem* anchor = s->autoScroll ? nullptr : list->itemAt(QPoint(1, 1));
    const int anchorTop = anchor ? list->visualItemRect(anchor).top() : 0;
    bool removed = false;
    const auto removeAt = [&](int row) {
        QListWidgetItem* item = list->item(row);
        if (item == anchor)
            anchor = nullptr;
        s->rows.forgetItem(recordOf(list, item), item);
        delete list->takeItem(row);
        --rows;
        removed = true;
    };
    while (rows > bound) {
        const int page = list->item(first)->data(ChatSideState::kPageRole).toInt();
        if (page > 0) {
            // A page on its way lands above the rows shown: paging stays exact only when the
            // top page goes once it is in.
            if (s->pageInFlight)
                break;
            // The oldest page goes whole, so "加载更多" asks for it again.
            while (list->count() > first && list->item(first)->data(ChatSideState::kPageRole).toInt() == page)
                removeAt(first);
            s->historyPage = qMax(0, s->historyPage - 1);
        } else {
            removeAt(first);
        }
    }
    if (!removed)
        return;
    if (anchor) {
        // Asking for the row's place lays the list out anew (and with it the scroll range).
        const int shift = list->visualItemRect(anchor).top() - anchorTop;
        QScrollBar* bar = list->verticalScrollBar();
        bar->setValue(bar->value() + shift);
    }
    // Rows went, so older messages can be loaded again, also after the history had ended.
    if (s->headerTakenByEmptyPage) {
        s->headerTakenByEmptyPage = false;
        addLoadMoreHeader();
        showLoadMoreIdle();
    }
}

// ---- the pinned row -----------------------------------------------------------------------------

void LiveMainWindow::setPinnedMessage(ItemChatRecord& record, bool show)
{
    ChatSideState* s = chatSide();
    if (s->pinnedRow) {
        ChatItemWidget* old = s->pinnedRow;
        old->hide();
        old->setFixedHeight(1);
        if (s->pageLayout)
            s->pageLayout->removeWidget(old);
        // The old row may be the one whose action is running now.
        old->deleteLater();
        s->pinnedRow = nullptr;
    }
    s->pinnedId.clear();
    if (show && s->pageLayout) {
        s->pinnedId = record.id;
        record.top = true;
        record.room_id = liveControl()->roomId();
        auto* row = new ChatItemWidget(ui->chat_page);
        row->setObjectName("chat_pinned_row");
        row->addChatRecord(record);
        s->pageLayout->insertWidget(1, row);
        row->show();
        connect(row, &ChatItemWidget::onClicked, this, &LiveMainWindow::onChatItemAction);
        s->pinnedRow = row;
    }
    if (s->pageLayout)
        s->pageLayout->update();
}

// ---- row actions --------------------------------------------------------------------------------

void LiveMainWindow::onChatItemAction(QString action, ItemChatRecord item)
{
    ChatSideState* s = chatSide();
    if (action == QLatin1String("at")) {
        if (!s->input)
            return;
        if (!s->mentionGuard) {
            s->mentionGuard = new MentionGuard(s->input, s);
            s->mentionGuard->mentionLost = [s] {
                s->mentionNick.clear();
                s->mentionSpaceId.clear();
            };
        }
        // Only an earlier mention is taken out; an at sign the host typed stays.
        const QString rest = chatsend::stripMention(s->input->toPlainText(), s->mentionNick);
        s->mentionNick = item.from_client_name;
        s->mentionSpaceId = item.wechat_user_space_id;
        s->mentionGuard->setMention(item.from_client_name, rest);
    } else if (action == QLatin1String("reply")) {
        removeQuoteBar();
        if (!s->pageLayout)
            return;
        const QString text = chatDisplayText(item.content.content);
        auto* bar = new QHBoxLayout;
        bar->setContentsMargins(8, 0, 8, 8);
        auto* box = new QWidget(ui->chat_page);
        box->setObjectName("chat_quote_box");
        box->setStyleSheet(kQuoteBoxStyle);
        auto* boxLayout = new QHBoxLayout(box);
        boxLayout->setContentsMargins(0, 0, 0, 0);
        boxLayout->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        auto* label = new MessageLabel(box);
        label->setObjectName("chat_quote_label");
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft);
        label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        label->setStyleSheet(kQuoteLabelStyle);
        label->setReply(item.from_client_name, text);
        auto* filler = new QLabel(box);
        filler->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        ClickableLabel* close = createBtnWithImg(":/images/live/ic_close.png");
        close->setParent(box);
        close->setObjectName("chat_quote_close");
        boxLayout->addWidget(label);
        boxLayout->addWidget(filler);
        boxLayout->addWidget(close);
        boxLayout->addSpacing(8);
        bar->addWidget(box);
        connect(label, &MessageLabel::layoutChanged, box, [box, label] { box->setFixedHeight(label->height()); });
        connect(close, &ClickableLabel::clicked, this, [this, bar, box](QVariant&, QMouseEvent*) {
            // The button is inside what goes: hide it now, delete it after its own press.
            ChatSideState* st = chatSide();
            if (st->quoteBar != bar)
                return;
            box->hide();
            st->quotedLine.clear();
            QTimer::singleShot(0, this, [this, bar] {
                if (chatSide()->quoteBar == bar)
                    removeQuoteBar();
            });
        });
        s->quoteBar = bar;
        s->quoteWidget = box;
        s->quotedLine = QStringLiteral("%1: %2").arg(item.from_client_name, text);
        s->pageLayout->addLayout(bar);
        QPointer<QTextEdit> input = s->input;
        QTimer::singleShot(kQuoteFocusDelayMs, this, [input] {
            if (input)
                input->setFocus();
        });
    } else if (action == QLatin1String("top")) {
        // The row has made the pin request; the pinned row changes when the room says so.
        sendChatWsMessage(RoomProtocol::topMessage(item));
    } else if (action == QLatin1String("delete")) {
        deleteChatMessage(item);
    }
}

void LiveMainWindow::deleteChatMessage(const ItemChatRecord& item)
{
    ChatSideState* s = chatSide();
    flushHeldChatRows(-1); // the row may be among those still held back
    if (item.local_seq != -1) {
        QListWidgetItem* row = s->rows.takeLocalSeq(item.local_seq);
        if (!row)
            return;
        s->rows.forgetItem(item, row);
        delete row;
        PendingOwnMessages& own = m_roomRouter->ownMessages();
        const QString serverId = own.serverId(item.local_seq);
        if (serverId.isEmpty()) {
            // Not echoed yet: the room gets it all the same, so it is deleted when the echo comes.
            own.markDeleted(item.local_seq);
            return;
        }
        own.forgetServerId(item.local_seq);
        postChatDelete(serverId, true);
        return;
    }
    const QList<QListWidgetItem*> rows = s->rows.takeId(item.id);
    if (rows.isEmpty())
        return;
    for (QListWidgetItem* row : rows) {
        s->rows.forgetItem(row);
        delete row;
    }
    postChatDelete(item.id, true);
}

void LiveMainWindow::postChatDelete(const QString& msgId, bool reportFailure)
{
    static const LoginInfo noLogin;
    const LoginInfo& login = m_loginInfo ? *m_loginInfo : noLogin;
    const QString body = solvek::FormBody()
                             .add("room_id", liveControl()->roomId())
                             .add("uid", login.uid)
                             .add("wechat_user_space_id", login.wechat_user_space_id)
                             .add("msg_id", msgId)
                             .toString();
    NetUtils::getInstance()->postJson(
        API_POST_DELETE_MESSAGE, body,
        [](const QJsonObject&) {
            Toast::getInstance()->showStatus(QString::fromUtf8("删除成功"), true, ChatSideState::kToastMs);
        },
        [reportFailure](const QString& error) {
            if (reportFailure)
                Toast::getInstance()->showStatus(error, false, ChatSideState::kToastMs);
        });
}

// ---- mute-all -----------------------------------------------------------------------------------

void LiveMainWindow::toggleMuteAll()
{
    ChatSideState* s = chatSide();
    if (s->muteAllPending)
        return; // one request at a time: a second press would ask for the same change again
    s->muteAllPending = true;
    const bool mute = !s->muteAll;
    const quint64 epoch = s->historyEpoch;
    static const LoginInfo noLogin;
    const LoginInfo& login = m_loginInfo ? *m_loginInfo : noLogin;
    const QString body = solvek::FormBody()
                             .add("room_id", liveControl()->roomId())
                             .add("uid", login.uid)
                             .add("action", mute ? "1" : "0")
                             .toString();
    QPointer<LiveMainWindow> self(this);
    NetUtils::getInstance()->postJson(
        API_SHUT_UP_ALL, body,
        [self, mute, epoch](const QJsonObject&) {
            if (!self)
                return;
            self->chatSide()->muteAllPending = false;
            // The room hears what was asked for; the label follows the room's answer.
            if (epoch == self->chatSide()->historyEpoch)
                sendChatWsMessage(RoomProtocol::shutUpAllMessage(mute));
        },
        [self](const QString&) {
            if (self)
                self->chatSide()->muteAllPending = false;
        });
}

void LiveMainWindow::setMuteAllState(bool on)
{
    ChatSideState* s = chatSide();
    s->muteAll = on;
    if (s->muteAllLabel)
        s->muteAllLabel->setStyleSheet(
            m_tagBadgeStyle.arg(QLatin1String(on ? "#055CD8" : "rgba(255,255,255,0.1)")));
}
