#include "cohost/CoHostList.h"

#include "chat/RoomProtocol.h"
#include "cohost/ItemConnectMicWidget.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/TrtcManager.h"
#include "widgets/EmptyListPlaceholder.h"

#include <QDebug>
#include <QJsonArray>
#include <QLayoutItem>
#include <QRegularExpression>
#include <QSet>
#include <QVBoxLayout>
#include <QWidget>

#include <climits>

CoHostList::CoHostList(SceneCenterWidget* strip, QObject* parent) : QObject(parent), m_strip(strip)
{
    if (m_strip)
        m_strip->setMicItemMap(&m_rows);
}

CoHostList::~CoHostList()
{
    // The strip outlives nothing of ours: it must not read the map once it is gone.
    if (m_strip)
        m_strip->setMicItemMap(nullptr);
}

void CoHostList::attachList(QVBoxLayout* list, ItemConnectMicWidget* hostRow)
{
    m_list = list;
    m_hostRow = hostRow;
}

ItemConnectMicWidget* CoHostList::row(qint64 id) const
{
    return isRowId(id) ? m_rows.value(int(id), nullptr) : nullptr;
}

qint64 CoHostList::readOnlineUserId(const QJsonValue& value)
{
    return RoomProtocol::readLenientId(value);
}

bool CoHostList::isRowId(qint64 id)
{
    return id > 0 && id <= INT_MAX;
}

bool CoHostList::parseCoHostUserId(const char* userId, int* spaceId)
{
    if (!userId)
        return false;
    // Both numbers must be there and fit an int; what follows the second one does not matter.
    static const QRegularExpression pattern(QStringLiteral("^wechat_([+-]?\\d+)_([+-]?\\d+)"));
    const QRegularExpressionMatch m = pattern.match(QString::fromUtf8(userId));
    if (!m.hasMatch())
        return false;
    bool idOk = false, roomOk = false;
    const int id = m.captured(1).toInt(&idOk);
    m.captured(2).toInt(&roomOk);
    if (!idOk || !roomOk)
        return false;
    *spaceId = id;
    return true;
}

// ---- the list's layout --------------------------------------------------------------------------

void CoHostList::removeTrailingStretch()
{
    const int last = m_list->count() - 1;
    if (last >= 0 && m_list->itemAt(last)->spacerItem())
        delete m_list->takeAt(last);
}

void CoHostList::addTrailingStretch()
{
    m_list->addStretch();
}

void CoHostList::takeOut(QWidget* row)
{
    if (m_list)
        m_list->removeWidget(row);
    row->hide();
}

void CoHostList::takeOutAll()
{
    while (QLayoutItem* item = m_list->takeAt(0)) {
        if (QWidget* w = item->widget())
            w->hide();
        delete item;
    }
}

// ---- the room channel ---------------------------------------------------------------------------

void CoHostList::handleTrtcApply(qint64 id, const QString& name, const QString& photo, const QString& trtcTag,
                                 bool apply)
{
    if (!m_list || !isRowId(id) || id == m_hostId || m_rows.contains(int(id)))
        return;
    // A row that arrives while a search shows the placeholder replaces it.
    if (m_placeholder && m_list->indexOf(m_placeholder) >= 0)
        takeOut(m_placeholder);
    removeTrailingStretch();
    auto* row = new ItemConnectMicWidget(new TrtcMicUserInfo(id, name, photo, trtcTag), apply, true,
                                         m_list->parentWidget());
    m_list->addWidget(row);
    row->show();
    addTrailingStretch();
    m_rows.insert(int(id), row);
    // The real-time room may have reported the co-host before the room channel named it.
    const Reported reported = m_reported.value(int(id));
    if (reported.video >= 0)
        row->setCameraState(reported.video == 1);
    if (reported.audio >= 0)
        row->setMicState(reported.audio == 1);
    connect(row, &ItemConnectMicWidget::removeItem, this, [this](int userId) { handleTrtcRemove_1(userId); });
}

void CoHostList::handleTrtcLogin(qint64 id)
{
    if (!isRowId(id))
        return;
    if (ItemConnectMicWidget* r = row(id)) {
        addTile(r);
        return;
    }
    if (hooks.sendRoomMessage)
        hooks.sendRoomMessage(RoomProtocol::getTrtcOnlineListMessage());
}

void CoHostList::addTile(ItemConnectMicWidget* r)
{
    if (!m_strip || !m_strip->addRemoteUser(r->userInfo()))
        return;
    m_strip->updateRemoteWidgets();
}

