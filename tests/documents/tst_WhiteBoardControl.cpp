// test-label: unit
// The whiteboard panel offscreen, with the main window's rule for adding (count + 1 while the
// count is at most 10): adding, selecting, closing with renumbering, and the tiles' looks.
#include "documents/WhiteBoardControl.h"

#include "documents/WhiteBoardShowInfoWidget.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace
{

struct Panel {
    WhiteBoardControl panel;
    Panel()
    {
        QObject::connect(&panel, &WhiteBoardControl::sendAddWhiteBoard, &panel, [this](int num) {
            if (num <= 10)
                panel.addItem(num + 1);
        });
        panel.show();
    }
    void add(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            panel.findChild<QToolButton*>("add_board_btn")->click();
    }
    QList<int> numbers() const
    {
        QList<int> result;
        for (const WhiteBoardShowInfoWidget* tile : panel.tiles())
            result << tile->number();
        return result;
    }
    QList<int> selected() const
    {
        QList<int> result;
        for (const WhiteBoardShowInfoWidget* tile : panel.tiles())
            if (tile->isSelected())
                result << tile->number();
        return result;
    }
    QStringList looks() const
    {
        QStringList result;
        for (const WhiteBoardShowInfoWidget* tile : panel.tiles())
            result << tile->findChild<QFrame*>("frameparent")->styleSheet();
        return result;
    }
    WhiteBoardShowInfoWidget* tile(int number) const
    {
        for (WhiteBoardShowInfoWidget* tile : panel.tiles())
            if (tile->number() == number)
                return tile;
        return nullptr;
    }
    // Press and release on the close icon, as a click does.
    void close(int number)
    {
        QLabel* icon = tile(number)->findChild<QLabel*>("boardClose");
        QTest::mousePress(icon, Qt::LeftButton);
        QTest::mouseRelease(icon, Qt::LeftButton);
    }
};

QList<int> range(int from, int to)
{
    QList<int> result;
    for (int i = from; i <= to; ++i)
        result << i;
    return result;
}

} // namespace

class tst_WhiteBoardControl : public QObject
{
    Q_OBJECT

private slots:
    void elevenAtMost();
    void closeRenumbers();
    void closingTheSelectedOne();
    void clickingTheCurrentOne();
};

void tst_WhiteBoardControl::elevenAtMost()
{
    Panel p;
    QSignalSpy shown(&p.panel, &WhiteBoardControl::sendShowWhiteBoard);
    p.add(12);
    QCOMPARE(p.numbers(), range(1, 11));
    QCOMPARE(p.panel.count(), 11);
    QCOMPARE(p.panel.currentNumber(), 11);
    QCOMPARE(p.tile(11)->findChild<QLabel*>("boardNumber")->text(), QString("11"));
    // Adding neither selects nor shows anything.
    QVERIFY(p.selected().isEmpty());
    QCOMPARE(shown.count(), 0);
    QCOMPARE(p.looks(), QVector<QString>(11, "#frameparent{background:#FBFBFA;}").toList());
}

void tst_WhiteBoardControl::closeRenumbers()
{
    Panel p;
    p.add(3);
    WhiteBoardShowInfoWidget* third = p.tile(3);
    p.close(2);
    QCOMPARE(p.numbers(), (QList<int>{1, 2}));
    QCOMPARE(p.tile(2), third);
    QCOMPARE(third->findChild<QLabel*>("boardNumber")->text(), QString("2"));
    QCOMPARE(p.panel.count(), 2);
    p.add();
    QCOMPARE(p.numbers(), (QList<int>{1, 2, 3}));

    // Closing every tile leaves an empty row that fills again from 1.
    for (int i = 0; i < 3; ++i)
        p.close(1);
    QCOMPARE(p.panel.count(), 0);
    p.add();
    QCOMPARE(p.numbers(), QList<int>{1});
}

void tst_WhiteBoardControl::closingTheSelectedOne()
{
    Panel p;
    p.add(3);
    QSignalSpy shown(&p.panel, &WhiteBoardControl::sendShowWhiteBoard);
    QTest::mouseClick(p.tile(2), Qt::LeftButton);
    QCOMPARE(shown.takeFirst().at(0).toInt(), 2);
    QCOMPARE(p.selected(), QList<int>{2});
    QVERIFY(p.tile(2)->findChild<QFrame*>("frameparent")->styleSheet().contains("#0669F5"));

    // The first one looks selected; the current number stays, and nothing is shown.
    p.close(2);
    QCOMPARE(p.selected(), QList<int>{1});
    QCOMPARE(p.panel.currentNumber(), 2);
    QCOMPARE(shown.count(), 0); // nor did the release on the closed tile select it
    QApplication::processEvents();
    QCOMPARE(p.numbers(), (QList<int>{1, 2}));

    QTest::mouseClick(p.tile(1), Qt::LeftButton);
    QCOMPARE(shown.takeFirst().at(0).toInt(), 1);
    QCOMPARE(p.panel.currentNumber(), 1);
    QCOMPARE(p.selected(), QList<int>{1});
}

void tst_WhiteBoardControl::clickingTheCurrentOne()
{
    Panel p;
    p.add(3);
    QSignalSpy shown(&p.panel, &WhiteBoardControl::sendShowWhiteBoard);
    const QStringList before = p.looks();
    QTest::mouseClick(p.tile(3), Qt::LeftButton); // the last added is current
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.takeFirst().at(0).toInt(), 3);
    QCOMPARE(p.looks(), before);

    // Hover lights the frame and shows the close icon; leaving restores the look.
    WhiteBoardShowInfoWidget* tile = p.tile(1);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(tile, &enter);
    QVERIFY(tile->findChild<QFrame*>("frameparent")->styleSheet().contains("#0669F5"));
    QVERIFY(!tile->findChild<QLabel*>("boardClose")->isHidden());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(tile, &leave);
    QVERIFY(tile->findChild<QFrame*>("frameparent")->styleSheet().contains("#2c2f42"));
    QVERIFY(tile->findChild<QLabel*>("boardClose")->isHidden());
}

QTEST_MAIN(tst_WhiteBoardControl)
#include "tst_WhiteBoardControl.moc"
