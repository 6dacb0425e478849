// test-label: unit
// The share picker against a capture engine of the test's own: the icon row and the grid for each
// number of windows, the choice by tile and "共 享", close and cancel, the icon buttons, the refresh
// while shown, and the decoding of thumbnails.
#include "support/FakeCaptureEngine.h"
#include "support/RichText.h"

#include "canvas/DesktopShareDialog.h"
#include "canvas/WindowWidget.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace
{

struct Picker {
    std::shared_ptr<FakeCaptureEngine> engine = std::make_shared<FakeCaptureEngine>();
    std::unique_ptr<FakeCaptureEngine::Installed> installed;
    std::unique_ptr<DesktopShareDialog> dialog;

    explicit Picker(int windows = 0, bool withMonitor = true)
    {
        if (withMonitor)
            engine->monitors.push_back(MonitorInfo{1, 0, 0, 1920, 0, 1080, true});
        engine->setWindowCount(windows);
    }
    DesktopShareDialog& make()
    {
        installed = FakeCaptureEngine::install(engine);
        dialog = std::make_unique<DesktopShareDialog>();
        return *dialog;
    }

    QGridLayout* grid() { return qobject_cast<QGridLayout*>(dialog->findChild<QWidget*>("winWidgetContents")->layout()); }
    // The grid's widgets by cell.
    QMap<QPair<int, int>, QWidget*> cells()
    {
        QMap<QPair<int, int>, QWidget*> out;
        QGridLayout* g = grid();
        for (int i = 0; i < g->count(); ++i) {
            int row = 0, column = 0, rows = 0, columns = 0;
            g->getItemPosition(i, &row, &column, &rows, &columns);
            out[{row, column}] = g->itemAt(i)->widget();
        }
        return out;
    }
    QList<WindowWidget*> windowTiles()
    {
        QList<WindowWidget*> tiles;
        for (QWidget* w : cells())
            if (auto* tile = qobject_cast<WindowWidget*>(w); tile && !tile->isPlaceholder())
                tiles << tile;
        return tiles;
    }
    WindowWidget* tileNamed(const QString& name)
    {
        for (WindowWidget* tile : windowTiles())
            if (tile->name() == name)
                return tile;
        return nullptr;
    }
    WindowWidget* screenTile() { return dialog->findChild<WindowWidget*>("screen_widget"); }
    // The icon row's buttons in order (the hidden area button is in neither the row nor the group).
    QList<QToolButton*> iconRow()
    {
        QList<QToolButton*> buttons;
        QLayout* row = dialog->findChild<QWidget*>("scrollAreaWidgetContents")->layout();
        for (int i = 0; i < row->count(); ++i)
            if (auto* b = qobject_cast<QToolButton*>(row->itemAt(i)->widget()))
                buttons << b;
        return buttons;
    }
    QButtonGroup* group() { return dialog->findChild<QButtonGroup*>(); }
    QTimer* refreshTimer() { return dialog->findChild<QTimer*>("refresh_timer"); }
    QLabel* hint() { return dialog->findChild<QLabel*>("hints_label"); }
    void press(WindowWidget* tile) { QTest::mousePress(tile, Qt::LeftButton, Qt::NoModifier, QPoint(100, 130)); }
    void click(const char* button) { dialog->findChild<QPushButton*>(button)->click(); }
};

QPixmap thumbnailOf(QWidget* tile) { return tile->findChild<QLabel*>("thumb_nail_label")->pixmap(Qt::ReturnByValue); }

QRgb centre(const QPixmap& pixmap) { return pixmap.toImage().pixel(pixmap.width() / 2, pixmap.height() / 2); }

} // namespace

