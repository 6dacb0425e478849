// test-label: unit
// The share picker's tile: its form, the name line elided at 80 pixels with the whole title as a
// plain-text tool tip, the placeholder, and the thumbnail drawn inside a 2-pixel margin.
#include "support/RichText.h"

#include "canvas/WindowWidget.h"

#include <QLabel>
#include <QPainter>
#include <QtTest>

class tst_WindowWidget : public QObject
{
    Q_OBJECT
private slots:
    void form()
    {
        WindowWidget tile;
        QCOMPARE(tile.objectName(), QString("WindowWidget"));
        QCOMPARE(tile.minimumSize(), QSize(200, 140));
        QCOMPARE(tile.maximumSize(), QSize(200, 140));
        auto* thumb = tile.findChild<WindowLabel*>("thumb_nail_label");
        QVERIFY(thumb);
        QCOMPARE(thumb->size(), QSize(200, 112));
        QCOMPARE(tile.thumbnailWidth(), 200);
        QCOMPARE(tile.thumbnailHeight(), 112);
        QCOMPARE(tile.focusPolicy(), Qt::StrongFocus);
        QCOMPARE(thumb->focusPolicy(), Qt::StrongFocus);
        QVERIFY(thumb->styleSheet().startsWith("QLabel:focus{border:4px solid #0669F5;"));
        QVERIFY(thumb->styleSheet().contains("QLabel:hover{border:4px solid #0669F5;"));
    }

    void name_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("short") << "Notes";
        QTest::newRow("long") << "A very long window title that can never fit into eighty pixels";
        QTest::newRow("markup") << "<b>x</b>";
        QTest::newRow("picture markup") << "<img src=\"/etc/hostname\">";
    }
    void name()
    {
        QFETCH(QString, title);
        WindowWidget tile;
        tile.setName(title);
        auto* label = tile.findChild<QLabel*>("name_label");
        const QString expected = QFontMetrics(label->font()).elidedText(title, Qt::ElideRight, 80);
        QCOMPARE(label->text(), expected);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QCOMPARE(testsupport::plainText(label->toolTip()), title);
        QCOMPARE(tile.name(), title);
        if (title.startsWith("A very"))
            QVERIFY(label->text() != title);
    }

    void placeholder()
    {
        WindowWidget tile;
        auto* thumb = tile.findChild<WindowLabel*>("thumb_nail_label");
        tile.setPlaceholder(true);
        QVERIFY(tile.isPlaceholder());
        QVERIFY(thumb->isHidden());
        tile.setPlaceholder(false);
        QVERIFY(!tile.isPlaceholder());
    }

    void thumbnailInsideMargin()
    {
        WindowWidget tile;
        QPixmap red(50, 20);
        red.fill(Qt::red);
        tile.setThumbnail(red);
        auto* thumb = tile.findChild<WindowLabel*>("thumb_nail_label");
        QImage out(thumb->size(), QImage::Format_ARGB32);
        out.fill(Qt::transparent);
        thumb->render(&out, QPoint(), QRegion(), QWidget::RenderFlags());
        QCOMPARE(out.pixel(100, 56), qRgb(255, 0, 0));
        QCOMPARE(out.pixel(2, 2), qRgb(255, 0, 0));
        QCOMPARE(out.pixel(197, 109), qRgb(255, 0, 0));
        QVERIFY(out.pixel(1, 1) != qRgb(255, 0, 0));
        QVERIFY(out.pixel(198, 110) != qRgb(255, 0, 0));
    }
};

QTEST_MAIN(tst_WindowWidget)
#include "tst_WindowWidget.moc"
