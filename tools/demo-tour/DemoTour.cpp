#include "DemoTour.h"
#include "TourTexts.h"

#include "HostActions.h"

#include "chat/ChatItemWidget.h"
#include "chat/ChatListWidget.h"
#include "chat/MessageLabel.h"
#include "core/DataCenter.h"
#include "login/LoginDialog.h"
#include "login/PassWordEdit.h"
#include "login/PhoneNumEdit.h"
#include "login/PhoneNumWidget.h"
#include "shell/LiveMainWindow.h"
#include "shell/LiveModeDialog.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <ctime>
#include <unistd.h>

namespace tour {

namespace {
using namespace tour::texts;
// Tool tips of outside text are plain text converted to markup; this is the text they show.
QString toolTipText(QWidget* w) { return QTextDocumentFragment::fromHtml(w->toolTip()).toPlainText(); }
constexpr int kProbeTimeoutMs = 30000;
constexpr int kChatSettleMs = 1500;

// The record a chat row shows (its item carries it, made or not); empty for other rows.
ItemChatRecord recordOfRow(QListWidgetItem* item)
{
    return item->data(ChatListWidget::kRecordRole).value<ItemChatRecord>();
}

QString secondsText(qint64 ms) { return QString::number(double(ms) / 1000.0, 'f', 2) + QStringLiteral(" s"); }

} // namespace

qint64 msSinceProcessStart()
{
    timespec now{};
    const QByteArray t0 = qgetenv("SOLVEK_BENCH_T0_NS");
    if (!t0.isEmpty() && clock_gettime(CLOCK_REALTIME, &now) == 0)
        return (qint64(now.tv_sec) * 1000000000 + now.tv_nsec - t0.toLongLong()) / 1000000;
    // Field 22 of /proc/self/stat is the start time in clock ticks after boot.
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray s = stat.readAll();
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    const double startS = fields.value(19).toDouble() / double(sysconf(_SC_CLK_TCK));
    const double upS = uptime.readAll().split(' ').value(0).toDouble();
    return qint64((upS - startS) * 1000.0);
}

DemoTour::DemoTour(const TourOptions& options, FILE* progress, QObject* parent)
    : QObject(parent), m_options(options), m_runner(QDir(options.outDir), progress, this), m_progress(progress)
{
    m_startedMs = msSinceProcessStart();
    qApp->installEventFilter(this);
    connect(&m_runner, &TourRunner::finished, this, &DemoTour::finished);
    addLoginSteps();
    if (m_options.startupOnly) {
        m_runner.setStepLimit(3);
        return;
    }
    if (m_options.cycles > 0) {
        addBroadcastCycles();
        return;
    }
    if (!m_options.ingestCases.isEmpty()) {
        addIngestCases();
        return;
    }
    if (m_options.longRoomMinutes > 0) {
        addLongRoomSteps();
        return;
    }
    addRoomSteps();
    if (m_options.holdLiveSeconds > 0) {
        // The CPU benchmark: no screenshots, nothing else while live; it ends with the hold.
        m_runner.setKeepShots(false);
        if (!m_options.documentsDir.isEmpty())
            addBenchSceneSteps();
        addHoldLiveStep();
        return;
    }
    addBroadcastSteps();
    if (!m_options.documentsDir.isEmpty()) {
        addDocumentSteps();
        addShareSteps();
        addLayoutSteps();
    }
    addChatSteps();
    addPauseResumeStopSteps();
}

bool DemoTour::eventFilter(QObject* watched, QEvent* event)
{
    // The first paint of each window is when the host first sees it.
    if (event->type() == QEvent::Show && m_loginShowMs < 0 && qobject_cast<LoginDialog*>(watched))
        m_loginShowMs = msSinceProcessStart();
    if (event->type() == QEvent::Paint) {
        if (m_loginShownMs < 0 && qobject_cast<LoginDialog*>(watched))
            m_loginShownMs = msSinceProcessStart();
        else if (m_mainDrawnMs < 0 && m_sinceLoginClick.isValid() && qobject_cast<LiveMainWindow*>(watched))
            m_mainDrawnMs = m_sinceLoginClick.elapsed();
    }
    return QObject::eventFilter(watched, event);
}

QString DemoTour::startupFigures() const
{
    // The phases before the first paint: up to the tour's start (the application object made), up
    // to the dialog's show (the update check among them), and from there to its first paint.
    return QStringLiteral("startup login_dialog_ms=%1 login_to_main_window_ms=%2 app_ready_ms=%3 login_show_ms=%4")
        .arg(m_loginShownMs)
        .arg(m_mainDrawnMs)
        .arg(m_startedMs)
        .arg(m_loginShowMs);
}

LiveMainWindow* DemoTour::mainWindow() const { return m_main.data(); }

QWidget* DemoTour::mainNamed(const char* name) const { return named(mainWindow(), name); }

QString DemoTour::mainText(const char* name) const { return textOf(mainNamed(name)); }

// ---- login ---------------------------------------------------------------------------------

void DemoTour::addLoginSteps()
{
    Step open;
    open.title = QStringLiteral("the login dialog opens");
    open.shot = QStringLiteral("login-dialog");
    open.stages << Stage{QStringLiteral("the login dialog is on the screen"), {}, [this] {
                             m_login = visibleWindow<LoginDialog>();
                             return isExposed(m_login) && m_loginShownMs >= 0;
                         }, 30000};
    open.detail = [this] { return QStringLiteral("%1 after the process started").arg(secondsText(m_loginShownMs)); };
    m_runner.add(open);

    auto phoneTab = [this]() -> PhoneNumWidget* {
        auto* w = m_login ? m_login->findChild<PhoneNumWidget*>() : nullptr;
        return w && w->isVisible() ? w : nullptr;
    };
    Step account;
    account.title = QStringLiteral("enter the demo account on the phone tab");
    account.shot = QStringLiteral("phone-login");
    account.stages << Stage{QStringLiteral("the phone tab is shown"),
                            [this] { click(named(m_login, "phone_num_label")); },
                            [phoneTab] { return phoneTab() != nullptr; }};
    account.stages << Stage{QStringLiteral("the login button is enabled"),
                            [this, phoneTab] {
                                type(phoneTab()->phoneEdit()->lineEdit(), m_options.phone);
                                type(phoneTab()->passwordEdit()->lineEdit(), m_options.password);
                            },
                            [phoneTab] { return phoneTab() && phoneTab()->loginButton()->isEnabled(); }};
    account.detail = [this] { return m_options.phone; };
    m_runner.add(account);

    Step signIn;
    signIn.title = QStringLiteral("sign in");
    signIn.shot = QStringLiteral("main-window");
    signIn.stages << Stage{QStringLiteral("the main window is drawn and the login dialog has closed"),
                           [this, phoneTab] {
                               m_sinceLoginClick.start();
                               click(phoneTab()->loginButton());
                           },
                           [this] {
                               m_main = visibleWindow<LiveMainWindow>();
                               return isExposed(m_main) && m_mainDrawnMs >= 0 && m_login && !m_login->isVisible();
                           },
                           30000,
                           [this]() -> QString {
                               auto* tab = m_login ? m_login->findChild<PhoneNumWidget*>() : nullptr;
                               QWidget* hint = tab ? tab->errorHint() : nullptr;
                               return hint && hint->isVisible() ? QStringLiteral("login refused: ") + textOf(hint)
                                                                : QString();
                           }};
    signIn.detail = [this] {
        return QStringLiteral("as %1, main window drawn %2 after the click")
            .arg(toolTipText(mainNamed("usernamelbl")), secondsText(m_mainDrawnMs));
    };
    m_runner.add(signIn);
}

// ---- room ----------------------------------------------------------------------------------

void DemoTour::addRoomSteps()
{
    auto dialog = [] { return visibleWindow<LiveModeDialog>(); };
    auto combo = [dialog] { return named<QComboBox>(dialog(), "live_room_cbx"); };

    Step open;
    open.title = QStringLiteral("open the room dialog and pick a room");
    open.shot = QStringLiteral("room-dialog");
    open.stages << Stage{QStringLiteral("the room dialog lists \"") + m_options.room + QStringLiteral("\""),
                         [this] { click(mainNamed("select_live_btn")); },
                         [this, combo] { return combo() && combo()->findText(m_options.room) >= 0; }};
    open.stages << Stage{QStringLiteral("the room is selected"),
                         [this, dialog, combo] {
                             click(named(dialog(), "room_btn"));
                             // As with the keyboard: step through the list to the room.
                             QComboBox* box = combo();
                             box->setFocus(Qt::TabFocusReason);
                             const int wanted = box->findText(m_options.room);
                             for (int i = 0; i < box->count() && box->currentIndex() != wanted; ++i)
                                 key(box, box->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
                         },
                         [this, combo] { return combo() && combo()->currentText() == m_options.room; }};
    open.detail = [combo] { return QStringLiteral("%1 rooms listed").arg(combo() ? combo()->count() : 0); };
    m_runner.add(open);

    Step choose;
    choose.title = QStringLiteral("choose the room");
    choose.shot = QStringLiteral("room-chosen");
    choose.stages << Stage{QStringLiteral("the main window names the room and offers to start"),
                           [dialog] { click(named(dialog(), "ok_btn")); },
                           [this, dialog] {
                               QWidget* name = mainNamed("room_name_label");
                               return !dialog() && name && name->isVisible() && toolTipText(name) == m_options.room &&
                                      mainText("live_mode_btn") == kStartText;
                           }};
    choose.detail = [] {
        auto store = CDataCenter::getInstance();
        return QStringLiteral("push address %1/%2").arg(store->pushServer, store->pushKey);
    };
    m_runner.add(choose);
}

// ---- broadcast -----------------------------------------------------------------------------

void DemoTour::addBroadcastSteps()
{
    Step start;
    start.title = QStringLiteral("start the broadcast");
    start.shot = QStringLiteral("live");
    start.stages << Stage{QStringLiteral("the status says ") + kLive, [this] { click(mainNamed("live_mode_btn")); },
                          [this] { return mainText("live_status_label") == kLive; }, 20000};
    m_runner.add(start);

    Step probe;
    probe.title = QStringLiteral("the stream reaches the RTMP server (ffprobe)");
    probe.stages << Stage{QStringLiteral("ffprobe finds H.264 video and AAC audio"),
                          [this] {
                              auto store = CDataCenter::getInstance();
                              asHarness([&] { m_probe.start(store->pushServer + QLatin1Char('/') + store->pushKey, kProbeTimeoutMs); });
                          },
                          [this] { return m_probe.isFinished() && m_probe.hasVideoAndAudio(); }, kProbeTimeoutMs + 5000,
                          [this] { return m_probe.isFinished() ? m_probe.summary() : QString(); }};
    probe.detail = [this] { return m_probe.summary() + QStringLiteral(" at ") + m_probe.url(); };
    m_runner.add(probe);
}

// ---- chat ----------------------------------------------------------------------------------

QListWidget* DemoTour::chatList() const
{
    auto* page = mainNamed("chat_page");
    return page ? page->findChild<QListWidget*>() : nullptr;
}

int DemoTour::rowsWithText(const QString& text, bool* ownWithServerId) const
{
    int count = 0;
    *ownWithServerId = false;
    QListWidget* list = chatList();
    for (int i = 0; list && i < list->count(); ++i) {
        const ItemChatRecord record = recordOfRow(list->item(i));
        if (record.content.content != text)
            continue;
        ++count;
        const auto& serverId = ChatItemWidget::hooks().serverMessageId;
        *ownWithServerId = record.local_seq != -1 && serverId && !serverId(record).isEmpty();
    }
    return count;
}

QStringList DemoTour::viewerLines() const
{
    QStringList lines;
    const QString host = m_login ? QString::number(m_login->loginInfo()->wechat_user_space_id) : QString();
    QListWidget* list = chatList();
    for (int i = 0; list && i < list->count(); ++i) {
        const ItemChatRecord r = recordOfRow(list->item(i));
        if (r.local_seq == -1 && r.wechat_user_space_id != host && !r.content.content.isEmpty())
            lines << r.from_client_name + QStringLiteral(": ") + r.content.content;
    }
    return lines;
}

void DemoTour::addChatSteps()
{
    auto input = [this]() -> QTextEdit* {
        auto* page = mainNamed("chat_page");
        auto* edit = page ? page->findChild<QTextEdit*>() : nullptr;
        return edit && edit->isVisible() ? edit : nullptr;
    };
    Step send;
    send.title = QStringLiteral("send a chat; its echo settles on the host's own row");
    send.shot = QStringLiteral("chat-sent");
    send.stages << Stage{QStringLiteral("the chat page is shown"), {}, [input] { return input() != nullptr; }};
    send.stages << Stage{QStringLiteral("one own row holds the text with the server's id from the echo"),
                         [this, input] {
                             type(input(), m_options.chat);
                             click(visibleChildWithText(mainNamed("chat_page"), kSend));
                         },
                         [this] {
                             bool settled = false;
                             return rowsWithText(m_options.chat, &settled) == 1 && settled;
                         },
                         15000,
                         [this]() -> QString {
                             bool settled = false;
                             const int n = rowsWithText(m_options.chat, &settled);
                             return n > 1 ? QStringLiteral("%1 rows show the text").arg(n) : QString();
                         }};
    send.stages << Stage{QStringLiteral("still one row a moment later"), [this] { m_settle.start(); },
                         [this] {
                             bool settled = false;
                             return m_settle.elapsed() >= kChatSettleMs && rowsWithText(m_options.chat, &settled) == 1;
                         },
                         kChatSettleMs + 2000,
                         [this]() -> QString {
                             bool settled = false;
                             const int n = rowsWithText(m_options.chat, &settled);
                             return n != 1 ? QStringLiteral("%1 rows show the text").arg(n) : QString();
                         }};
    send.detail = [this] { return QStringLiteral("\"%1\" shown once").arg(m_options.chat); };
    m_runner.add(send);

    Step viewers;
    viewers.title = QStringLiteral("viewers' messages arrive");
    viewers.shot = QStringLiteral("viewers");
    viewers.stages << Stage{QStringLiteral("two viewers' messages are in the chat"), {},
                            [this] { return viewerLines().size() >= 2; }, 30000};
    viewers.detail = [this] {
        const QStringList lines = viewerLines();
        return QStringLiteral("%1 so far, latest \"%2\"").arg(lines.size()).arg(lines.value(lines.size() - 1));
    };
    m_runner.add(viewers);
}

// ---- pause, resume, stop -------------------------------------------------------------------

QWidget* DemoTour::pauseOrStopPopup() const { return visibleChildOfClass(mainWindow(), "LivePauseOrStopWidget"); }

void DemoTour::addPauseResumeStopSteps()
{
    auto openPopup = [this](const QString& row) {
        return Stage{QStringLiteral("the pause/stop popup offers \"") + row + QStringLiteral("\""),
                     [this] { click(mainNamed("live_mode_btn")); },
                     [this, row] { return visibleChildWithText(pauseOrStopPopup(), row) != nullptr; }};
    };

    Step offer;
    offer.title = QStringLiteral("the live button offers pause and stop");
    offer.shot = QStringLiteral("pause-or-stop");
    offer.stages << openPopup(kPauseRow);
    offer.stages << Stage{QStringLiteral("the popup offers \"") + kStopRow + QStringLiteral("\" too"), {},
                          [this] { return visibleChildWithText(pauseOrStopPopup(), kStopRow) != nullptr; }};
    m_runner.add(offer);

    Step pause;
    pause.title = QStringLiteral("pause");
    pause.shot = QStringLiteral("paused");
    pause.stages << Stage{QStringLiteral("the status says ") + kPaused,
                          [this] { click(visibleChildWithText(pauseOrStopPopup(), kPauseRow)); },
                          [this] { return mainText("live_status_label") == kPaused; }};
    m_runner.add(pause);

    Step resume;
    resume.title = QStringLiteral("resume; the stream flows again");
    resume.shot = QStringLiteral("resumed");
    resume.stages << Stage{QStringLiteral("the status says ") + kLive, [this] { click(mainNamed("live_mode_btn")); },
                           [this] { return mainText("live_status_label") == kLive; }};
    resume.stages << Stage{QStringLiteral("ffprobe finds H.264 video and AAC audio again"),
                           [this] { asHarness([this] { m_probe.start(m_probe.url(), kProbeTimeoutMs); }); },
                           [this] { return m_probe.isFinished() && m_probe.hasVideoAndAudio(); },
                           kProbeTimeoutMs + 5000,
                           [this] { return m_probe.isFinished() ? m_probe.summary() : QString(); }};
    resume.detail = [this] { return m_probe.summary(); };
    m_runner.add(resume);

    Step stop;
    stop.title = QStringLiteral("stop");
    stop.shot = QStringLiteral("stopped");
    stop.stages << openPopup(kStopRow);
    stop.stages << Stage{QStringLiteral("the status says ") + kPreparing + QStringLiteral(" and a new choice is offered"),
                         [this] { click(visibleChildWithText(pauseOrStopPopup(), kStopRow)); },
                         [this] {
                             return mainText("live_status_label") == kPreparing && mainText("live_mode_btn") == kChooseText;
                         }};
    m_runner.add(stop);
}

} // namespace tour