class tst_DesktopShareDialog : public QObject
{
    Q_OBJECT
private slots:
    void form()
    {
        Picker p(2);
        DesktopShareDialog& d = p.make();
        QCOMPARE(d.objectName(), QString("DesktopShareDialog"));
        QCOMPARE(d.size(), QSize(896, 639));
        QCOMPARE(d.windowFlags() & ~Qt::WindowType_Mask, Qt::FramelessWindowHint);
        QCOMPARE(d.windowTitle(), QString("选择共享功能"));
        QVERIFY(p.hint()->isHidden());
        QCOMPARE(p.hint()->text(), QString("请先选择一个共享的内容"));
        QCOMPARE(d.findChild<QPushButton*>("share_btn")->text(), QString("共 享"));
        QCOMPARE(d.findChild<QPushButton*>("cancel_btn")->text(), QString("取 消"));
        QVERIFY(!p.refreshTimer()->isActive());
        QCOMPARE(p.refreshTimer()->interval(), 20);

        WindowWidget* screen = p.screenTile();
        QCOMPARE(screen->name(), QString("屏幕1"));
        QCOMPARE(screen->type(), 0);
        QCOMPARE(thumbnailOf(screen).size(), QSize(200, 112));
        QCOMPARE(centre(thumbnailOf(screen)), qRgb(255, 0, 0));

        // "全部" is checked and first; "区域录制" exists, hidden, outside the group and the row.
        auto* area = [&]() -> QToolButton* {
            for (auto* b : d.findChildren<QToolButton*>())
                if (testsupport::plainText(b->toolTip()) == "区域录制")
                    return b;
            return nullptr;
        }();
        QVERIFY(area && area->isHidden());
        QVERIFY(!p.group()->buttons().contains(area));
        QVERIFY(!p.iconRow().contains(area));
        QVERIFY(p.group()->exclusive());
    }

    void grid_data()
    {
        QTest::addColumn<int>("windows");
        QTest::addColumn<QStringList>("cells"); // "row,column:name", "P" for the placeholder
        QTest::newRow("none") << 0 << QStringList{};
        QTest::newRow("one") << 1 << QStringList{"0,0:w0", "0,3:P"};
        QTest::newRow("two") << 2 << QStringList{"0,0:w0", "0,1:w1", "0,3:P"};
        QTest::newRow("three") << 3 << QStringList{"0,0:w0", "0,1:w1", "0,2:w2", "0,3:P"};
        QTest::newRow("four") << 4 << QStringList{"0,0:w0", "0,1:w1", "0,2:w2", "0,3:w3"};
        QTest::newRow("five") << 5 << QStringList{"0,0:w0", "0,1:w1", "0,2:w2", "0,3:w3", "1,0:w4"};
    }
    void grid()
    {
        QFETCH(int, windows);
        QFETCH(QStringList, cells);
        Picker p(windows);
        p.engine->colours[101] = Qt::blue;
        p.make();

        QStringList seen;
        const auto all = p.cells();
        for (auto it = all.begin(); it != all.end(); ++it) {
            auto* tile = qobject_cast<WindowWidget*>(it.value());
            QVERIFY(tile);
            seen << QString("%1,%2:%3").arg(it.key().first).arg(it.key().second).arg(tile->isPlaceholder() ? "P" : tile->name());
            QCOMPARE(tile->type(), 1);
            if (!tile->isPlaceholder()) {
                QCOMPARE(tile->hwnd(), 100 + tile->name().mid(1).toULong());
                const QPixmap thumb = thumbnailOf(tile);
                QCOMPARE(thumb.size(), QSize(200, 112));
                QCOMPARE(centre(thumb), tile->name() == "w1" ? qRgb(0, 0, 255) : qRgb(0, 255, 0));
            } else {
                QVERIFY(tile->name().isEmpty());
            }
        }
        QCOMPARE(seen, cells);
        QCOMPARE(p.grid()->spacing(), 8);

        // The icon row: "全部" (id 0), then one checkable button per window with id index + 2.
        const QList<QToolButton*> row = p.iconRow();
        QCOMPARE(row.size(), windows + 1);
        QCOMPARE(p.group()->id(row[0]), 0);
        QVERIFY(row[0]->isChecked());
        QCOMPARE(testsupport::plainText(row[0]->toolTip()), QString("全部"));
        for (int i = 0; i < windows; ++i) {
            QCOMPARE(p.group()->id(row[i + 1]), i + 2);
            QCOMPARE(testsupport::plainText(row[i + 1]->toolTip()), QString("w%1").arg(i));
            QVERIFY(row[i + 1]->isCheckable());
            QCOMPARE(row[i + 1]->size(), QSize(48, 48));
            QCOMPARE(row[i + 1]->iconSize(), QSize(40, 40));
            // No icon of its own: the program's.
            QVERIFY(!row[i + 1]->icon().isNull());
        }
    }

