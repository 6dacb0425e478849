#include "shell/LiveModeDialog.h"

#include "ui_LiveModeDialog.h"

#include "core/DataCenter.h"
#include "core/FormBody.h"
#include "core/LoginInfo.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"

#include <QComboBox>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

const char kPlaceholder[] = "请输入推流地址";
const char kChooseRoom[] = "请选择直播间";

const char kComboEnabledStyle[] =
    "QComboBox {background-color: #FFFFFF; border: 1px solid #EFEFEF; border-radius: 4px; padding-left: 12px;"
    " color: #191919; font-family: Microsoft YaHei; font-size: 14px;}"
    "QComboBox::drop-down {subcontrol-origin: padding; subcontrol-position: top right; width: 40px; border: none;}"
    "QComboBox::down-arrow {image: url(:/images/settings/select.png);}"
    "QComboBox QAbstractItemView {background-color: rgb(240, 240, 240); outline: none; border: none;}"
    "QComboBox QAbstractItemView::item {height: 32px; color: #191919;}"
    "QComboBox QAbstractItemView::item:hover {background-color: rgb(203, 230, 254);}"
    "QComboBox QAbstractItemView::item:selected {background-color: rgb(203, 230, 254);}"
    "QScrollBar:vertical {width: 5px; background: transparent;}"
    "QScrollBar::handle:vertical {background: #9B9797; border-radius: 2px;}"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical {height: 0px;}";
const char kComboDisabledStyle[] =
    "QComboBox {background-color: #D8D8D8; border: 1px solid #EFEFEF; border-radius: 4px; padding-left: 12px;"
    " color: #999999; font-family: Microsoft YaHei; font-size: 14px;}"
    "QComboBox::drop-down {subcontrol-origin: padding; subcontrol-position: top right; width: 40px; border: none;}"
    "QComboBox::down-arrow {image: url(:/images/settings/select.png);}";
const char kEditEnabledStyle[] =
    "QLineEdit {background-color: #FFFFFF; border: 1px solid #EFEFEF; border-radius: 4px; padding-left: 12px;"
    " color: #191919; font-family: Microsoft YaHei; font-size: 14px;}";
const char kEditDisabledStyle[] =
    "QLineEdit {background-color: #D8D8D8; border: 1px solid #EFEFEF; border-radius: 4px; padding-left: 12px;"
    " color: #999999; font-family: Microsoft YaHei; font-size: 14px;}";

} // namespace

namespace livemode {

bool isJsonContentType(const QVariant& contentTypeHeader)
{
    return contentTypeHeader.isValid() && contentTypeHeader.toString() == QLatin1String(kJsonContentType);
}

bool isPictureContentType(const QVariant& contentTypeHeader)
{
    if (!contentTypeHeader.isValid())
        return false;
    const QString type = contentTypeHeader.toString();
    return type == QLatin1String("image/jpeg") || type == QLatin1String("image/png");
}

qint64 toInt64(const QJsonValue& value, qint64 fallback)
{
    if (value.isDouble()) {
        // A number beyond the 64-bit range has no integer value (the conversion is undefined).
        const double d = value.toDouble();
        if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
            return fallback;
        return qint64(d);
    }
    if (value.isString()) {
        bool ok = false;
        const qint64 n = value.toString().trimmed().toLongLong(&ok);
        return ok ? n : fallback;
    }
    return fallback;
}

Reply parseReply(const QByteArray& body)
{
    Reply out;
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    if (doc.isNull())
        return out;
    const QJsonObject obj = doc.object();
    // Only the number 200 counts; "200" as text does not.
    if (obj.value(QLatin1String("code")).toInt() != 200) {
        out.kind = Reply::Refused;
        return out;
    }
    const QJsonValue data = obj.value(QLatin1String("data"));
    const QString pushUrl = data.toObject().value(QLatin1String("push_url")).toString();
    if (!pushUrl.isEmpty()) {
        out.kind = Reply::PushUrl;
        out.pushUrl = pushUrl;
        out.appId = toInt64(data.toObject().value(QLatin1String("app_id")));
        return out;
    }
    if (data.isArray()) {
        out.kind = Reply::RoomList;
        out.rooms = data.toArray();
        return out;
    }
    out.kind = Reply::Other;
    return out;
}

LiveRoomInfo roomFromJson(const QJsonValue& value)
{
    const QJsonObject o = value.toObject();
    LiveRoomInfo room;
    room.app_id = toInt64(o.value(QLatin1String("app_id")));
    room.push_app_nick = o.value(QLatin1String("push_app_nick")).toString().toUtf8();
    const QJsonValue liveType = o.value(QLatin1String("live_type"));
    room.live_type = liveType.isDouble() ? liveType.toInt() : 0;
    room.push_app_stream = o.value(QLatin1String("push_app_stream")).toString().toUtf8();
    return room;
}

int RoomListState::apply(const QList<LiveRoomInfo>& rows, qint64 confirmedAppId)
{
    indexToAppId.clear();
    int current = -1;
    for (int k = 0; k < rows.size(); ++k) {
        const LiveRoomInfo& room = rows[k];
        indexToAppId.insert(k, room.app_id);
        if (!roomMap.contains(room.app_id)) {
            roomMap.insert(room.app_id, room);
            if (recentRooms.size() < kMaxRecentRooms)
                recentRooms.append(room);
        }
        if (room.app_id == confirmedAppId)
            current = k;
    }
    return current;
}

void RoomListState::clear()
{
    indexToAppId.clear();
    roomMap.clear();
}

} // namespace livemode

