// test-label: engine
// The share picker with the real capture library on an X server of the test's own (no window
// manager): another process's windows become tiles with their pictures, and "共 享" on a window asks
// for it maximised and lowers every window of that title.
#include "canvas/DesktopShareDialog.h"
#include "canvas/WindowWidget.h"
#include "support/PrivateXServer.h"
#include "support/X11TestClient.h"

#include <QLabel>
#include <QPushButton>
#include <QX11Info>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace
{
// The root's children, bottom first.
QList<unsigned long> stackingOrder()
{
    Display* d = QX11Info::display();
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    QList<unsigned long> order;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count) && children)
        for (unsigned int i = 0; i < count; ++i)
            order << children[i];
    if (children)
        XFree(children);
    return order;
}

WindowWidget* tileOf(DesktopShareDialog& d, unsigned long hwnd)
{
    for (WindowWidget* tile : d.findChild<QWidget*>("winWidgetContents")->findChildren<WindowWidget*>())
        if (tile->hwnd() == hwnd && !tile->isPlaceholder())
            return tile;
    return nullptr;
}
} // namespace

class tst_DesktopShareDialogX11 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(client_.start()); }

    void tilesAndShare()
    {
        const unsigned long alpha = client_.window("Alpha", "Editor", "ff0000", 320, 180, 100, 100);
        const unsigned long twin1 = client_.window("Twin", "Editor", "0000ff", 320, 180, 500, 100);
        const unsigned long twin2 = client_.window("Twin", "Editor", "00ff00", 320, 180, 900, 100);
        QVERIFY(alpha && twin1 && twin2);

        // A second connection watches what is sent to the root, as a window manager would.
        Display* watcher = XOpenDisplay(nullptr);
        QVERIFY(watcher);
        XSelectInput(watcher, DefaultRootWindow(watcher), SubstructureNotifyMask);
        XSync(watcher, False);

        DesktopShareDialog d;
        QCOMPARE(d.findChild<WindowWidget*>("screen_widget")->findChild<QLabel*>("thumb_nail_label")->pixmap(Qt::ReturnByValue).size(),
                 QSize(200, 112));
        WindowWidget* alphaTile = tileOf(d, alpha);
        WindowWidget* twinTile = tileOf(d, twin1);
        QVERIFY(alphaTile && twinTile && tileOf(d, twin2));
        QCOMPARE(alphaTile->name(), QString("Alpha"));
        const QImage picture = alphaTile->findChild<QLabel*>("thumb_nail_label")->pixmap(Qt::ReturnByValue).toImage();
        QCOMPARE(picture.size(), QSize(200, 112));
        QCOMPARE(picture.pixel(100, 56), qRgb(255, 0, 0));

        // Both windows titled "Twin" go below everything else.
        QVERIFY(stackingOrder().indexOf(twin1) > stackingOrder().indexOf(alpha));
        QSignalSpy share(&d, &DesktopShareDialog::desktop_share_click);
        QTest::mousePress(twinTile, Qt::LeftButton, Qt::NoModifier, QPoint(100, 50));
        d.findChild<QPushButton*>("share_btn")->click();
        QCOMPARE(share.count(), 1);
        QCOMPARE(share.first(), (QVariantList{1, QString("Twin")}));
        XSync(QX11Info::display(), False);
        const QList<unsigned long> order = stackingOrder();
        QVERIFY(order.indexOf(twin1) < order.indexOf(alpha));
        QVERIFY(order.indexOf(twin2) < order.indexOf(alpha));
        QVERIFY(order.indexOf(twin1) <= 1 && order.indexOf(twin2) <= 1);

        // Each asked to be maximised both ways.
        QList<unsigned long> asked;
        const Atom state = XInternAtom(watcher, "_NET_WM_STATE", False);
        const Atom vert = XInternAtom(watcher, "_NET_WM_STATE_MAXIMIZED_VERT", False);
        const Atom horz = XInternAtom(watcher, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
        XSync(watcher, False);
        while (XPending(watcher)) {
            XEvent e;
            XNextEvent(watcher, &e);
            if (e.type == ClientMessage && e.xclient.message_type == state && e.xclient.data.l[0] == 1 &&
                Atom(e.xclient.data.l[1]) == vert && Atom(e.xclient.data.l[2]) == horz)
                asked << e.xclient.window;
        }
        XCloseDisplay(watcher);
        std::sort(asked.begin(), asked.end());
        QCOMPARE(asked, (QList<unsigned long>{twin1, twin2}));
    }

private:
    testsupport::X11TestClient client_;
};

SOLVEK_TEST_MAIN_OWN_DISPLAY(tst_DesktopShareDialogX11)
#include "tst_DesktopShareDialogX11.moc"