    void choice()
    {
        Picker p(2);
        p.engine->addWindow(std::string(600, 'x'));
        DesktopShareDialog& d = p.make();
        QSignalSpy share(&d, &DesktopShareDialog::desktop_share_click);
        QSignalSpy cancel(&d, &DesktopShareDialog::desktop_cancel_click);

        // Nothing chosen: the hint, no signal.
        p.click("share_btn");
        QVERIFY(!p.hint()->isHidden());
        QCOMPARE(share.count(), 0);

        // The screen: (0, "").
        p.press(p.screenTile());
        p.click("share_btn");
        QCOMPARE(share.count(), 1);
        QCOMPARE(share.takeFirst(), (QVariantList{0, QString()}));

        // A window whose title changed since the listing: the tile is renamed, the signal carries it.
        p.engine->titlesNow[101] = "w1 (edited)";
        WindowWidget* w1 = p.tileNamed("w1");
        p.press(w1);
        QCOMPARE(w1->name(), QString("w1 (edited)"));
        p.click("share_btn");
        QCOMPARE(share.takeFirst(), (QVariantList{1, QString("w1 (edited)")}));

        // A title of 600 characters arrives whole.
        p.press(p.tileNamed(QString(600, 'x')));
        p.click("share_btn");
        QCOMPARE(share.takeFirst(), (QVariantList{1, QString(600, 'x')}));

        // Close emits nothing and keeps the choice.
        p.click("close_btn");
        QCOMPARE(share.count() + cancel.count(), 0);
        p.click("share_btn");
        QCOMPARE(share.takeFirst(), (QVariantList{1, QString(600, 'x')}));

        // Cancel emits, and forgets the choice: the next "共 享" shows the hint only.
        p.press(p.tileNamed("w0"));
        p.click("cancel_btn");
        QCOMPARE(cancel.count(), 1);
        QCOMPARE(share.count(), 0);
        p.click("share_btn");
        QCOMPARE(share.count(), 0);
        QVERIFY(!p.hint()->isHidden());
    }

    void iconButtons()
    {
        Picker p(3);
        p.make();
        const int thumbnailsBefore = p.engine->windowThumbnails;
        QList<QToolButton*> row = p.iconRow();
        row[2]->click(); // "w1"
        QVERIFY(row[2]->isChecked());
        QCOMPARE(p.grid()->spacing(), 18);
        const auto cells = p.cells();
        QCOMPARE(cells.size(), 4);
        auto* tile = qobject_cast<WindowWidget*>(cells.value({0, 0}));
        QVERIFY(tile);
        QCOMPARE(tile->name(), QString("w1"));
        for (int column = 1; column < 4; ++column) {
            QWidget* filler = cells.value({0, column});
            QVERIFY(filler && !qobject_cast<WindowWidget*>(filler));
            QCOMPARE(filler->sizePolicy(), QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding));
        }
        // Choosing an icon chooses no share.
        QSignalSpy share(p.dialog.get(), &DesktopShareDialog::desktop_share_click);
        p.click("share_btn");
        QCOMPARE(share.count(), 0);

