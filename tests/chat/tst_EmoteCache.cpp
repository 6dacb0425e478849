// test-label: integration
// The emote cache and grid against the simulator's emote host: nothing is fetched for pictures
// already stored, exactly the missing ones are, a failed fetch shows the load-failed picture in a
// cell that still sends its code, an endless body leaves no file, and stopping the job ends a
// fetch that hangs. The grid's cells: columns, places, presses, focus and resizes.
#include "support/SimulatorProcess.h"

#include "chat/EmoteCacheJob.h"
#include "chat/EmoteFiles.h"
#include "chat/EmoteListWidget.h"
#include "chat/PictureCache.h"
#include "widgets/ClickableLabel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
constexpr int kWait = 10000;
const QString kPrefix = QStringLiteral("/Public/Home/Images/newFaces/");

QString emotePath(int n)
{
    return kPrefix + QString::number(n) + QStringLiteral(".png");
}
} // namespace

class tst_EmoteCache : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;

    QStringList emoteRequests() const
    {
        QStringList out;
        for (const QJsonValue& r : m_sim.requests())
            if (r.toObject().value("path").toString().startsWith(kPrefix))
                out << r.toObject().value("path").toString();
        return out;
    }
    void fillCache()
    {
        QImage picture(8, 8, QImage::Format_ARGB32);
        picture.fill(Qt::red);
        for (int n = 1; n <= EmoteFiles::kCount; ++n)
            QVERIFY(picture.save(EmoteFiles::filePath(n), "PNG"));
    }
    void runJob()
    {
        EmoteCacheJob job; // cacheEmotePictures into the emote cache
        job.start();
        QTRY_VERIFY_WITH_TIMEOUT(!job.isRunning(), 60000);
    }
    static QPoint placeOf(EmoteListWidget& grid, int n)
    {
        int row = -1, column = -1, rs = 0, cs = 0;
        const int index = grid.grid()->indexOf(grid.cell(n));
        if (index >= 0)
            grid.grid()->getItemPosition(index, &row, &column, &rs, &cs);
        return QPoint(row, column);
    }