LiveModeDialog::LiveModeDialog(QWidget* parent, LoginInfo* loginInfo)
    : QDialog(parent), ui(new Ui::LiveModeDialog), m_loginInfo(loginInfo)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("选择开播方式"));
    ui->label_4->hide();

    setEditEnabledLook(false);
    ui->stream_url_edit->setPlaceholderText(QString::fromUtf8(kPlaceholder));
    ui->stream_url_edit->setEnabled(false);

    QComboBox* box = ui->live_room_cbx;
    box->setView(new QListView(box));
    box->setFont(QFont(QStringLiteral("Microsoft YaHei"), 10));
    setComboEnabledLook(true);
    box->setEditable(true);
    // Typing in the box shows text only; it never adds a room of its own.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->lineEdit()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    box->setEditText(QString::fromUtf8(kChooseRoom));
    box->setEnabled(true);

    ui->room_btn->setChecked(true);
    ui->custom_btn->setChecked(false);

    connect(ui->room_btn, &QAbstractButton::toggled, this, [this](bool checked) {
        ui->live_room_cbx->setEditable(false);
        ui->live_room_cbx->setEnabled(checked);
        setComboEnabledLook(checked);
    });
    connect(ui->custom_btn, &QAbstractButton::toggled, this, [this](bool checked) {
        ui->stream_url_edit->setEnabled(checked);
        setEditEnabledLook(checked);
    });

    m_manager = new QNetworkAccessManager(this);
    connect(m_manager, &QNetworkAccessManager::finished, this, &LiveModeDialog::onReplyFinished);

    requestRoomList();

    connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &LiveModeDialog::handleComboxChanged);
}

LiveModeDialog::~LiveModeDialog()
{
    delete ui;
}

void LiveModeDialog::setComboEnabledLook(bool enabled)
{
    ui->live_room_cbx->setStyleSheet(QString::fromLatin1(enabled ? kComboEnabledStyle : kComboDisabledStyle));
}

void LiveModeDialog::setEditEnabledLook(bool enabled)
{
    ui->stream_url_edit->setStyleSheet(QString::fromLatin1(enabled ? kEditEnabledStyle : kEditDisabledStyle));
}

void LiveModeDialog::showHint(const QString& text)
{
    ui->label_4->setText(text);
    ui->label_4->show();
}

void LiveModeDialog::clearLists()
{
    m_rooms.clear();
    ui->live_room_cbx->clear();
}

void LiveModeDialog::refreshRoomList()
{
    clearLists();
    requestRoomList();
}

QNetworkRequest LiveModeDialog::makeRequest(const QUrl& url) const
{
    QNetworkRequest request(url);
    if (m_loginInfo)
        request.setRawHeader("openapitoken", m_loginInfo->token);
    // The bodies are forms; saying so spares Qt's guess.
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setTransferTimeout(m_transferTimeoutMs);
    return request;
}

void LiveModeDialog::requestRoomList()
{
    const QNetworkRequest request = makeRequest(API_GET_ROOM_LIST.toUrl());

    // Until the reply comes, show the rooms of the last list (they are not selectable for OK).
    for (const LiveRoomInfo& room : qAsConst(m_rooms.recentRooms))
        ui->live_room_cbx->addItem(QString::fromUtf8(room.push_app_nick), room.app_id);
    m_rooms.recentRooms.clear();

    solvek::limitReplySize(
        m_manager->post(request, solvek::FormBody().add(QStringLiteral("push_status"), 1).toByteArray()),
        livemode::kMaxReplyBytes);
}

void LiveModeDialog::requestPushUrl(qint64 appId)
{
    solvek::limitReplySize(m_manager->post(makeRequest(API_LIVE_GET_PUSH_URL.toUrl()),
                                           solvek::FormBody().add(QStringLiteral("room_id"), appId).toByteArray()),
                           livemode::kMaxReplyBytes);
}