        // "全部": every window again, fresh icons and thumbnails, "全部" checked.
        row[0]->click();
        QCOMPARE(p.windowTiles().size(), 3);
        QCOMPARE(p.grid()->spacing(), 8);
        row = p.iconRow();
        QCOMPARE(row.size(), 4);
        QVERIFY(row[0]->isChecked());
        QCOMPARE(p.group()->checkedId(), 0);
        QCOMPARE(p.engine->windowThumbnails, thumbnailsBefore + 1 + 3);
    }

    void refresh_data()
    {
        QTest::addColumn<int>("choice"); // -1 nothing, 0 the screen, 1 a window tile in the "全部" view
        QTest::addColumn<int>("tilesAfter");
        QTest::newRow("nothing chosen leaves the grid") << -1 << 2;
        QTest::newRow("the screen rebuilds the grid") << 0 << 3;
        QTest::newRow("a window without an icon empties it") << 1 << 0;
    }
    void refresh()
    {
        QFETCH(int, choice);
        QFETCH(int, tilesAfter);
        Picker p(2);
        DesktopShareDialog& d = p.make();
        if (choice == 0)
            p.press(p.screenTile());
        else if (choice == 1)
            p.press(p.tileNamed("w0"));

        // Hidden, the picker lists nothing, even when asked to refresh.
        d.startRefreshTimer();
        QVERIFY(!p.refreshTimer()->isActive());

        d.show();
        QVERIFY(p.refreshTimer()->isActive());
        // The same number of windows: no thumbnail is taken again.
        const int thumbnails = p.engine->windowThumbnails;
        const int listings = p.engine->windowListings;
        QTRY_VERIFY(p.engine->windowListings >= listings + 3);
        QCOMPARE(p.engine->windowThumbnails, thumbnails);

        p.engine->addWindow("new one");
        QTRY_COMPARE(p.iconRow().size(), 4);
        QCOMPARE(p.windowTiles().size(), tilesAfter);

        // Every way out stops the refresh.
        p.click("close_btn");
        QVERIFY(!p.refreshTimer()->isActive());
        d.show();
        p.click("cancel_btn");
        QVERIFY(!p.refreshTimer()->isActive());
        d.show();
        p.press(p.screenTile());
        p.click("share_btn");
        QVERIFY(!p.refreshTimer()->isActive());
        d.show();
        d.hide();
        QVERIFY(!p.refreshTimer()->isActive());
    }

    void refreshWithChosenIcon()
    {
        Picker p(2);
        DesktopShareDialog& d = p.make();
        d.show();
        p.iconRow()[2]->click(); // "w1" alone
        p.press(p.tileNamed("w1"));
        p.engine->addWindow("new one");
        QTRY_COMPARE(p.iconRow().size(), 4);
        QCOMPARE(p.windowTiles().size(), 1);
        QCOMPARE(p.windowTiles()[0]->name(), QString("w1"));
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<bool>("decodes");
        QTest::addColumn<QRgb>("pixel");
        auto png = [](QRgb argb) {
            return QByteArray::fromStdString(FakeCaptureEngine::png(QColor::fromRgba(argb), 3, 2));
        };
        QTest::newRow("opaque is copied") << png(qRgba(200, 100, 50, 255)) << true << qRgb(200, 100, 50);
        QTest::newRow("clear is black") << png(qRgba(255, 255, 255, 0)) << true << qRgb(0, 0, 0);
        QTest::newRow("half is premultiplied") << png(qRgba(200, 100, 50, 128)) << true << qRgb(100, 50, 25);
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n not really", 20) << false << QRgb(0);
        QTest::newRow("empty") << QByteArray() << false << QRgb(0);
    }
    void decode()
    {
        QFETCH(QByteArray, png);
        QFETCH(bool, decodes);
        QFETCH(QRgb, pixel);
        const QImage image = DesktopShareDialog::pngToBitmap(png.toStdString());
        QCOMPARE(!image.isNull(), decodes);
        if (decodes) {
            QCOMPARE(image.format(), QImage::Format_RGB32);
            QCOMPARE(image.size(), QSize(3, 2));
            QCOMPARE(image.pixel(2, 1), pixel);
        }
    }

    void undecodableThumbnailLeavesTileEmpty()
    {
        struct BadPictures : FakeCaptureEngine {
            std::string getWindowThumbnail(const WindowInfo&, int, int) override { return "not a png"; }
        };
        auto engine = std::make_shared<BadPictures>();
        engine->setWindowCount(1);
        auto installed = FakeCaptureEngine::install(engine);
        DesktopShareDialog d;
        auto* tile = d.findChild<QWidget*>("winWidgetContents")->findChild<WindowWidget*>();
        QVERIFY(tile);
        QVERIFY(thumbnailOf(tile).isNull());
    }

    void noMonitor()
    {
        Picker p(1, false);
        p.make();
        QCOMPARE(p.screenTile()->name(), QString("屏幕1"));
        QVERIFY(thumbnailOf(p.screenTile()).isNull());
        QCOMPARE(p.engine->screenThumbnails, 0);
        // The screen can still be chosen.
        QSignalSpy share(p.dialog.get(), &DesktopShareDialog::desktop_share_click);
        p.press(p.screenTile());
        p.click("share_btn");
        QCOMPARE(share.count(), 1);
    }

    void titlesArePlainText()
    {
        Picker p(0);
        p.engine->addWindow("<b>x</b>");
        p.make();
        QToolButton* icon = p.iconRow()[1];
        QCOMPARE(testsupport::plainText(icon->toolTip()), QString("<b>x</b>"));
        // The icon chooses by the title itself, not by its display form.
        icon->click();
        QCOMPARE(p.windowTiles().size(), 1);
    }

    void drag()
    {
        Picker p(0);
        DesktopShareDialog& d = p.make();
        d.move(100, 100);
        QMouseEvent press(QEvent::MouseButtonPress, QPoint(400, 300), QPoint(500, 400), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&d, &press);
        QMouseEvent move(QEvent::MouseMove, QPoint(430, 290), QPoint(530, 390), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&d, &move);
        QCOMPARE(d.pos(), QPoint(130, 90));
    }
};

QTEST_MAIN(tst_DesktopShareDialog)
#include "tst_DesktopShareDialog.moc"
