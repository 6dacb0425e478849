// test-label: unit
// Row tops and the row at a height, kept as rows are added at the end, inserted, removed and
// resized in any order: always those of the plain sums of the heights, with blocks of the size
// the lists use and with tiny blocks (so that every change splits, empties or crosses blocks).
#include "chat/ChatRowHeights.h"

#include <QRandomGenerator>
#include <QtTest>

#include <vector>

class tst_ChatRowHeights : public QObject
{
    Q_OBJECT

    // Compares every top and, for each y of the list and a little beyond, the row found with the
    // plain answer. Rows of no height hold no y.
    static bool agrees(const ChatRowHeights& h, const std::vector<int>& plain, QString* why)
    {
        if (h.count() != int(plain.size()))
            return *why = QStringLiteral("count %1, not %2").arg(h.count()).arg(plain.size()), false;
        int top = 0;
        for (int r = 0; r <= int(plain.size()); ++r) {
            if (h.top(r) != top)
                return *why = QStringLiteral("top(%1) %2, not %3").arg(r).arg(h.top(r)).arg(top), false;
            if (r < int(plain.size()))
                top += plain[std::size_t(r)];
        }
        int row = 0;
        int start = 0;
        for (int y = -2; y < top + 3; ++y) {
            while (row < int(plain.size()) && y >= start + plain[std::size_t(row)])
                start += plain[std::size_t(row++)];
            const int expected = y < 0 ? -1 : row;
            if (h.rowAt(y) != expected)
                return *why = QStringLiteral("rowAt(%1) %2, not %3").arg(y).arg(h.rowAt(y)).arg(expected), false;
        }
        return true;
    }

private slots:
    void followsEveryChange_data()
    {
        QTest::addColumn<QString>("ops"); // a: append, i: insert at 0, m: insert in the middle,
                                          // r: remove the first, x: remove two in the middle,
                                          // s: resize the last, z: a row of no height, c: clear
        QTest::newRow("appends only") << "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
        QTest::newRow("history above, then live rows") << "aaaaiiiaaaamaaa";
        QTest::newRow("oldest trimmed while rows come") << "aaaaaararararaarr";
        QTest::newRow("resized after a rebuild") << "aaaisasasaxas";
        QTest::newRow("rows of no height") << "azazzaizaz";
        QTest::newRow("emptied and filled again") << "aaaxrrcaaaia";
    }
    void followsEveryChange()
    {
        QFETCH(QString, ops);
        for (const int blockRows : {ChatRowHeights::kBlockRows, 2, 3}) {
        ChatRowHeights h(blockRows);
        std::vector<int> plain;
        int n = 0;
        QString why;
        for (const QChar op : ops) {
            const int height = 10 + (n++ * 7) % 23;
            switch (op.toLatin1()) {
            case 'a':
                h.append(height);
                plain.push_back(height);
                break;
            case 'z':
                h.append(0);
                plain.push_back(0);
                break;
            case 'i':
                h.insert(0, height);
                plain.insert(plain.begin(), height);
                break;
            case 'm':
                h.insert(int(plain.size()) / 2, height);
                plain.insert(plain.begin() + long(plain.size() / 2), height);
                break;
            case 'r':
                if (!plain.empty()) {
                    h.remove(0);
                    plain.erase(plain.begin());
                }
                break;
            case 'x':
                if (plain.size() >= 3) {
                    h.remove(1, 2);
                    plain.erase(plain.begin() + 1, plain.begin() + 3);
                }
                break;
            case 's':
                if (!plain.empty()) {
                    h.set(int(plain.size()) - 1, height + 40);
                    plain.back() = height + 40;
                }
                break;
            case 'c':
                h.clear();
                plain.clear();
                break;
            }
            QVERIFY2(agrees(h, plain, &why),
                     qPrintable(QStringLiteral("blocks of %1, after '%2': %3").arg(blockRows).arg(op).arg(why)));
        }
        }
    }

    // A long list changed at random places agrees with the plain sums along the way.
    void longListAtRandom()
    {
        for (const int blockRows : {ChatRowHeights::kBlockRows, 7}) {
        QRandomGenerator random(55);
        ChatRowHeights h(blockRows);
        std::vector<int> plain;
        for (int step = 0; step < 3000; ++step) {
            const int height = random.bounded(0, 120);
            const int what = random.bounded(10);
            if (what < 6 || plain.empty()) {
                h.append(height);
                plain.push_back(height);
            } else if (what < 8) {
                const int row = random.bounded(int(plain.size()));
                h.set(row, height);
                plain[std::size_t(row)] = height;
            } else if (what == 8) {
                const int row = random.bounded(int(plain.size()) + 1);
                h.insert(row, height);
                plain.insert(plain.begin() + row, height);
            } else {
                const int row = random.bounded(int(plain.size()));
                h.remove(row);
                plain.erase(plain.begin() + row);
            }
            QString why;
            if (step % 500 == 499)
                QVERIFY2(agrees(h, plain, &why),
                         qPrintable(QStringLiteral("blocks of %1, step %2: %3").arg(blockRows).arg(step).arg(why)));
        }
        }
    }
};

QTEST_APPLESS_MAIN(tst_ChatRowHeights)
#include "tst_ChatRowHeights.moc"
