// test-label: integration
// The picture viewer with pictures from the simulator: fitting and zoom bounds, dragging only on
// an axis where the picture is larger than the area, refused addresses, closing on focus loss and
// by its button, and one viewer at a time.
#include "support/SimulatorProcess.h"

#include "chat/PictureCache.h"
#include "chat/ShowBigImageDialog.h"
#include "widgets/ClickableLabel.h"

#include <QFrame>
#include <QLabel>
#include <QtTest>

namespace
{
constexpr int kWait = 10000;

void wheel(QWidget* w, int dy)
{
    QWheelEvent e(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, dy), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}
} // namespace

class tst_ShowBigImageDialog : public QObject
{
    Q_OBJECT
    SimulatorProcess m_sim;

    ShowBigImageDialog* open(const QString& size)
    {
        ShowBigImageDialog* d = ShowBigImageDialog::instance();
        d->showImage(m_sim.baseUrl() + "/pic/" + size);
        if (!QTest::qWaitFor([d] { return !d->imageLabel()->pixmap(Qt::ReturnByValue).isNull(); }, kWait))
            return nullptr;
        return d;
    }
    // The picture as drawn (the label adds its frame's border around it).
    static QSize shown(ShowBigImageDialog* d) { return d->imageLabel()->pixmap(Qt::ReturnByValue).size(); }
    static QPoint centred(ShowBigImageDialog* d)
    {
        const QSize s = d->imageLabel()->size();
        return QPoint((600 - s.width()) / 2, (540 - s.height()) / 2);
    }
    void closeViewer()
    {
        if (ShowBigImageDialog* d = ShowBigImageDialog::existing()) {
            QFocusEvent out(QEvent::FocusOut);
            QApplication::sendEvent(d, &out);
        }
        QTRY_VERIFY(!ShowBigImageDialog::existing());
    }
    void drag(ShowBigImageDialog* d, QPoint from, QPoint to)
    {
        QTest::mousePress(d, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, to, d->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(d, &move);
        QTest::mouseRelease(d, Qt::LeftButton, Qt::NoModifier, to);
    }

private slots:
    void initTestCase() { QVERIFY(m_sim.start()); }
    void cleanup() { closeViewer(); }

    void largePictureFitsAndZooms()
    {
        ShowBigImageDialog* d = open("1200x900");
        QVERIFY(d);
        QCOMPARE(d->contentFrame()->size(), QSize(600, 540));
        QCOMPARE(d->scale(), 0.5);
        QCOMPARE(shown(d), QSize(600, 450));
        QCOMPARE(d->imageLabel()->pos(), centred(d));
        for (int i = 0; i < 10; ++i)
            wheel(d, -120);
        QCOMPARE(d->scale(), 0.25);
        QCOMPARE(shown(d), QSize(300, 225));
        for (int i = 0; i < 30; ++i)
            wheel(d, 120);
        QCOMPARE(d->scale(), 1.0);
        QCOMPARE(shown(d), QSize(1200, 900));
    }

    void smallPictureStaysAtFullSize()
    {
        ShowBigImageDialog* d = open("300x200");
        QVERIFY(d);
        QCOMPARE(d->scale(), 1.0);
        wheel(d, 120);
        wheel(d, -120);
        QCOMPARE(d->scale(), 1.0);
        QCOMPARE(shown(d), QSize(300, 200));
        QCOMPARE(d->imageLabel()->pos(), centred(d));
        // Neither axis is larger: a drag leaves it centred.
        drag(d, QPoint(300, 300), QPoint(200, 250));
        QCOMPARE(d->imageLabel()->pos(), centred(d));
    }

    void dragClampsOnlyTheLargerAxis()
    {
        // 1200x300 fits at 0.5 (600x150); zoomed to 1.0 it is wider than the area, not taller.
        ShowBigImageDialog* d = open("1200x300");
        QVERIFY(d);
        for (int i = 0; i < 10; ++i)
            wheel(d, 120);
        QCOMPARE(shown(d), QSize(1200, 300));
        const QPoint start = centred(d);
        const int y = start.y(); // not larger than the area: stays centred
        const int right = 600 - d->imageLabel()->width();
        QCOMPARE(d->imageLabel()->pos(), start);
        drag(d, QPoint(300, 300), QPoint(350, 330)); // inside the area
        QCOMPARE(d->imageLabel()->pos(), QPoint(start.x() + 50, y));
        drag(d, QPoint(300, 300), QPoint(600, 300)); // past the left edge: clamped at 0
        QCOMPARE(d->imageLabel()->pos(), QPoint(0, y));
        drag(d, QPoint(300, 300), QPoint(-900, 300));
        QCOMPARE(d->imageLabel()->pos(), QPoint(right, y));
        // A press outside the area drags the window, not the picture.
        const QPoint before = d->pos();
        drag(d, QPoint(5, 5), QPoint(25, 15));
        QCOMPARE(d->imageLabel()->pos(), QPoint(right, y));
        QCOMPARE(d->pos(), before + QPoint(20, 10));
    }

    void refusedAddressOpensNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("path") << "/etc/hosts";
        QTest::newRow("file scheme") << "file:///etc/hosts";
    }
    void refusedAddressOpensNothing()
    {
        QFETCH(QString, address);
        QPointer<ShowBigImageDialog> d = ShowBigImageDialog::instance();
        d->showImage(address);
        QVERIFY(!d->isVisible());
        QVERIFY(!ShowBigImageDialog::existing());
        QTRY_VERIFY(!d); // released
    }

    void focusLossAndCloseButtonClose()
    {
        QPointer<ShowBigImageDialog> d = open("300x200");
        QVERIFY(d);
        QVERIFY(d->isVisible());
        QCOMPARE(ShowBigImageDialog::instance(), d.data());
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(d, &out);
        QVERIFY(!ShowBigImageDialog::existing());
        QTRY_VERIFY(!d);

        QPointer<ShowBigImageDialog> again = open("300x200");
        QVERIFY(again);
        auto* close = again->findChild<ClickableLabel*>("close_btn");
        QVERIFY(close);
        QTest::mouseClick(close, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        QVERIFY(!ShowBigImageDialog::existing());
        QTRY_VERIFY(!again);
    }
};

QTEST_MAIN(tst_ShowBigImageDialog)
#include "tst_ShowBigImageDialog.moc"
