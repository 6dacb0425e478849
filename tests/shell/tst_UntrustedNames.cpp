// test-label: unit
// Names from the service shown by the main window: the room's name in the title bar, the host's
// name there and in the settings popup. Each label and its tool tip shows the name literally;
// markup naming a local file (a pipe here: opening it blocks until someone writes) must never be
// loaded on hover.
#include "support/FakeLiveCore.h"
#include "support/FakeTrtcCloud.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/StoreDir.h"

#include "core/ServiceConstants.h"
#include "shell/LiveModeDialog.h"
#include "shell/PopupDialog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using Access = LiveMainWindowTestAccess;

namespace
{
// Unblocks a reader stuck on the pipe after a while, so that a fault fails the test instead of
// hanging it.
class PipeRescue
{
public:
    explicit PipeRescue(const QByteArray& path) : m_path(path)
    {
        m_thread = std::thread([this] {
            for (int i = 0; i < 60 && !m_done; ++i) // 3 s: far past a hover that opens nothing
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            while (!m_done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) // a reader is waiting: let it go with an empty file
                    ::close(fd);
            }
        });
    }
    ~PipeRescue()
    {
        m_done = true;
        m_thread.join();
    }

private:
    QByteArray m_path;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};
} // namespace

class tst_UntrustedNames : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_pipe;

    QString hostileName(const QString& kind) const
    {
        if (kind == "img")
            return QStringLiteral("<img src=\"%1\">x").arg(m_pipe);
        if (kind == "bold")
            return QStringLiteral("<b>big</b> & <i>room</i>");
        return QStringLiteral("<qt><img src='file://%1'/></qt>").arg(m_pipe);
    }

    // Hovers the label; the tool tip must appear at once and read as the name itself.
    static void hoverShowsLiterally(QLabel* label, const QString& name)
    {
        QVERIFY(label);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QElapsedTimer hover;
        hover.start();
        QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), label->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(label, &event);
        QVERIFY2(hover.elapsed() < 2000, qPrintable(QStringLiteral("hover took %1 ms").arg(hover.elapsed())));
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), name);
        QToolTip::hideText();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(testsupport::useStoreDir(m_dir));
        solvek::setServiceOverride("http://127.0.0.1:9");
        m_pipe = m_dir.filePath("pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(m_pipe).constData(), 0600), 0);
    }

    void namesShowLiterally_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("site");
        for (const char* kind : {"img", "qt", "bold"})
            for (const char* site : {"room label", "title name", "popup name"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(kind, site))) << kind << site;
    }

    void namesShowLiterally()
    {
        QFETCH(QString, kind);
        QFETCH(QString, site);
        const QString name = hostileName(kind);
        PipeRescue rescue(QFile::encodeName(m_pipe));
        FakeLiveCore core;
        FakeTrtcCloud cloud;
        LoginInfo login;
        login.uid = 4242;
        login.name = site == "title name" ? name : QStringLiteral("host");
        login.token = "token-1";

        if (site == "popup name") {
            QWidget parent;
            PopupDialog popup(&parent, name);
            QLabel* shown = nullptr;
            for (QLabel* label : popup.findChildren<QLabel*>())
                if (!label->toolTip().isEmpty())
                    shown = label;
            hoverShowsLiterally(shown, name);
            return;
        }
        LiveMainWindow window;
        window.initLiveMainWindowParams(&login);
        window.initFromLogin();
        window.resize(1500, 800);
        window.show();
        if (site == "title name") {
            hoverShowsLiterally(formWidget<QLabel>(window, "usernamelbl"), name);
            return;
        }
        LiveRoomInfo room;
        room.app_id = 7;
        room.live_type = 1;
        room.push_app_stream = "sv7";
        room.push_app_nick = name.toUtf8();
        Access::setRoomDialogRunner([&](QDialog& dialog) {
            auto& rooms = static_cast<LiveModeDialog&>(dialog);
            *rooms.liveInfo() = room;
            emit rooms.live_mode_select();
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(formWidget<QPushButton>(window, "select_live_btn"), Qt::LeftButton);
        hoverShowsLiterally(formWidget<QLabel>(window, "room_name_label"), name);
    }
};

QTEST_MAIN(tst_UntrustedNames)
#include "tst_UntrustedNames.moc"
