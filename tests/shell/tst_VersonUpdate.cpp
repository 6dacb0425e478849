// test-label: integration
#include "core/DataCenter.h"
#include "shell/VersonUpdate.h"
#include "support/SimulatorProcess.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

class tst_VersonUpdate : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;
    QTemporaryDir m_root;

    template <typename T> static T* child(QWidget& w, const char* name) { return w.findChild<T*>(QLatin1String(name)); }
    static QString label(QWidget& w, const char* name)
    {
        QLabel* l = child<QLabel>(w, name);
        return l ? l->text() : QStringLiteral("<none>");
    }
    static bool visible(QWidget& w, const char* name)
    {
        QWidget* c = child<QWidget>(w, name);
        return c && c->isVisible();
    }
    QString downloadDir() const { return m_root.path() + QStringLiteral("/download"); }
    bool package(const QJsonObject& spec) { return m_sim.control("/_sim/update/package", spec).isObject(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_sim.start());
        auto store = std::make_shared<CDataCenter>(m_root.path() + QStringLiteral("/config.ini"));
        store->userDocRoot = m_root.path();
        CDataCenter::setInstanceForTesting(store);
    }
    void init() { QVERIFY(m_sim.reset()); }

    void forcedAndOptionalLooks()
    {
        VersonUpdate forced;
        forced.setVersion("2.0.2");
        forced.setDescription("第一行\n第二行\n");
        forced.setForceUpdate(true);
        QCOMPARE(label(forced, "label_4"), QStringLiteral("发现新版本v2.0.2"));
        QCOMPARE(label(forced, "label_3"), QStringLiteral("当前版本过低，请您立即更新"));
        QCOMPARE(child<QTextBrowser>(forced, "textBrowser")->toPlainText(), QStringLiteral("第一行\n第二行\n"));
        QCOMPARE(forced.size(), QSize(340, 477));
        QVERIFY(forced.windowFlags() & Qt::FramelessWindowHint);

        VersonUpdate optional;
        optional.setForceUpdate(false);
        QLabel* hint = child<QLabel>(optional, "label_3");
        QCOMPARE(hint->text(), QStringLiteral("为确保您的最佳使用体验，请尽快升级"));
        QCOMPARE(hint->geometry(), QRect(50, 44, 240, 20));
    }

    // Version and notes come from the update server: shown as written, never as markup.
    void serverTextsAreNotMarkup()
    {
        VersonUpdate d;
        const QString notes = QStringLiteral("<img src='file:///etc/hostname'><a href='file:///etc'>x</a>\n");
        d.setDescription(notes);
        d.setVersion(QStringLiteral("<b>9</b>"));
        QCOMPARE(child<QTextBrowser>(d, "textBrowser")->toPlainText(), notes);
        QLabel* version = child<QLabel>(d, "label_4");
        QCOMPARE(version->text(), QStringLiteral("发现新版本v<b>9</b>"));
        QVERIFY(version->sizeHint().width() >= version->fontMetrics().horizontalAdvance(version->text()));
    }

    void closingRejects_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("close") << "btn_close";
        QTest::newRow("cancel") << "btn_cancle";
    }
    void closingRejects()
    {
        QFETCH(QString, button);
        VersonUpdate dialog;
        QSignalSpy updated(&dialog, &VersonUpdate::sendUpdateSig);
        QTimer::singleShot(0, &dialog, [&]() { dialog.findChild<QPushButton*>(button)->click(); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(updated.count(), 0);
        QVERIFY(m_sim.requests().isEmpty());
    }

    void downloadShowsProgressAndFinishes()
    {
        QVERIFY(package({{"name", "pkg.exe"}, {"size", 1000}, {"pause_at", 500}, {"pause_seconds", 1.5}}));
        VersonUpdate dialog;
        dialog.downloadUrl = m_sim.baseUrl() + "/download/pkg.exe";
        QSignalSpy updated(&dialog, &VersonUpdate::sendUpdateSig);
        dialog.show();
        child<QPushButton>(dialog, "btn_Update")->click();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("downloading"));
        QVERIFY(visible(dialog, VersonUpdate::kProgressPanel));
        QVERIFY(!child<QWidget>(dialog, "frame")->isVisible());
        QCOMPARE(dialog.size(), QSize(340, 321));
        QCOMPARE(label(dialog, VersonUpdate::kProgressLabel), QStringLiteral("正在快速更新中 0%"));

        QTRY_COMPARE_WITH_TIMEOUT(label(dialog, VersonUpdate::kProgressLabel), QStringLiteral("正在快速更新中 50%"),
                                  10000);
        QCOMPARE(child<QSlider>(dialog, VersonUpdate::kProgressBar)->value(), 50);
        QTRY_COMPARE_WITH_TIMEOUT(updated.count(), 1, 10000);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("finshed"));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(QFileInfo(downloadDir() + "/pkg.exe").size(), qint64(1000));
    }

    void failureAndRetry()
    {
        VersonUpdate dialog;
        dialog.downloadUrl = m_sim.baseUrl() + "/download/later.exe"; // 404 for now
        QSignalSpy updated(&dialog, &VersonUpdate::sendUpdateSig);
        dialog.show();
        child<QPushButton>(dialog, "btn_Update")->click();
        QTRY_VERIFY_WITH_TIMEOUT(visible(dialog, VersonUpdate::kFailurePanel), 10000);
        QCOMPARE(label(dialog, VersonUpdate::kFailureMessage), QStringLiteral("网络异常，请检查网络后再重试！"));
        QVERIFY(!visible(dialog, VersonUpdate::kProgressPanel));
        QCOMPARE(dialog.size(), QSize(340, 417));
        QVERIFY(!QFile::exists(downloadDir() + "/later.exe"));

        QVERIFY(package({{"name", "later.exe"}, {"size", 4096}}));
        child<QPushButton>(dialog, VersonUpdate::kRetryButton)->click();
        QTRY_COMPARE_WITH_TIMEOUT(updated.count(), 1, 10000);
        QCOMPARE(m_sim.requests("/download/later.exe").size(), 2);
        QCOMPARE(QFileInfo(downloadDir() + "/later.exe").size(), qint64(4096));
    }

    void emptyAddressAndBadAddressFail_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << "下载路径为空";
        QTest::newRow("not a web address") << "ftp://127.0.0.1/x" << "网络异常，请检查网络后再重试！";
    }
    void emptyAddressAndBadAddressFail()
    {
        QFETCH(QString, address);
        QFETCH(QString, message);
        VersonUpdate dialog;
        dialog.downloadUrl = address;
        dialog.show();
        child<QPushButton>(dialog, "btn_Update")->click();
        QVERIFY(visible(dialog, VersonUpdate::kFailurePanel));
        QCOMPARE(label(dialog, VersonUpdate::kFailureMessage), message);
        child<QPushButton>(dialog, VersonUpdate::kFailureCloseButton)->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void closingDuringADownloadStopsIt()
    {
        QVERIFY(package({{"name", "slow.exe"}, {"size", 1000}, {"pause_at", 500}, {"pause_seconds", 1}}));
        VersonUpdate dialog;
        dialog.downloadUrl = m_sim.baseUrl() + "/download/slow.exe";
        QSignalSpy updated(&dialog, &VersonUpdate::sendUpdateSig);
        dialog.show();
        child<QPushButton>(dialog, "btn_Update")->click();
        QTRY_COMPARE_WITH_TIMEOUT(label(dialog, VersonUpdate::kProgressLabel), QStringLiteral("正在快速更新中 50%"),
                                  10000);
        child<QPushButton>(dialog, "btn_close")->click();
        QVERIFY(!dialog.isVisible());
        QTest::qWait(1500);
        QCOMPARE(updated.count(), 0);
        QVERIFY(!QFile::exists(downloadDir() + "/slow.exe"));
    }
};

QTEST_MAIN(tst_VersonUpdate)
#include "tst_VersonUpdate.moc"
