#include "ServiceFailureDrill.h"

#include "support/FakeLiveCore.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/SimulatorProcess.h"

#include "chat/ChatItemWidget.h"
#include "chat/ChatListWidget.h"
#include "chat/ChatWebSocketClient.h"
#include "chat/ItemChatRecord.h"
#include "chat/MessageLabel.h"
#include "core/DataCenter.h"
#include "core/NetUtils.h"
#include "core/Toast.h"
#include "login/LoginDialog.h"
#include "login/LoginReply.h"
#include "login/PassWordEdit.h"
#include "login/PhoneNumEdit.h"
#include "login/PhoneNumWidget.h"
#include "login/PriAccoutWidget.h"
#include "shell/ChatSideState.h"
#include "shell/LiveControl.h"
#include "shell/LiveModeDialog.h"
#include "shell/LivePauseOrStopWidget.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QLineEdit>
#include <QMenu>
#include <QMutex>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace {

constexpr int kWatchdogMs = 10;
// How much later than the request time-out a path may end: the time-out is measured from the
// last byte moved, and the event loop has its own turns to take.
constexpr int kEndSlackMs = 2000;
// How long a normal answer may take to be taken (the simulator answers at once).
constexpr int kRecoveryMs = 15000;
const char kDemoPhone[] = "13800000000";
const char kDemoPassword[] = "demo1234";
const qint64 kRooms[] = {10086, 10088}; // two normal rooms of the demo account

// The phone tab of a login dialog, opened as the host opens it (the dialog starts on the QR tab).
PhoneNumWidget* phoneTabOf(LoginDialog* dialog)
{
    auto* panel = dialog ? dialog->findChild<PriAccoutWidget*>() : nullptr;
    auto* tab = panel ? panel->findChild<QLabel*>("phone_num_label") : nullptr;
    if (!tab)
        return nullptr;
    QTest::mousePress(tab, Qt::LeftButton);
    return panel->phoneTab();
}

// The demo account typed in, over whatever a remembered login filled in.
void typeLogin(PhoneNumWidget* phone)
{
    for (auto [field, text] : {std::make_pair<LoginInputField*, const char*>(phone->phoneEdit(), kDemoPhone),
                               std::make_pair<LoginInputField*, const char*>(phone->passwordEdit(), kDemoPassword)}) {
        field->lineEdit()->clear();
        QTest::keyClicks(field->lineEdit(), QString::fromLatin1(text));
    }
}

QMutex s_logMutex;
QStringList s_log;

const QString kSendFailed = QString::fromUtf8("发送失败");
const QStringList kDialogErrors{QStringLiteral("Network error:"), QStringLiteral("invalid json data")};

} // namespace

void ServiceFailureDrill::noteLog(const QString& line)
{
    QMutexLocker lock(&s_logMutex);
    s_log << line;
}

ServiceFailureDrill::ServiceFailureDrill(const ServiceFailureOptions& options, FILE* out)
    : m_options(options), m_out(out)
{
}

ServiceFailureDrill::~ServiceFailureDrill() { tearDown(); }

// ---- helpers ------------------------------------------------------------------------------------

