// test-label: unit
// The close prompt on its own: its form, the options it writes at once (and only on a change),
// loadSettings, the buttons and the drag by its top band.
#include "support/MouseEvents.h"

#include "core/DataCenter.h"
#include "shell/CloseDialog.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

class tst_CloseDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;

    QString iniPath() const { return m_dir.filePath(QStringLiteral("config.ini")); }
    QByteArray fileText()
    {
        m_store->sync();
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A fresh store reading the same file, as the next run of the program would.
    std::shared_ptr<CDataCenter> freshStore()
    {
        m_store->sync();
        return std::make_shared<CDataCenter>(iniPath());
    }

    static QRadioButton* quit(QDialog& d) { return d.findChild<QRadioButton*>("quit_btn"); }
    static QRadioButton* minimize(QDialog& d) { return d.findChild<QRadioButton*>("mimimize_btn"); }
    static QCheckBox* hints(QDialog& d) { return d.findChild<QCheckBox*>("hints_cbx"); }
    static QPushButton* button(QDialog& d, const char* name) { return d.findChild<QPushButton*>(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", m_dir.filePath("data").toUtf8());
    }

    void init()
    {
        QFile::remove(iniPath());
        m_store = std::make_shared<CDataCenter>(iniPath());
        CDataCenter::setInstanceForTesting(m_store);
    }

    void cleanup()
    {
        CDataCenter::setInstanceForTesting(nullptr);
        m_store.reset();
    }

    void form()
    {
        CloseDialog d;
        QCOMPARE(d.size(), QSize(400, 170));
        QVERIFY(d.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(d.windowTitle(), QString::fromUtf8("关闭提示"));
        const struct {
            const char* name;
            QRect geometry;
            const char* text;
        } widgets[] = {
            {"label", {24, 16, 101, 22}, "关闭提示"},
            {"quit_btn", {25, 54, 101, 20}, "退出程序"},
            {"mimimize_btn", {136, 54, 141, 20}, "最小化到任务栏"},
            {"hints_cbx", {24, 122, 101, 21}, "不再提示"},
            {"cancel_btn", {240, 114, 62, 32}, "取 消"},
            {"ok_btn", {314, 114, 62, 32}, "确 定"},
            {"exitbtn", {360, 24, 16, 16}, ""},
        };
        for (const auto& w : widgets) {
            auto* widget = d.findChild<QWidget*>(w.name);
            QVERIFY2(widget, w.name);
            QCOMPARE(widget->geometry(), w.geometry);
            const QString text = qobject_cast<QLabel*>(widget)
                                     ? static_cast<QLabel*>(widget)->text()
                                     : static_cast<QAbstractButton*>(widget)->text();
            QCOMPARE(text, QString::fromUtf8(w.text));
        }
        QVERIFY(quit(d)->styleSheet().contains("selectRio.png"));
        QVERIFY(hints(d)->styleSheet().contains("selectChk.png"));
        QVERIFY(!hints(d)->isChecked());
        QCOMPARE(d.choice(), int(CloseDialog::ChoiceExit));
        QVERIFY(!d.dontAsk());
    }

    // Building the prompt shows the store's choice but writes nothing; the choice itself waits
    // for loadSettings or a click.
    void constructionWritesNothing_data()
    {
        QTest::addColumn<bool>("exitCheck");
        QTest::newRow("exit") << true;
        QTest::newRow("minimise") << false;
    }
    void constructionWritesNothing()
    {
        QFETCH(bool, exitCheck);
        m_store->exitCheck = exitCheck;
        CloseDialog d;
        QCOMPARE(quit(d)->isChecked(), exitCheck);
        QCOMPARE(minimize(d)->isChecked(), !exitCheck);
        QCOMPARE(d.choice(), int(CloseDialog::ChoiceExit));
        d.loadSettings();
        QCOMPARE(d.choice(), exitCheck ? int(CloseDialog::ChoiceExit) : int(CloseDialog::ChoiceMinimize));
        QCOMPARE(fileText(), QByteArray());
    }

    void loadSettingsNeverClearsTheFlag()
    {
        CloseDialog d;
        m_store->noTitleTipcheck = true;
        d.loadSettings();
        QVERIFY(d.dontAsk());
        m_store->noTitleTipcheck = false;
        d.loadSettings();
        QVERIFY(d.dontAsk());
    }

    // A change is saved the moment it happens, whether the prompt then ends with OK or not, and
    // the next run's store sees it.
    void choicesAreSavedAtOnce_data()
    {
        QTest::addColumn<bool>("minimise");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("pressOk");
        QTest::newRow("minimise, ask again, ok") << true << false << true;
        QTest::newRow("minimise, don't ask, cancel") << true << true << false;
        QTest::newRow("exit, don't ask, ok") << false << true << true;
    }
    void choicesAreSavedAtOnce()
    {
        QFETCH(bool, minimise);
        QFETCH(bool, tick);
        QFETCH(bool, pressOk);
        if (!minimise)
            m_store->exitCheck = false; // so that choosing exit is a change
        CloseDialog d;
        d.loadSettings();
        d.show();
        QTest::mouseClick(minimise ? minimize(d) : quit(d), Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(d.choice(), minimise ? int(CloseDialog::ChoiceMinimize) : int(CloseDialog::ChoiceExit));
        if (tick)
            QTest::mouseClick(hints(d), Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(d.dontAsk(), tick);
        QCOMPARE(m_store->exitCheck, !minimise);
        QCOMPARE(m_store->noTitleTipcheck, tick);
        QTest::mouseClick(button(d, pressOk ? "ok_btn" : "cancel_btn"), Qt::LeftButton);
        QCOMPARE(d.result(), pressOk ? int(QDialog::Accepted) : int(QDialog::Rejected));

        const QByteArray text = fileText();
        QVERIFY(text.contains(minimise ? "ExitCheck=false" : "ExitCheck=true"));
        QCOMPARE(text.contains("noTitleTipcheck=true"), tick);
        auto next = freshStore();
        QCOMPARE(next->exitCheck, !minimise);
        QCOMPARE(next->noTitleTipcheck, tick);
        QCOMPARE(next->getBool("noTitleTipcheck"), tick);
    }

    void untickingSavesFalse()
    {
        CloseDialog d;
        d.show();
        QTest::mouseClick(hints(d), Qt::LeftButton, {}, QPoint(5, 10));
        QTest::mouseClick(hints(d), Qt::LeftButton, {}, QPoint(5, 10));
        QVERIFY(!d.dontAsk());
        QVERIFY(!m_store->noTitleTipcheck);
        QVERIFY(fileText().contains("noTitleTipcheck=false"));
    }

    void closeCrossRejects()
    {
        CloseDialog d;
        d.show();
        d.setResult(-1);
        QTest::mouseClick(button(d, "exitbtn"), Qt::LeftButton);
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QVERIFY(!d.isVisible());
    }

    void dragsByTheTopBand()
    {
        CloseDialog d;
        d.move(100, 100);
        const QPoint start = d.pos();
        testsupport::sendLeftMouse(&d, QEvent::MouseButtonPress, {20, 10}, {300, 300});
        testsupport::sendLeftMouse(&d, QEvent::MouseMove, {30, 15}, {310, 305});
        QCOMPARE(d.pos(), start + QPoint(10, 5));
        // Below the band nothing moves, and the anchor stays where it was.
        testsupport::sendLeftMouse(&d, QEvent::MouseMove, {30, 80}, {330, 330});
        QCOMPARE(d.pos(), start + QPoint(10, 5));
        testsupport::sendLeftMouse(&d, QEvent::MouseButtonRelease, {30, 20}, {312, 306});
        QCOMPARE(d.pos(), start + QPoint(12, 6));
    }
};

QTEST_MAIN(tst_CloseDialog)
#include "tst_CloseDialog.moc"
