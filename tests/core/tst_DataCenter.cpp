// test-label: unit
#include "core/DataCenter.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

struct Loaded {
    int streamQuality, liveFps, inputAudio, outPutAudio;
    bool closeMicAudio, closeDesktopAudio, liveMode, noTitleTipcheck, exitCheck;
};

Loaded loaded(const CDataCenter& s)
{
    return {s.streamQuality, s.liveFps,        s.inputAudio,      s.outPutAudio, s.closeMicAudio,
            s.closeDesktopAudio, s.liveMode, s.noTitleTipcheck, s.exitCheck};
}

} // namespace
Q_DECLARE_METATYPE(Loaded)

class tst_DataCenter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString iniPath() const { return m_dir.filePath(QStringLiteral("config.ini")); }

    void writeIni(const QByteArray& text)
    {
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

    QByteArray fileText() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
        QDir::setCurrent(m_dir.path()); // a store built by getInstance reads config.ini here
    }

    void init() { QFile::remove(iniPath()); }

    void loadsOptions_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<Loaded>("expected");
        // quality, fps, in, out, mic off, desktop off, portrait, don't ask, exit
        QTest::newRow("empty file") << QByteArray() << Loaded{2, 30, 30, 30, false, false, false, false, true};
        QTest::newRow("fps 0") << QByteArray("[setting]\nLiveFps=0\n")
                               << Loaded{2, 30, 30, 30, false, false, false, false, true};
        QTest::newRow("fps not a number") << QByteArray("[setting]\nLiveFps=abc\n")
                                          << Loaded{2, 30, 30, 30, false, false, false, false, true};
        QTest::newRow("fps 24") << QByteArray("[setting]\nLiveFps=24\n")
                                << Loaded{2, 24, 30, 30, false, false, false, false, true};
        QTest::newRow("quality, volume, mic")
            << QByteArray("[setting]\nLiveType=0\nInputAudio=55\nCloseMicAudio=true\n")
            << Loaded{0, 30, 55, 30, true, false, false, false, true};
        QTest::newRow("desktop sound, portrait, no prompt, minimise")
            << QByteArray("[setting]\nCloseDesktopAudio=TRUE\nOutPutAudio=0\nLiveMode=true\nnoTitleTipcheck=true\n"
                          "ExitCheck=false\n")
            << Loaded{2, 30, 30, 0, false, true, true, true, false};
        // A damaged or hand-edited file: nothing out of range reaches the engine or the pages.
        QTest::newRow("out of range")
            << QByteArray("[setting]\nLiveType=7\nLiveFps=-30\nInputAudio=250\nOutPutAudio=-4\n")
            << Loaded{2, 30, 100, 0, false, false, false, false, true};
        QTest::newRow("huge numbers")
            << QByteArray("[setting]\nLiveType=-1\nLiveFps=99999999999\nInputAudio=99999999999\n")
            << Loaded{2, 30, 0, 30, false, false, false, false, true}; // not an int: reads as 0
        QTest::newRow("binary junk and a broken section")
            << QByteArray("\xff\xfe\x01\n[setting\nLiveFps=24\n[setting]\nLiveType=\xe4\xb8\xad\nLiveMode=\x01\n")
            << Loaded{0, 24, 30, 30, false, false, true, false, true};
        QTest::newRow("keys outside the group are not seen")
            << QByteArray("LiveType=0\nLiveMode=true\nExitCheck=false\n[other]\nLiveFps=24\n")
            << Loaded{2, 30, 30, 30, false, false, false, false, true};
    }

    void loadsOptions()
    {
        QFETCH(QByteArray, ini);
        QFETCH(Loaded, expected);
        if (!ini.isEmpty())
            writeIni(ini);
        CDataCenter store(iniPath());
        const Loaded got = loaded(store);
        QCOMPARE(got.streamQuality, expected.streamQuality);
        QCOMPARE(got.liveFps, expected.liveFps);
        QCOMPARE(got.inputAudio, expected.inputAudio);
        QCOMPARE(got.outPutAudio, expected.outPutAudio);
        QCOMPARE(got.closeMicAudio, expected.closeMicAudio);
        QCOMPARE(got.closeDesktopAudio, expected.closeDesktopAudio);
        QCOMPARE(got.liveMode, expected.liveMode);
        QCOMPARE(got.noTitleTipcheck, expected.noTitleTipcheck);
        QCOMPARE(got.exitCheck, expected.exitCheck);
    }

    void getBoolAndGetInt()
    {
        writeIni("[setting]\nA=true\nB=0\nC=False\nD=yes\nE=\nN=42\nX=4x\n");
        CDataCenter store(iniPath());
        QCOMPARE(store.getBool("A"), true);
        QCOMPARE(store.getBool("B"), false);
        QCOMPARE(store.getBool("C"), false);
        QCOMPARE(store.getBool("D"), true);
        QCOMPARE(store.getBool("E", true), false); // stored but empty
        QCOMPARE(store.getBool("missing"), false);
        QCOMPARE(store.getBool("missing", true), true);
        QCOMPARE(store.getInt("N"), 42);
        QCOMPARE(store.getInt("X"), 0);
        QCOMPARE(store.getInt("missing"), 0);
    }

    void roundTripThroughFreshInstance()
    {
        {
            CDataCenter store(iniPath());
            store.setValue("LiveType", "1");
            store.setValue("LiveFps", "24");
            store.setValue("InputAudio", "70");
            store.setValue("CloseDesktopAudio", "true");
            store.setValue("ExitCheck", "false");
            store.setValue("noTitleTipcheck", "true");
            store.uidText = "1001";
            store.setDocInfoValue("0", "svpczsjz_讲义_.pdf_123");
            store.setDocInfoValue("1", "svpczsjz_a,b_.pptx_9");
            store.setDocInfoValue("count", "2");
        }
        QVERIFY(fileText().contains("[setting]"));
        CDataCenter fresh(iniPath());
        const Loaded got = loaded(fresh);
        QCOMPARE(got.streamQuality, 1);
        QCOMPARE(got.liveFps, 24);
        QCOMPARE(got.inputAudio, 70);
        QCOMPARE(got.closeDesktopAudio, true);
        QCOMPARE(got.exitCheck, false);
        QCOMPARE(got.noTitleTipcheck, true);
        fresh.uidText = "1001";
        QCOMPARE(fresh.getDocInfoList(),
                 (QStringList{QStringLiteral("svpczsjz_讲义_.pdf_123"), QStringLiteral("svpczsjz_a,b_.pptx_9")}));
    }

    void documentListStopsAtCount()
    {
        writeIni("[setting]\nLiveFps=24\n[77]\ncount=2\n0=first\n1=second\n2=stale\n[78]\ncount=1\n0=other\n");
        CDataCenter store(iniPath());
        store.uidText = "77";
        QCOMPARE(store.getDocInfoList(), (QStringList{"first", "second"}));
        store.uidText = "79";
        QVERIFY(store.getDocInfoList().isEmpty());
    }

    // A damaged count must not hold up the login (it read 2^31 entries before).
    void documentListWithADamagedCount_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("huge") << QByteArray("[77]\ncount=2147483647\n0=first\n1=second\n")
                              << QStringList{"first", "second"};
        QTest::newRow("negative") << QByteArray("[77]\ncount=-5\n0=first\n") << QStringList();
        QTest::newRow("not a number") << QByteArray("[77]\ncount=two\n0=first\n") << QStringList();
        QTest::newRow("gap kept as an empty key") << QByteArray("[77]\ncount=3\n0=first\n2=third\nx=y\n")
                                                  << QStringList{"first", "", "third"};
    }
    void documentListWithADamagedCount()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, expected);
        writeIni(ini);
        CDataCenter store(iniPath());
        store.uidText = "77";
        QCOMPARE(store.getDocInfoList(), expected);
    }

    // Document keys are made from the host's file names: whatever they hold comes back unchanged.
    void documentKeysWithAwkwardCharactersRoundTrip()
    {
        const QStringList names{"a;b#c=d.pdf", "  spaced  .docx", "@Variant(x).pptx", "line\nbreak.pdf",
                                "back\\slash\"quote\".pdf", "[77].pdf", "讲义 🎉 עברית.pdf", QString(3000, 'x')};
        {
            CDataCenter store(iniPath());
            store.uidText = "77";
            for (int i = 0; i < names.size(); ++i)
                store.setDocInfoValue(QString::number(i), names.at(i));
            store.setDocInfoValue("count", QString::number(names.size()));
            store.setValue("LiveFps", "24");
        }
        CDataCenter fresh(iniPath());
        fresh.uidText = "77";
        QCOMPARE(fresh.getDocInfoList(), names);
        QCOMPARE(fresh.liveFps, 24);
    }

    void changeJustBeforeQuitReachesTheFile()
    {
        CDataCenter store(iniPath());
        QTimer::singleShot(0, qApp, [&store] {
            store.setValue("ExitCheck", "false");
            qApp->quit();
        });
        qApp->exec();
        QVERIFY2(fileText().contains("ExitCheck=false"), fileText().constData());
    }

    void folders()
    {
        CDataCenter store(iniPath());
        const QString root = m_dir.filePath(QStringLiteral("data")) + QStringLiteral("/solvek/userdoc");
        QCOMPARE(store.userDocRoot, root);
        QVERIFY(store.userDocDir.isEmpty());
        store.uidText = "4242";
        store.createUserDocDir();
        QCOMPARE(store.userDocDir, root + QStringLiteral("/4242"));
        QVERIFY(QFileInfo(store.userDocDir).isDir());
    }

    void screenSizeInPhysicalPixels()
    {
        CDataCenter store(iniPath());
        QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        QCOMPARE(store.screenWidth, qRound(screen->size().width() * screen->devicePixelRatio()));
        QCOMPARE(store.screenHeight, qRound(screen->size().height() * screen->devicePixelRatio()));
        QCOMPARE(store.taskBarHeight, screen->geometry().height() - screen->availableGeometry().height());
    }

    void singleInstance()
    {
        auto mine = std::make_shared<CDataCenter>(iniPath());
        CDataCenter::setInstanceForTesting(mine);
        QCOMPARE(CDataCenter::getInstance().get(), mine.get());
        QCOMPARE(CDataCenter::getInstance().get(), CDataCenter::getInstance().get());
        CDataCenter::setInstanceForTesting(nullptr);
        QVERIFY(CDataCenter::getInstance().get() != mine.get());
        CDataCenter::setInstanceForTesting(nullptr);
    }
};

QTEST_MAIN(tst_DataCenter)
#include "tst_DataCenter.moc"