bool ServiceFailureDrill::waitFor(const std::function<bool()>& done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

QJsonObject ServiceFailureDrill::failingReply(const QString& mode) const
{
    if (mode == QLatin1String("500"))
        return {{"status", 500}, {"content_type", "text/plain"}, {"body", "Internal Server Error"}};
    if (mode == QLatin1String("garbage"))
        // Announced as the service's JSON, but cut off and with bytes no parser takes.
        return {{"status", 200},
                {"content_type", "application/json;charset=utf-8"},
                {"body", QString::fromUtf8("<html>\x01\xef\xbf\xbd{\"code\":200,\"data\":{\"to")}};
    if (mode == QLatin1String("late"))
        // The real answer, a third later than the time-out (40 s against 30 s).
        return {{"delay", m_options.timeoutMs * 4 / 3 / 1000.0}, {"passthrough", true}};
    return {{"hang", true}};
}

QMap<QString, QByteArray> ServiceFailureDrill::settingsSnapshot() const
{
    CDataCenter::getInstance()->sync();
    QMap<QString, QByteArray> files;
    auto add = [this, &files](const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return;
        files.insert(path, QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1));
        m_settingsFiles.insert(QDir(m_home).relativeFilePath(path));
    };
    add(CDataCenter::getInstance()->settingsFileName());
    QDirIterator it(m_configHome, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        add(it.next());
    // The store's members that replies fill (the push address of a chosen room).
    files.insert(QStringLiteral("store: pushServer"), CDataCenter::getInstance()->pushServer.toUtf8());
    files.insert(QStringLiteral("store: pushKey"), CDataCenter::getInstance()->pushKey.toUtf8());
    return files;
}

bool ServiceFailureDrill::logSince(int mark, const QStringList& needles) const
{
    QMutexLocker lock(&s_logMutex);
    for (int i = mark; i < s_log.size(); ++i)
        for (const QString& n : needles)
            if (s_log.at(i).contains(n))
                return true;
    return false;
}

QString ServiceFailureDrill::toastText() const { return Toast::getInstance()->textLabel()->text(); }

void ServiceFailureDrill::clearToast() { Toast::getInstance()->textLabel()->clear(); }

int ServiceFailureDrill::framesOfType(const QString& type) const { return m_sim->framesOfType(type).size(); }

int ServiceFailureDrill::requestsTo(const QString& path) const { return m_sim->requests(path).size(); }

bool ServiceFailureDrill::control(const QString& path, const QJsonObject& body) const
{
    return m_sim->control(path, body).toObject().value("ok").toBool();
}

LiveModeDialog* ServiceFailureDrill::roomDialog() const { return m_window ? Access::roomDialog(*m_window) : nullptr; }

// Closes the room dialog when open, then opens it with the select button (the list is asked for
// again at each opening).
void ServiceFailureDrill::closeRoomDialog()
{
    if (LiveModeDialog* d = roomDialog(); d && d->isVisible())
        d->findChild<QPushButton*>("cancel_btn")->click();
}

bool ServiceFailureDrill::openRoomDialog()
{
    closeRoomDialog();
    formWidget<QPushButton>(*m_window, "select_live_btn")->click();
    return roomDialog() && roomDialog()->isVisible();
}

// The room dialog open with its list in, `roomId` picked in the box.
bool ServiceFailureDrill::chooseInDialog(qint64 roomId)
{
    if (!openRoomDialog())
        return false;
    LiveModeDialog* d = roomDialog();
    if (!waitFor([d, roomId] { return d->roomState().indexToAppId.values().contains(roomId); }, kRecoveryMs))
        return false;
    auto* box = d->findChild<QComboBox*>("live_room_cbx");
    const int index = box->findData(roomId);
    if (index < 0)
        return false;
    box->setCurrentIndex(index);
    return d->selectedAppId() == roomId;
}

bool ServiceFailureDrill::enterRoom(qint64 roomId)
{
    const int logins = framesOfType("login");
    if (!chooseInDialog(roomId))
        return false;
    roomDialog()->findChild<QPushButton*>("ok_btn")->click();
    LiveControl* control = Access::liveControl(*m_window);
    ChatSideState* chat = Access::chat(*m_window);
    return waitFor([&] { return control->roomId() == roomId && framesOfType("login") > logins && !chat->pageInFlight; },
                   kRecoveryMs);
}

qint64 ServiceFailureDrill::otherRoom() const
{
    return Access::liveControl(*m_window)->roomId() == kRooms[0] ? kRooms[1] : kRooms[0];
}

ChatItemWidget* ServiceFailureDrill::viewerRow(const QString& text)
{
    ChatListWidget* list = Access::chat(*m_window)->list;
    for (int i = 0; i < list->count(); ++i) {
        auto* row = qobject_cast<ChatItemWidget*>(list->rowWidget(i));
        if (row && row->bubble() && row->bubble()->payload().value<ItemChatRecord>().content.content == text)
            return row;
    }
    return nullptr;
}

// A new viewer says a line in the current room; its row, once shown.
ChatItemWidget* ServiceFailureDrill::freshViewerRow()
{
    const int viewer = ++m_viewer;
    const QString text = QStringLiteral("viewer %1 says hello").arg(viewer);
    const qint64 room = Access::liveControl(*m_window)->roomId();
    if (!control("/_sim/room/viewer/say",
                 {{"room_id", QString::number(room)}, {"wechat_user_space_id", viewer}, {"text", text}}))
        return nullptr;
    ChatItemWidget* row = nullptr;
    waitFor([&] { return (row = viewerRow(text)) != nullptr; }, kRecoveryMs);
    return row;
}

void ServiceFailureDrill::pressAvatar(ChatItemWidget* row)
{
    if (row)
        QTest::mousePress(row->avatarLabel(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
}

void ServiceFailureDrill::openMessageMenu(ChatItemWidget* row)
{
    if (row)
        row->onShowMessageOptMenu(row->bubble()->payload(), nullptr);
}

// ---- set-up -------------------------------------------------------------------------------------

bool ServiceFailureDrill::setUp()
{
    m_home = QDir::currentPath();
    m_configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    m_sim = std::make_unique<SimulatorProcess>();
    if (!m_sim->start()) {
        std::fprintf(m_out, "the simulator did not start\n");
        return false;
    }
    NetUtils::getInstance()->setTransferTimeout(m_options.timeoutMs);
    solvek::setLoginRequestTimeoutMs(m_options.timeoutMs);
    setChatWsReconnectInterval(200);
    CDataCenter::getInstance()->userDocRoot = m_home + "/userdoc";

    m_watchdog = new QTimer(this);
    m_watchdog->setInterval(kWatchdogMs);
    m_watchdogClock.start();
    connect(m_watchdog, &QTimer::timeout, this, [this] {
        const qint64 gap = m_watchdogClock.restart() - kWatchdogMs;
        if (m_watching)
            m_longestStallMs = std::max(m_longestStallMs, gap);
    });
    m_watchdog->start();
    return true;
}

void ServiceFailureDrill::tearDown()
{
    if (m_window) {
        if (LiveModeDialog* d = roomDialog())
            d->hide();
        delete m_window.data();
    }
    m_core.reset();
    destroyChatWsClient();
    Toast::resetInstance();
    if (m_sim)
        m_sim->stop();
    m_sim.reset();
}

// A normal phone login through the login dialog; the record is kept for the main window.
bool ServiceFailureDrill::signIn()
{
    LoginDialog dialog;
    int done = 0;
    connect(&dialog, &LoginDialog::sigAccounLoginSuccess, this, [&done] { ++done; });
    dialog.show();
    PhoneNumWidget* phone = phoneTabOf(&dialog);
    if (!phone)
        return false;
    typeLogin(phone);
    phone->loginButton()->click();
    if (!waitFor([&done] { return done > 0; }, kRecoveryMs))
        return false;
    m_login = NetUtils::getInstance()->getLoginInfo();
    return true;
}

bool ServiceFailureDrill::openMainWindow()
{
    if (!control("/_sim/room/config", {{"ping_interval", 0}}) ||
        !control("/_sim/room/host", {{"wechat_user_space_id", m_login.wechat_user_space_id}, {"name", m_login.name}}))
        return false;
    m_core = std::make_unique<FakeLiveCore>();
    m_window = new LiveMainWindow;
    m_window->initLiveMainWindowParams(&m_login);
    m_window->initFromLogin();
    m_window->show();
    // The room dialog opens without a modal loop of its own, so the drill goes on meanwhile.
    Access::setRoomDialogRunner([](QDialog& d) {
        d.show();
        return int(QDialog::Accepted);
    });
    // Row menus and confirmations are answered by the drill.
    auto& hooks = ChatItemWidget::hooks();
    hooks.execMenu = [this](QMenu* menu, const QPoint&) {
        ++m_menusShown;
        QPointer<QAction> chosen;
        for (QAction* a : menu->actions())
            if (a->text() == m_menuChoice)
                chosen = a;
        if (chosen)
            chosen->trigger();
    };
    hooks.confirm = [](const QString&, const QString&, std::function<void()> onEnter) { onEnter(); };
    // The first opening makes the dialog (its list is asked for twice then); later openings ask
    // once, with the drill's time-out.
    if (!enterRoom(kRooms[0]))
        return false;
    roomDialog()->setTransferTimeout(m_options.timeoutMs);
    return true;
}

// ---- the paths ----------------------------------------------------------------------------------

QList<ServiceFailureDrill::Path> ServiceFailureDrill::loginPaths()
{
    auto dialog = std::make_shared<QPointer<LoginDialog>>();
    auto signedIn = std::make_shared<int>(0);
    Path login;
    login.name = QStringLiteral("login");
    login.endpoint = QStringLiteral("/liveSystem/login/userLogin");
    // A fresh dialog each time (a signed-in one takes no more clicks), the login remembered, so a
    // failure taken for a success would write the settings.
    login.prepare = [this, dialog, signedIn] {
        delete dialog->data();
        *dialog = new LoginDialog;
        *signedIn = 0;
        connect(dialog->data(), &LoginDialog::sigAccounLoginSuccess, this, [signedIn] { ++*signedIn; });
        (*dialog)->show();
        PhoneNumWidget* phone = phoneTabOf(*dialog);
        if (!phone)
            return false;
        typeLogin(phone);
        phone->rememberBox()->setChecked(true);
        return phone->loginButton()->isEnabled();
    };
    login.act = [dialog] {
        if (*dialog)
            (*dialog)->findChild<PhoneNumWidget*>()->loginButton()->click();
    };
    login.ended = [this] { return logSince(m_logMark, kDialogErrors); };
    login.wrongSuccess = [signedIn] { return *signedIn ? QStringLiteral("signed in") : QString(); };
    login.recovered = [signedIn] { return *signedIn > 0; };
    return {login};
}

QList<ServiceFailureDrill::Path> ServiceFailureDrill::roomPaths()
{
    LiveControl* control = Access::liveControl(*m_window);
    ChatSideState* chat = Access::chat(*m_window);
    auto target = std::make_shared<qint64>(0);
    auto logins = std::make_shared<int>(0);
    QList<Path> paths;

    Path list;
    list.name = QStringLiteral("room list");
    list.endpoint = QStringLiteral("/Mobile/Index/newRoomList");
    list.prepare = [this] {
        closeRoomDialog();
        return true;
    };
    list.act = [this] { openRoomDialog(); };
    list.ended = [this] { return logSince(m_logMark, kDialogErrors); };
    list.wrongSuccess = [this] {
        return roomDialog()->roomState().indexToAppId.isEmpty() ? QString() : QStringLiteral("rooms listed");
    };
    list.recovered = [this] { return !roomDialog()->roomState().indexToAppId.isEmpty(); };
    paths << list;

    // The room choice: the other room picked in the dialog and confirmed.
    auto pick = [this, target, logins] {
        *target = otherRoom();
        *logins = framesOfType("login");
        return chooseInDialog(*target);
    };
    auto confirm = [this] { roomDialog()->findChild<QPushButton*>("ok_btn")->click(); };
    auto entered = [this, control, chat, target, logins] {
        return control->roomId() == *target && control->state() == mainwin::LiveStateReady &&
               framesOfType("login") > *logins && !chat->pageInFlight;
    };

    Path choice;
    choice.name = QStringLiteral("room choice");
    choice.endpoint = QStringLiteral("/liveSystem/live/getPushUrl");
    choice.prepare = pick;
    choice.act = confirm;
    choice.ended = [this] { return logSince(m_logMark, kDialogErrors); };
    choice.wrongSuccess = [control, target] {
        return control->roomId() == *target ? QStringLiteral("room chosen") : QString();
    };
    choice.recovered = entered;
    paths << choice;

    // What the chosen room sets up in the background: the room channel's address (a failure
    // falls back to the default address), the sensitive words, the first history page, the host's
    // own tags, the account's kind and the IM group's login.
    auto background = [&](const QString& name, const QString& endpoint, std::function<bool()> ended) {
        Path p;
        p.name = name;
        p.endpoint = endpoint;
        p.prepare = pick;
        p.act = confirm;
        p.ended = std::move(ended);
        p.recovered = entered;
        p.writtenBySuccess = QStringList{QStringLiteral("store: pushServer"), QStringLiteral("store: pushKey")};
        paths << p;
    };
    auto logged = [this](const QString& line) { return [this, line] { return logSince(m_logMark, {line}); }; };
    background(QStringLiteral("room channel address"), QStringLiteral("/liveSystem/Account/getAccountConfig"),
               [this, logins] { return framesOfType("login") > *logins; });
    background(QStringLiteral("sensitive words"), QStringLiteral("/Wx/SolVek/SystemConfig/getSensitiveWordList"),
               logged(QStringLiteral("API_GET_SENSITIVE_WORD_LIST error")));
    background(QStringLiteral("chat history"), QStringLiteral("/Wx/Interact/getChatRecord"), [this, chat] {
        return logSince(m_logMark, {QStringLiteral("API_GET_CHAT_RECORD_LIST error")}) && !chat->pageInFlight;
    });
    background(QStringLiteral("host tags"), QStringLiteral("/Wx/WechatUser/getTagInfo"),
               logged(QStringLiteral("API_POST_USER_TAG_INFO error")));
    background(QStringLiteral("account kind"), QStringLiteral("/Mobile/Ucenter/appUserBase"),
               logged(QStringLiteral("API_POST_UCENTER error")));
    background(QStringLiteral("IM group login"), QStringLiteral("/Mobile/Im/Login/wechatUser"),
               logged(QStringLiteral("API_GET_IMSDK_LOGININFO error")));
    return paths;
}

QList<ServiceFailureDrill::Path> ServiceFailureDrill::chatPaths()
{
    ChatSideState* chat = Access::chat(*m_window);
    auto closeDialog = [this] { closeRoomDialog(); };
    auto text = std::make_shared<QString>();
    auto row = std::make_shared<QPointer<ChatItemWidget>>();
    auto mark = std::make_shared<int>(0);
    QList<Path> paths;

    auto said = [this, text] {
        for (const QJsonObject& say : m_sim->framesOfType("say"))
            if (say.value("content").toObject().value("content").toObject().value("content").toString() == *text)
                return true;
        return false;
    };
    Path send;
    send.name = QStringLiteral("chat send");
    send.endpoint = QStringLiteral("/Wx/Chat/BeforeSendMsg");
    send.prepare = [this, closeDialog, text] {
        closeDialog();
        *text = QStringLiteral("host line %1").arg(++m_serial);
        return true;
    };
    send.act = [chat, text] {
        chat->input->setPlainText(*text);
        QTest::mouseClick(chat->sendLabel, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    };
    send.ended = [this] { return toastText() == kSendFailed; };
    send.wrongSuccess = [said] { return said() ? QStringLiteral("sent without its check") : QString(); };
    send.recovered = said;
    paths << send;

    // The sender menu of a new viewer's row asks for the viewer's state first.
    auto freshRow = [this, closeDialog, row, mark](const QString& choice) {
        closeDialog();
        m_menuChoice = choice;
        *mark = m_menusShown;
        *row = freshViewerRow();
        return !row->isNull();
    };
    auto toastShown = [this] { return !toastText().isEmpty(); };
    auto toastSaysSuccess = [this] {
        return toastText().endsWith(QString::fromUtf8("成功")) ? QStringLiteral("toast \"%1\"").arg(toastText())
                                                                : QString();
    };

    Path state;
    state.name = QStringLiteral("viewer state");
    state.endpoint = QStringLiteral("/Wx/WechatUser/getUserInfo");
    state.prepare = [freshRow] { return freshRow(QString()); };
    state.act = [this, row] { pressAvatar(*row); };
    state.ended = toastShown;
    state.wrongSuccess = [this, mark] { return m_menusShown > *mark ? QStringLiteral("menu shown") : QString(); };
    state.recovered = [this, mark] { return m_menusShown > *mark; };
    paths << state;

    struct Action {
        const char* name;
        const char* endpoint;
        const char* entry;
        bool senderMenu;
        bool muted; // the viewer is muted beforehand
    };
    const Action actions[] = {
        {"mute viewer", "/liveSystem/Room/wechatUserOpt", "禁言", true, false},
        {"unmute viewer", "/liveSystem/Room/wechatUserCancelOpt", "取消禁言", true, true},
        {"pin message", "/liveSystem/Room/top", "置顶", false, false},
        {"delete message", "/liveSystem/Room/deleteMessage", "删除", false, false},
    };
    for (const Action& a : actions) {
        Path p;
        p.name = QString::fromLatin1(a.name);
        p.endpoint = QString::fromLatin1(a.endpoint);
        const QString entry = QString::fromUtf8(a.entry);
        const bool muted = a.muted;
        p.prepare = [this, freshRow, entry, muted] {
            if (!freshRow(entry))
                return false;
            if (!muted)
                return true;
            return control("/_sim/chatops/viewer",
                           {{"room_id", QString::number(Access::liveControl(*m_window)->roomId())},
                            {"wechat_user_space_id", QString::number(m_viewer)},
                            {"shut_up", 1}});
        };
        if (a.senderMenu)
            p.act = [this, row] { pressAvatar(*row); };
        else
            p.act = [this, row] { openMessageMenu(*row); };
        p.ended = toastShown;
        p.wrongSuccess = toastSaysSuccess;
        p.recovered = [this, entry] { return toastText() == entry + QString::fromUtf8("成功"); };
        paths << p;
    }

    Path muteAll;
    muteAll.name = QStringLiteral("mute all");
    muteAll.endpoint = QStringLiteral("/MiniProgram/Live/shutUpAll");
    muteAll.prepare = [this, closeDialog, mark] {
        closeDialog();
        *mark = framesOfType("shut_up_all");
        return !Access::chat(*m_window)->muteAllPending;
    };
    muteAll.act = [chat] { QTest::mouseClick(chat->muteAllLabel, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2)); };
    muteAll.ended = [chat] { return !chat->muteAllPending; };
    muteAll.wrongSuccess = [this, mark] {
        return framesOfType("shut_up_all") > *mark ? QStringLiteral("the room was told") : QString();
    };
    muteAll.recovered = [this, mark] { return framesOfType("shut_up_all") > *mark; };
    paths << muteAll;
    return paths;
}

// ---- one case -----------------------------------------------------------------------------------

bool ServiceFailureDrill::runCase(const Path& path, const QString& mode)
{
    ++m_cases;
    const QString name = path.name + "/" + mode;
    const int boundMs = m_options.timeoutMs + kEndSlackMs;
    QStringList problems;
    qint64 waitMs = -1;

    if (!path.prepare()) {
        problems << QStringLiteral("could not get ready for the action");
    } else {
        QMap<QString, QByteArray> before = settingsSnapshot();
        const int asked = requestsTo(path.endpoint);
        m_sim->script(path.endpoint, QJsonArray{failingReply(mode)});
        clearToast();
        {
            QMutexLocker lock(&s_logMutex);
            m_logMark = s_log.size();
        }
        QElapsedTimer clock;
        clock.start();
        m_watching = true;
        path.act();
        const bool ended = waitFor(path.ended, boundMs + 10000);
        waitMs = clock.elapsed();
        m_watching = false;
        if (!ended)
            problems << QStringLiteral("never ended (waited %1 ms)").arg(waitMs);
        else if (waitMs > boundMs)
            problems << QStringLiteral("ended after %1 ms, beyond %2 ms").arg(waitMs).arg(boundMs);
        if (requestsTo(path.endpoint) <= asked)
            problems << QStringLiteral("the request never reached the service");
        if (path.wrongSuccess) {
            const QString wrong = path.wrongSuccess();
            if (!wrong.isEmpty())
                problems << QStringLiteral("taken for a success: %1").arg(wrong);
        }
        QMap<QString, QByteArray> after = settingsSnapshot();
        for (const QString& key : path.writtenBySuccess) {
            before.remove(key);
            after.remove(key);
        }
        if (after != before) {
            ++m_settingsWritten;
            QStringList changed;
            for (auto it = after.begin(); it != after.end(); ++it)
                if (before.value(it.key()) != it.value())
                    changed << it.key();
            problems << QStringLiteral("settings written: %1").arg(changed.join(", "));
        }
        if (ended && waitMs > m_longestWaitMs) {
            m_longestWaitMs = waitMs;
            m_longestWaitCase = name;
        }

        // The same action against a normal answer.
        if (!path.prepare()) {
            problems << QStringLiteral("could not get ready again");
        } else {
            clearToast();
            {
                QMutexLocker lock(&s_logMutex);
                m_logMark = s_log.size();
            }
            m_watching = true;
            path.act();
            if (!waitFor(path.recovered, kRecoveryMs))
                problems << QStringLiteral("the same action then failed against a normal answer");
            m_watching = false;
        }
    }

    if (problems.isEmpty()) {
        ++m_passed;
        std::fprintf(m_out, "case %-28s ended in %6lld ms, then worked\n", qPrintable(name), waitMs);
    } else {
        m_failures << name;
        std::fprintf(m_out, "case %-28s FAILED: %s\n", qPrintable(name), qPrintable(problems.join("; ")));
    }
    std::fflush(m_out);
    return problems.isEmpty();
}

bool ServiceFailureDrill::startAndStop()
{
    LiveControl* control = Access::liveControl(*m_window);
    closeRoomDialog();
    if (control->state() != mainwin::LiveStateReady)
        return false;
    formWidget<QPushButton>(*m_window, "live_mode_btn")->click();
    if (!waitFor([control] { return control->state() == mainwin::LiveStateLive; }, kRecoveryMs))
        return false;
    formWidget<QPushButton>(*m_window, "live_mode_btn")->click();
    LivePauseOrStopWidget* popup = Access::pauseOrStop(*m_window);
    QLabel* stop = popup ? labelWithText(*popup, "结束直播") : nullptr;
    if (!stop)
        return false;
    QTest::mousePress(stop, Qt::LeftButton);
    return waitFor([control] { return control->state() == mainwin::LiveStateIdle; }, kRecoveryMs);
}

// ---- the drill ----------------------------------------------------------------------------------

bool ServiceFailureDrill::run()
{
    bool ok = setUp();
    auto runPaths = [this](const QList<Path>& paths) {
        for (const Path& p : paths)
            for (const QString& mode : qAsConst(m_options.modes)) {
                const bool slow = mode == QLatin1String("late") || mode == QLatin1String("never");
                if (slow && !m_options.slowPaths.isEmpty() && !m_options.slowPaths.contains(p.name))
                    continue;
                runCase(p, mode);
            }
    };
    if (ok) {
        runPaths(loginPaths());
        ok = signIn() && openMainWindow();
        if (!ok)
            std::fprintf(m_out, "could not sign in and open the main window\n");
    }
    if (ok) {
        runPaths(roomPaths());
        runPaths(chatPaths());
        // Starting and stopping the broadcast asks the open API for nothing: it must still work.
        const bool live = startAndStop();
        std::fprintf(m_out, "start and stop after the cases: %s\n", live ? "worked" : "FAILED");
        if (!live)
            m_failures << QStringLiteral("start/stop");
    }
    std::fprintf(m_out,
                 "soak service cases=%d passed=%d longest_wait_ms=%lld longest_gui_stall_ms=%lld "
                 "settings_written_on_failure=%d timeout_ms=%d\n",
                 m_cases, m_passed, m_longestWaitMs, m_longestStallMs, m_settingsWritten, m_options.timeoutMs);
    QStringList compared(m_settingsFiles.begin(), m_settingsFiles.end());
    compared.sort();
    std::fprintf(m_out, "settings files compared: %s\n", qPrintable(compared.join(", ")));
    if (!m_longestWaitCase.isEmpty())
        std::fprintf(m_out, "longest wait in %s\n", qPrintable(m_longestWaitCase));
    std::fflush(m_out);
    tearDown();
    return ok && m_failures.isEmpty() && m_passed == m_cases && m_cases > 0;
}
