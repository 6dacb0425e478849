// test-label: integration
// The main window's emotes and enter/leave notices against the simulator: the emote button opens
// and closes the grid, a chosen emote lands in the input and goes out in the chat, the grid follows
// the window's size, closing the window does not wait for a hanging emote host, and viewers who
// enter and leave are announced over the chat list (names shown as typed).
#include "support/ChatWindowTestCase.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/RichText.h"

#include "chat/ChatListWidget.h"
#include "chat/EmoteFiles.h"
#include "chat/EmoteListWidget.h"
#include "chat/UserRemindMsgWidget.h"
#include "shell/LiveControl.h"
#include "widgets/ClickableLabel.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QLabel>
#include <QTextEdit>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kWait = 10000;
const QString kPrefix = QStringLiteral("/Public/Home/Images/newFaces/");
} // namespace

class tst_LiveMainWindowEmotes : public ChatWindowTestCase
{
    Q_OBJECT

    QTemporaryDir m_emotes;

    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2)); }
    int emoteRequests() const
    {
        int n = 0;
        for (const QJsonValue& r : m_sim.requests())
            n += r.toObject().value("path").toString().startsWith(kPrefix);
        return n;
    }
private slots:
    void initTestCase()
    {
        ChatWindowTestCase::initTestCase();
        QVERIFY(m_emotes.isValid());
        EmoteFiles::setFolder(m_emotes.path());
    }

    void emoteButtonOpensGridAndEmoteGoesOut()
    {
        m_w->resize(1280, 800);
        m_w->show();
        QVERIFY(enterRoom(501));
        ChatSideState* s = chat();
        QVERIFY(!s->emotePanel);
        click(s->emoteButton);
        QVERIFY(s->emotePanel);
        EmoteListWidget* grid = s->emotePanel;
        QVERIFY(grid->isVisible());
        QCOMPARE(grid->parentWidget()->objectName(), QString("chat_page"));
        QCOMPARE(grid->width(), grid->parentWidget()->width());

        s->input->setPlainText("hi ");
        s->input->moveCursor(QTextCursor::End);
        click(grid->cell(37));
        QCOMPARE(s->input->toPlainText(), QString("hi [_em_37]"));

        click(s->emoteButton);
        QVERIFY(!grid->isVisible());
        click(s->emoteButton);
        QVERIFY(grid->isVisible());
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(grid, &out);
        QVERIFY(!grid->isVisible());
        click(s->emoteButton);
        QVERIFY(grid->isVisible());

        // The window's resize re-lays the grid over the page's new width.
        m_w->resize(1400, 900);
        QTRY_COMPARE_WITH_TIMEOUT(grid->width(), grid->parentWidget()->width(), kWait);
        QCOMPARE(grid->columns(), std::max(1, grid->parentWidget()->width() / 36));

        click(s->sendLabel);
        QTRY_VERIFY_WITH_TIMEOUT(!m_sim.framesOfType("say").isEmpty(), kWait);
        const QJsonObject say = m_sim.framesOfType("say").last();
        QVERIFY(QJsonDocument(say).toJson().contains("[_em_37]"));
    }

    // The job's first fetch hangs: the window closes long before the fetch's 10 s bound.
    void closingDoesNotWaitForAHangingEmoteHost()
    {
        m_fx.close();
        QDir(m_emotes.path()).removeRecursively();
        QVERIFY(m_sim.reset());
        QVERIFY(m_sim.script(kPrefix + "1.png", QJsonArray{QJsonObject{{"hang", true}}}));
        QVERIFY(m_fx.open());
        m_w = m_fx.w;
        QTRY_VERIFY_WITH_TIMEOUT(emoteRequests() >= 1, kWait);
        QElapsedTimer clock;
        clock.start();
        m_fx.close();
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(m_fx.open()); // cleanup closes a window
        m_w = m_fx.w;
    }

    void viewersEnteringAndLeavingAreAnnounced()
    {
        QVERIFY(enterRoom(501));
        QVERIFY(control("/_sim/room/viewer/enter",
                        {{"room_id", "501"}, {"wechat_user_space_id", 7}, {"name", "<i>Bob</i>"}}));
        QTRY_VERIFY_WITH_TIMEOUT(chat()->remindWidget && chat()->remindWidget->noticeLabel(), kWait);
        UserRemindMsgWidget* band = chat()->remindWidget;
        QCOMPARE(band->parentWidget(), static_cast<QWidget*>(chat()->list));
        QVERIFY(band->isVisibleTo(chat()->list));
        // the host's own entry may be announced first
        QTRY_COMPARE_WITH_TIMEOUT(testsupport::plainText(band->noticeLabel()->text()),
                                  QString::fromUtf8("欢迎 <i>Bob</i> 进入直播间"), kWait);

        QVERIFY(control("/_sim/room/viewer/leave", {{"room_id", "501"}, {"wechat_user_space_id", 7}}));
        QTRY_COMPARE_WITH_TIMEOUT(testsupport::plainText(band->noticeLabel()->text()), QString::fromUtf8("<i>Bob</i> 离开直播间"),
                                  kWait);

        // With the room's switches off nothing new is announced.
        QVERIFY(control("/_sim/room/config", {{"room_id", "501"}, {"enter_msg_switch", "0"}}));
        QVERIFY(control("/_sim/room/viewer/enter",
                        {{"room_id", "501"}, {"wechat_user_space_id", 8}, {"name", "Carol"}}));
        QTRY_VERIFY_WITH_TIMEOUT(m_sim.framesOfType("get_trtc_online_list").size() >= 1, kWait);
        const int pongs = m_sim.framesOfType("pong").size();
        QVERIFY(control("/_sim/room/push", {{"frame", QJsonObject{{"type", "ping"}}}}));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.framesOfType("pong").size(), pongs + 1, kWait);
        QVERIFY(!testsupport::plainText(band->noticeLabel()->text()).contains("Carol"));
    }
};

QTEST_MAIN(tst_LiveMainWindowEmotes)
#include "tst_LiveMainWindowEmotes.moc"
