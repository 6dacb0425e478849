// test-label: unit
#include "widgets/RoundLabel.h"

#include <QPainter>
#include <QtTest>

class tst_RoundLabel : public QObject
{
    Q_OBJECT
private:
    static QColor at(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

private slots:
    void cutsAShiftedStretchedPictureToACircle()
    {
        QWidget host;
        host.setStyleSheet(QStringLiteral("background-color: rgb(0, 0, 255);"));
        host.setAutoFillBackground(true);
        host.resize(100, 80);
        RoundLabel label(&host);
        label.setGeometry(0, 0, 80, 60);
        // 90 x 70, so it is drawn unscaled: green in its left 20 columns, red elsewhere.
        QPixmap pix(90, 70);
        pix.fill(Qt::red);
        QPainter(&pix).fillRect(0, 0, 20, 70, Qt::green);
        label.setPixmap(pix);

        const QImage shot = host.grab().toImage();
        // Circle of diameter 60 at the label's left; the picture is shifted 10 px up and left.
        QCOMPARE(at(shot, 5, 30), QColor(Qt::green)); // picture column 15
        QCOMPARE(at(shot, 15, 30), QColor(Qt::red));  // picture column 25
        QCOMPARE(at(shot, 30, 30), QColor(Qt::red));  // centre
        QCOMPARE(at(shot, 30, 2), QColor(Qt::red));   // near the top of the circle
        // Outside the circle the background shows.
        for (const QPoint& p : {QPoint(1, 1), QPoint(58, 1), QPoint(1, 58), QPoint(70, 30), QPoint(78, 58)})
            QVERIFY2(at(shot, p.x(), p.y()) != QColor(Qt::red) && at(shot, p.x(), p.y()) != QColor(Qt::green),
                     qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    }

    void withoutPictureItIsAPlainLabel()
    {
        QWidget host;
        host.resize(120, 40);
        RoundLabel round(&host);
        round.setGeometry(0, 0, 120, 40);
        round.setText(QStringLiteral("头像"));
        QWidget plainHost;
        plainHost.resize(120, 40);
        QLabel plain(&plainHost);
        plain.setGeometry(0, 0, 120, 40);
        plain.setText(QStringLiteral("头像"));
        QCOMPARE(host.grab().toImage(), plainHost.grab().toImage());
    }
};

QTEST_MAIN(tst_RoundLabel)
#include "tst_RoundLabel.moc"