bool CoHostList::readOnlineList(const QJsonObject& message, QList<OnlineEntry>* out)
{
    const QJsonValue data = message.value(QLatin1String("data"));
    if (!data.isArray())
        return false;
    for (const QJsonValue& element : data.toArray()) {
        const QJsonObject user = element.toObject();
        OnlineEntry entry;
        entry.id = readOnlineUserId(user.value(QLatin1String("wechat_user_space_id")));
        entry.name = RoomProtocol::readText(user, QStringLiteral("name"));
        entry.photo = RoomProtocol::readText(user, QStringLiteral("photo"));
        entry.trtcTag = RoomProtocol::readText(user, QStringLiteral("trtc_tag"));
        out->append(entry);
    }
    return true;
}

void CoHostList::handleTrtcOnline(const QJsonObject& message)
{
    QList<OnlineEntry> entries;
    // A list that is not there says nothing about who is connected.
    if (!readOnlineList(message, &entries))
        return;
    QSet<qint64> present;
    for (const OnlineEntry& entry : qAsConst(entries)) {
        const qint64 id = entry.id;
        present.insert(id);
        if (id == m_hostId || !isRowId(id) || m_rows.contains(int(id)))
            continue;
        handleTrtcApply(id, entry.name, entry.photo, entry.trtcTag, false);
        qDebug() << "handleTrtcLogin " << id;
        if (ItemConnectMicWidget* r = row(id))
            addTile(r);
    }
    const QList<int> ids = m_rows.keys();
    for (int id : ids)
        if (!present.contains(id))
            handleTrtcRemove_1(id, true);
}

void CoHostList::handleTrtcRemove_1(qint64 id, bool eraseFromMap)
{
    ItemConnectMicWidget* r = row(id);
    if (!r)
        return;
    const int key = int(id);
    if (m_strip)
        m_strip->removeRemoteUser(key);
    if (hooks.cancelPreviewVideo)
        hooks.cancelPreviewVideo(key);
    // The box goes with the co-host whether or not the preview still held its video.
    if (hooks.removeMixBox)
        hooks.removeMixBox(key);
    if (eraseFromMap)
        m_rows.remove(key);
    m_reported.remove(key);
    r->disconnect(this);
    takeOut(r);
    r->deleteLater();
}

void CoHostList::removeAll()
{
    if (hooks.clearPreviewVideos)
        hooks.clearPreviewVideos();
    if (m_strip)
        m_strip->clearRemoteUsers();
    const QHash<int, ItemConnectMicWidget*> rows = m_rows;
    m_rows.clear();
    m_reported.clear();
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        if (hooks.sendRoomMessage)
            hooks.sendRoomMessage(RoomProtocol::trtcRemoveMessage(it.key()));
        // A paused publication would otherwise keep showing the co-host's empty box.
        if (hooks.removeMixBox)
            hooks.removeMixBox(it.key());
        it.value()->disconnect(this);
        takeOut(it.value());
        it.value()->deleteLater();
    }
}

// ---- the real-time room -------------------------------------------------------------------------

void CoHostList::handleRemoteVideoAvailable(const char* userId, bool available)
{
    applyAvailability(userId, available, true);
}

void CoHostList::handleRemoteAudioAvailable(const char* userId, bool available)
{
    applyAvailability(userId, available, false);
}

void CoHostList::applyAvailability(const char* userId, bool available, bool video)
{
    int id = 0;
    if (!parseCoHostUserId(userId, &id) || id <= 0)
        return;
    ItemConnectMicWidget* r = row(id);
    (video ? m_reported[id].video : m_reported[id].audio) = available ? 1 : 0;
    if (video) {
        if (m_strip)
            m_strip->handleRemoteVideoAvailable(id, available);
        if (r)
            r->setCameraState(available);
    } else {
        if (m_strip)
            m_strip->handleRemoteAudioAvailable(id, available);
        if (r)
            r->setMicState(available);
    }
}

// ---- search -------------------------------------------------------------------------------------

void CoHostList::searchName(const QString& text)
{
    if (!m_list || text.isEmpty())
        return;
    QList<ItemConnectMicWidget*> rows;
    if (m_hostRow)
        rows << m_hostRow;
    rows << m_rows.values();
    for (ItemConnectMicWidget* r : qAsConst(rows))
        if (!r->userInfo()->name.contains(text, Qt::CaseInsensitive))
            takeOut(r);
    if (m_list->count() > 1)
        return;
    qDebug() << "没有匹配数据";
    takeOutAll();
    if (!m_placeholder) {
        m_placeholder = new EmptyListPlaceholder(m_list->parentWidget());
        m_placeholder->setObjectName(QStringLiteral("mic_list_empty"));
    }
    m_list->addWidget(m_placeholder);
    m_placeholder->show();
}

void CoHostList::showAllRows()
{
    if (!m_list)
        return;
    takeOutAll();
    QList<ItemConnectMicWidget*> rows;
    if (m_hostRow)
        rows << m_hostRow;
    rows << m_rows.values();
    for (ItemConnectMicWidget* r : qAsConst(rows)) {
        m_list->addWidget(r);
        r->show();
    }
    addTrailingStretch();
}