void LiveModeDialog::handleComboxChanged(int index)
{
    m_selectedAppId = m_rooms.indexToAppId.value(index, -1);
}

void LiveModeDialog::onReplyFinished(QNetworkReply* reply)
{
    if (reply->error() != QNetworkReply::NoError)
        qDebug() << "Network error:" << reply->errorString();
    else if (livemode::isJsonContentType(reply->header(QNetworkRequest::ContentTypeHeader)))
        handleRoomListData(reply->readAll());
    reply->deleteLater();
}

void LiveModeDialog::handleRoomListData(const QByteArray& body)
{
    const livemode::Reply parsed = livemode::parseReply(body);
    switch (parsed.kind) {
    case livemode::Reply::Invalid:
        qDebug() << "invalid json data: " << QJsonDocument::fromJson(body).toJson();
        return;
    case livemode::Reply::Refused:
    case livemode::Reply::Other:
        return;
    case livemode::Reply::PushUrl: {
        const livemode::PushAddress address = livemode::splitPushAddress(parsed.pushUrl);
        if (!address.complete)
            return;
        qDebug() << "push_url: " << address.server; // the stream key is a credential
        if (!m_rooms.roomMap.contains(parsed.appId) || parsed.appId != m_confirmedAppId) {
            // An answer for a room that is no longer listed, or a late one for a room the host
            // has since replaced by another choice: the choice stays as it is.
            qDebug() << "getPushUrl error";
            return;
        }
        auto store = CDataCenter::getInstance();
        store->pushServer = address.server;
        store->pushKey = address.key;
        m_liveRoomInfo = m_rooms.roomMap.value(parsed.appId);
        emit live_mode_select();
        clearLists();
        close();
        return;
    }
    case livemode::Reply::RoomList: {
        QComboBox* box = ui->live_room_cbx;
        box->clear();
        QList<LiveRoomInfo> rows;
        for (const QJsonValue& v : parsed.rooms) {
            const LiveRoomInfo room = livemode::roomFromJson(v);
            // Without a positive id a room cannot be asked for its address, and 0 and -1 already
            // mean a custom address and no room here.
            if (room.app_id <= 0) {
                qDebug() << "room without a usable app_id dropped:" << v;
                continue;
            }
            rows.append(room);
        }
        // The row map is filled before the rows, so the box's index changes find their rooms.
        const int current = m_rooms.apply(rows, m_confirmedAppId);
        for (const LiveRoomInfo& room : qAsConst(rows))
            box->addItem(QString::fromUtf8(room.push_app_nick), room.app_id);
        if (current >= 0)
            box->setCurrentIndex(current);
        setComboEnabledLook(true);
        return;
    }
    }
}

void LiveModeDialog::on_ok_btn_clicked()
{
    if (ui->room_btn->isChecked()) {
        const int index = ui->live_room_cbx->currentIndex();
        if (m_selectedAppId == -1 && m_rooms.indexToAppId.contains(index))
            m_selectedAppId = m_rooms.indexToAppId.value(index);
        if (!m_rooms.roomMap.contains(m_selectedAppId)) {
            // Accepting here would count the live mode as chosen with no room behind it.
            showHint(QString::fromUtf8(kChooseRoom));
            return;
        }
        requestPushUrl(m_selectedAppId);
        m_confirmedAppId = m_selectedAppId;
        ui->label_4->hide();
        accept();
        return;
    }
    if (ui->custom_btn->isChecked()) {
        m_selectedAppId = -1;
        // Blanks around a pasted address would end up in the stream key and push to another stream.
        const QString text = ui->stream_url_edit->text().trimmed();
        const livemode::PushAddress address = livemode::customPushAddress(text);
        qDebug() << "custom push address:" << solvek::loggable(text.toUtf8());
        if (text.isEmpty() || text == QString::fromUtf8(kPlaceholder)) {
            showHint(QString::fromUtf8(kPlaceholder));
            return;
        }
        auto store = CDataCenter::getInstance();
        store->pushServer = address.server;
        store->pushKey = address.key;
        m_liveRoomInfo = LiveRoomInfo{0, -1, QByteArray(), QByteArray()};
        emit live_mode_select();
        m_confirmedAppId = -1;
        ui->label_4->hide();
        accept();
    }
}

void LiveModeDialog::on_cancel_btn_clicked()
{
    ui->label_4->hide();
    clearLists();
    reject();
}

void LiveModeDialog::on_close_btn_clicked()
{
    ui->label_4->hide();
    close();
}

void LiveModeDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragOffset = event->globalPos() - pos();
    }
    QDialog::mousePressEvent(event);
}

void LiveModeDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        move(event->globalPos() - m_dragOffset);
    QDialog::mouseMoveEvent(event);
}

void LiveModeDialog::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}
