// test-label: unit
#include "core/Toast.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

class tst_Toast : public QObject
{
    Q_OBJECT
private:
    // A parent (the main window's central widget) placed inside a top-level window.
    struct Host {
        std::unique_ptr<QWidget> window{new QWidget};
        QWidget* central = nullptr;
        Toast* toast = nullptr;
        Host(const QRect& centralGeometry)
        {
            window->resize(1200, 800);
            central = new QWidget(window.get());
            central->setGeometry(centralGeometry);
            Toast::resetInstance();
            toast = Toast::getInstance(central);
            window->show();
        }
        ~Host() { Toast::resetInstance(); }
    };

private slots:
    void singleInstanceIgnoresLaterParents()
    {
        Host host(QRect(0, 0, 1000, 600));
        QWidget other;
        QCOMPARE(Toast::getInstance(&other), host.toast);
        QCOMPARE(Toast::getInstance(), host.toast);
        QCOMPARE(host.toast->parentWidget(), host.central);
        QVERIFY(!host.toast->isWindow());
        QVERIFY(host.toast->isHidden());
    }

    void instanceDiesWithItsParent()
    {
        QPointer<Toast> first;
        {
            Host host(QRect(0, 0, 1000, 600));
            first = host.toast;
            host.window.reset(); // the parent goes before anybody calls resetInstance
        }
        QVERIFY(first.isNull());
        QWidget parent;
        Toast* second = Toast::getInstance(&parent);
        QVERIFY(second);
        QCOMPARE(second->parentWidget(), &parent);
        Toast::resetInstance();
    }

    void iconByKind_data()
    {
        QTest::addColumn<int>(
            "call"); // 0 showTip, 1 showStatus(true), 2 showStatus(false), 3 showToast(kind 3)
        QTest::addColumn<QString>("icon");
        QTest::newRow("tip") << 0 << ":/images/live/ic_toast_default.png";
        QTest::newRow("success") << 1 << ":/images/live/ic_toast_success.png";
        QTest::newRow("failure") << 2 << ":/images/live/ic_toast_failed.png";
        QTest::newRow("unknown kind") << 3 << ":/images/live/ic_toast_default.png";
    }
    void iconByKind()
    {
        QFETCH(int, call);
        QFETCH(QString, icon);
        QVERIFY(QFile::exists(icon));
        Host host(QRect(0, 0, 1000, 600));
        switch (call) {
        case 0:
            host.toast->showTip(QStringLiteral("提示"), 2000);
            break;
        case 1:
            host.toast->showStatus(QStringLiteral("成功"), true, 2000);
            break;
        case 2:
            host.toast->showStatus(QStringLiteral("失败"), false, 2000);
            break;
        default:
            host.toast->showToast(QStringLiteral("其他"), 3, 2000);
        }
        const QPixmap shown = host.toast->iconLabel()->pixmap(Qt::ReturnByValue);
        QCOMPARE(shown.size(), QSize(16, 16));
        QCOMPARE(shown.toImage(), QPixmap(icon).scaled(16, 16, Qt::IgnoreAspectRatio).toImage());
    }

    void placedAtTopCentreOfParent_data()
    {
        QTest::addColumn<QRect>("central");
        QTest::newRow("at origin") << QRect(0, 0, 1000, 600);
        // The parent's own offset in its window is added (the toast is its child).
        QTest::newRow("offset parent") << QRect(50, 30, 1000, 600);
    }
    void placedAtTopCentreOfParent()
    {
        QFETCH(QRect, central);
        Host host(central);
        host.toast->showTip(QStringLiteral("位置"), 2000);
        QVERIFY(host.toast->isVisible());
        QCOMPARE(host.toast->pos(),
                 QPoint(central.x() + (central.width() - host.toast->width()) / 2, central.y() + 12));
    }

    void sizedToItsText_data()
    {
        QTest::addColumn<QString>("longText");
        QTest::newRow("long") << QString(60, QChar(0x4E2D));
        // Error texts come from the server: markup in them is text, not formatting.
        QTest::newRow("markup") << QStringLiteral("<b>失败</b><img src='file:///etc/hostname'><br>&amp;");
    }
    void sizedToItsText()
    {
        QFETCH(QString, longText);
        Host host(QRect(0, 0, 1000, 600));
        host.toast->showTip(longText, 2000);
        const QFontMetrics fm(host.toast->textLabel()->font());
        QCOMPARE(host.toast->textLabel()->text(), longText);
        QVERIFY(host.toast->textLabel()->width() >= fm.horizontalAdvance(longText));
        QVERIFY(host.toast->width() >= host.toast->textLabel()->geometry().right());
    }

    // Toasts carry texts of the service and the room (error messages): markup in them is text.
    // As rich text, an image naming a local pipe would block the GUI thread for good.
    void serverTextIsShownLiterally()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString fifo = dir.filePath("pipe");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        Host host(QRect(0, 0, 1000, 600));
        const QString text = "<img src='file://" + fifo + "'><b>no</b>";
        host.toast->showStatus(text, false, 2000);
        QCOMPARE(host.toast->textLabel()->textFormat(), Qt::PlainText);
        const QFontMetrics fm(host.toast->textLabel()->font());
        QVERIFY(host.toast->textLabel()->width() >= fm.horizontalAdvance(text));
    }

    void hiddenAfterDurationAndFade()
    {
        Host host(QRect(0, 0, 1000, 600));
        QElapsedTimer clock;
        clock.start();
        host.toast->showTip(QStringLiteral("一会儿就消失"), 300);
        QVERIFY(host.toast->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!host.toast->isVisible(), 10000);
        // duration + 500 ms fade-out (coarse timers may fire a little early)
        QVERIFY2(clock.elapsed() >= 700, qPrintable(QString::number(clock.elapsed())));
    }

    void secondMessageReplacesTextAndEarliestTimerCloses()
    {
        Host host(QRect(0, 0, 1000, 600));
        QElapsedTimer clock;
        clock.start();
        host.toast->showTip(QStringLiteral("第一条"), 500);
        bool replaced = false;
        QTimer::singleShot(250, this, [&] {
            host.toast->showStatus(QStringLiteral("第二条"), true, 20000);
            replaced = host.toast->textLabel()->text() == QStringLiteral("第二条") && host.toast->isVisible();
        });
        QTRY_VERIFY_WITH_TIMEOUT(replaced, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!host.toast->isVisible(), 15000);
        // The first message's fade-out ends at about 1000 ms; the second's would end at 20750 ms.
        // The wide gap keeps a loaded machine from deciding the outcome.
        QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(tst_Toast)
#include "tst_Toast.moc"