private slots:
    void initTestCase() { QVERIFY(m_sim.start()); }

    void init()
    {
        QVERIFY(m_sim.reset());
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        EmoteFiles::setFolder(m_dir->filePath("resource/emotes"));
        QVERIFY(QDir().mkpath(EmoteFiles::folder()));
        PictureCache::instance().clear();
    }

    void cleanup() { EmoteFiles::setFolder(QString()); }

    void defaultFolderIsInTheUserCache()
    {
        EmoteFiles::setFolder(QString());
        QVERIFY(EmoteFiles::folder().endsWith("/resource/emotes"));
        QVERIFY(!EmoteFiles::folder().startsWith("/resource"));
        QCOMPARE(EmoteFiles::fileName(12), QString("_em_12.png"));
        QVERIFY(EmoteFiles::address(12).endsWith(emotePath(12)));
    }

    void jobFetchesOnlyMissingPictures()
    {
        fillCache();
        runJob();
        QCOMPARE(emoteRequests(), QStringList());

        for (int n : {3, 100, 205})
            QVERIFY(QFile::remove(EmoteFiles::filePath(n)));
        QFile broken(EmoteFiles::filePath(50)); // a file that is no picture counts as missing
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("junk") == 4);
        broken.close();
        runJob();
        QCOMPARE(emoteRequests(), (QStringList{emotePath(3), emotePath(50), emotePath(100), emotePath(205)}));
        for (int n : {3, 50, 100, 205})
            QVERIFY(!QImage(EmoteFiles::filePath(n)).isNull());
    }

    // An emote host that sends without end: the fetch is refused at the bound, and no file stays.
    void endlessBodyLeavesNoFile()
    {
        QVERIFY(m_sim.script(emotePath(7), QJsonArray{QJsonObject{{"endless", true}, {"content_type", "image/png"}}}));
        EmoteFiles::fetchToCache(7);
        QVERIFY(!QFile::exists(EmoteFiles::filePath(7)));
        QCOMPARE(emoteRequests(), QStringList{emotePath(7)});
    }

    // A host that never answers: stopping the job ends the fetch in progress, long before the
    // fetch's own 10 s bound.
    void stopEndsAHangingFetch()
    {
        QVERIFY(m_sim.script(emotePath(1), QJsonArray{QJsonObject{{"hang", true}}}));
        EmoteCacheJob job; // cacheEmotePictures into the emote cache
        job.start();
        QTRY_COMPARE_WITH_TIMEOUT(emoteRequests().size(), 1, kWait);
        QElapsedTimer clock;
        clock.start();
        job.stop();
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!job.isRunning());
        QVERIFY(!QFile::exists(EmoteFiles::filePath(1)));
    }

    void gridColumnsAndPlaces()
    {
        fillCache();
        QWidget parent;
        parent.resize(360, 400);
        EmoteListWidget grid(&parent, 30);
        QCOMPARE(grid.columns(), 10);
        QCOMPARE(placeOf(grid, 1), QPoint(0, 0));
        QCOMPARE(placeOf(grid, 11), QPoint(1, 0));
        QCOMPARE(placeOf(grid, 205), QPoint(20, 4));
        QCOMPARE(grid.geometry(), QRect(0, 400 - 30 - 168, 360, 168));
        QCOMPARE(grid.cell(37)->size(), QSize(32, 32));
        // The cached files are decoded off the window's thread.
        QTRY_VERIFY(grid.cell(37)->pixmap() && !grid.cell(37)->pixmap()->isNull());
        QCOMPARE(grid.cell(37)->pixmap()->size(), QSize(24, 24));

        // A resize re-places the same cells; nothing is fetched.
        ClickableLabel* cell11 = grid.cell(11);
        parent.resize(720, 500);
        grid.updateLayout();
        QCOMPARE(grid.columns(), 20);
        QCOMPARE(grid.cell(11), cell11);
        QCOMPARE(placeOf(grid, 11), QPoint(0, 10));
        QCOMPARE(placeOf(grid, 205), QPoint(10, 4));
        QCOMPARE(grid.geometry(), QRect(0, 500 - 30 - 168, 720, 168));

        parent.resize(20, 500);
        grid.updateLayout();
        QCOMPARE(grid.columns(), 1);
        QCOMPARE(placeOf(grid, 205), QPoint(204, 0));
        // A rebuild at the same columns holds each cell once, where it was.
        grid.rebuildGrid();
        QCOMPARE(grid.grid()->count(), 205);
        QCOMPARE(placeOf(grid, 205), QPoint(204, 0));
        QCOMPARE(emoteRequests(), QStringList());
    }

    void gridPressFocusAndShow()
    {
        fillCache();
        QWidget parent;
        parent.resize(360, 400);
        EmoteListWidget grid(&parent, 30);
        QSignalSpy selected(&grid, &EmoteListWidget::emoteSelected);
        QTest::mouseClick(grid.cell(37), Qt::LeftButton);
        QTest::mouseClick(grid.cell(38), Qt::RightButton);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toString(), QString("[_em_37]"));

        parent.show();
        grid.show();
        QVERIFY(grid.isVisible());
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(&grid, &out);
        QVERIFY(!grid.isVisible());
    }

    // A picture neither stored nor to be had: the load-failed picture, and the code still goes.
    void gridShowsFailedPictureAndKeepsTheCode()
    {
        fillCache();
        QVERIFY(QFile::remove(EmoteFiles::filePath(5)));
        QVERIFY(QFile::remove(EmoteFiles::filePath(6)));
        QVERIFY(m_sim.script(emotePath(5), QJsonArray{QJsonObject{{"status", 404}, {"body", "gone"}}}));
        QWidget parent;
        parent.resize(360, 400);
        EmoteListWidget grid(&parent, 30);
        QTRY_VERIFY_WITH_TIMEOUT(grid.cell(5)->pixmap() && !grid.cell(5)->pixmap()->isNull(), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(grid.cell(6)->pixmap() && !grid.cell(6)->pixmap()->isNull(), kWait);
        const QImage failed = PictureCache::fallback().scaled(24, 24, Qt::IgnoreAspectRatio).toImage();
        QCOMPARE(grid.cell(5)->pixmap()->toImage().convertToFormat(failed.format()), failed);
        QVERIFY(grid.cell(6)->pixmap()->toImage().convertToFormat(failed.format()) != failed);
        QCOMPARE(emoteRequests().size(), 2);
        QSignalSpy selected(&grid, &EmoteListWidget::emoteSelected);
        QTest::mouseClick(grid.cell(5), Qt::LeftButton);
        QCOMPARE(selected.value(0).value(0).toString(), QString("[_em_5]"));
    }
};

QTEST_MAIN(tst_EmoteCache)
#include "tst_EmoteCache.moc"
