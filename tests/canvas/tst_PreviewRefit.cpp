// test-label: unit
// What a maximise, restore or resize does to the preview, the labels over it, the share picture,
// the camera overlay and the share display: tables over a 1920 x 1080 canvas and a render area of
// 1280 x 720.
#include "canvas/PreviewRefit.h"

#include <QtTest>

using namespace previewrefit;

Q_DECLARE_METATYPE(previewrefit::Path)

namespace
{
const QRect kArea(0, 0, 1280, 720);

QString rect(const QRect& r)
{
    return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString displayName(DisplayAction action)
{
    switch (action) {
    case DisplayAction::None:
        return "none";
    case DisplayAction::Keep:
        return "keep";
    case DisplayAction::Resize:
        return "resize";
    case DisplayAction::RemakeSource:
        return "remake source display";
    case DisplayAction::Remake:
        return "remake";
    }
    return "?";
}

// The share picture's part of a result, one line.
QString sharePart(const Result& r)
{
    QStringList parts;
    if (r.shareLabel)
        parts << "label " + rect(*r.shareLabel);
    if (r.previewScale)
        parts << QString("scale %1x%2").arg(r.previewScale->width()).arg(r.previewScale->height());
    if (!r.shareSource.isEmpty())
        parts << QString("%1 %2x%3 at %4,%5")
                     .arg(r.shareSource)
                     .arg(r.sourceSize.width())
                     .arg(r.sourceSize.height())
                     .arg(r.sourcePos.x())
                     .arg(r.sourcePos.y());
    if (r.shownStrip)
        parts << "strip " + rect(*r.shownStrip);
    if (r.camera)
        parts << QString("camera %1,%2").arg(r.camera->x()).arg(r.camera->y());
    parts << "display " + displayName(r.display);
    return parts.join("; ");
}

Input portraitShare(Path path, bool maximised, int kind = 0)
{
    Input in;
    in.renderArea = kArea;
    in.portrait = true;
    in.path = path;
    in.maximised = maximised;
    in.shareKind = kind;
    in.shareLabelVisible = true;
    in.shareLabelSize = QSize(405, 720); // as the share left it
    in.tool = 2;
    return in;
}
} // namespace

class tst_PreviewRefit : public QObject
{
    Q_OBJECT
private slots:
    void landscape();
    void portrait_data();
    void portrait();
    void portraitWithoutShareLabel();
    void display_data();
    void display();
    void sceneReapplied_data();
    void sceneReapplied();
    void sceneLabelAfterResize();
    void emptyArea();
};

void tst_PreviewRefit::landscape()
{
    Input in;
    in.renderArea = kArea;
    in.shareLabelVisible = true;
    in.shareLabelSize = QSize(960, 540);
    in.documentLabelVisible = true;
    in.sceneLabelVisible = true;
    in.shareKind = 0;
    const Result r = refit(in);
    QCOMPARE(r.preview, kArea);
    QVERIFY(!r.column);
    QCOMPARE(r.shareLabel, std::optional<QRect>(kArea));
    QCOMPARE(r.documentLabel, std::optional<QRect>(kArea));
    QCOMPARE(r.sceneLabelSize, std::optional<QSize>(kArea.size()));
    // Nothing of the portrait picture.
    QVERIFY(!r.previewScale && r.shareSource.isEmpty() && !r.shownStrip && !r.camera);

    // Hidden labels are left alone.
    in.shareLabelVisible = in.documentLabelVisible = in.sceneLabelVisible = false;
    const Result hidden = refit(in);
    QCOMPARE(hidden.preview, kArea);
    QVERIFY(!hidden.shareLabel && !hidden.documentLabel && !hidden.sceneLabelSize);
    QCOMPARE(hidden.display, DisplayAction::None);
}

void tst_PreviewRefit::portrait_data()
{
    QTest::addColumn<Path>("path");
    QTest::addColumn<bool>("maximised");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    const QString head = "label 0,0 405x720; scale 810x454; ";
    const QString strip = "; strip 0,246 405x227";
    QTest::newRow("resize, restored") << Path::ResizeEvent << false << 0
                                      << head + "desktop source 405x227 at 0,246" + strip +
                                             "; display remake source display";
    QTest::newRow("resize, maximised") << Path::ResizeEvent << true << 0
                                       << head + "desktop source 405x227 at 0,587" + strip +
                                              "; camera 564,765; display keep";
    QTest::newRow("maximise") << Path::Maximise << true << 0
                              << head + "desktop source 405x227 at 0,587" + strip +
                                     "; camera 564,765; display remake source display";
    QTest::newRow("restore") << Path::Restore << false << 0
                             << head + "desktop source 405x227 at 0,246" + strip + "; camera 564,765; display keep";
    QTest::newRow("window share") << Path::Restore << false << 1
                                  << head + "window source 405x227 at 0,246" + strip +
                                         "; camera 564,765; display keep";
    QTest::newRow("no share kind") << Path::Restore << false << -1
                                   << head + "strip 0,246 405x227; camera 564,765; display keep";
}

void tst_PreviewRefit::portrait()
{
    QFETCH(Path, path);
    QFETCH(bool, maximised);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    const Result r = refit(portraitShare(path, maximised, kind));
    // A 9:16 column as high as the area, centred.
    QCOMPARE(r.preview, QRect(437, 0, 405, 720));
    QVERIFY(r.column);
    QCOMPARE(sharePart(r), expected);
}

void tst_PreviewRefit::portraitWithoutShareLabel()
{
    Input in = portraitShare(Path::Maximise, true);
    in.shareLabelVisible = false;
    in.documentLabelVisible = true; // not in the share tool's column
    const Result r = refit(in);
    QCOMPARE(r.preview, QRect(437, 0, 405, 720));
    QCOMPARE(sharePart(r), QString("display none"));
    QVERIFY(!r.documentLabel);
}

void tst_PreviewRefit::display_data()
{
    QTest::addColumn<Path>("path");
    QTest::addColumn<bool>("maximised");
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<QSize>("labelBefore");
    QTest::addColumn<QString>("expected");
    const QSize column(405, 720); // the label's size after a portrait fit
    const QSize whole(1280, 720); // after a landscape fit
    const QSize old(960, 540);
    QTest::newRow("resize restored, portrait") << Path::ResizeEvent << false << true << column
                                               << "remake source display";
    QTest::newRow("resize restored, landscape") << Path::ResizeEvent << false << false << whole << "keep";
    QTest::newRow("resize restored, landscape, label grew")
        << Path::ResizeEvent << false << false << old << "resize";
    QTest::newRow("resize maximised, portrait") << Path::ResizeEvent << true << true << column << "keep";
    QTest::newRow("resize maximised, portrait, label grew")
        << Path::ResizeEvent << true << true << QSize(304, 540) << "resize";
    QTest::newRow("resize maximised, landscape, label grew")
        << Path::ResizeEvent << true << false << old << "resize";
    QTest::newRow("maximise, portrait") << Path::Maximise << true << true << column << "remake source display";
    QTest::newRow("maximise, landscape") << Path::Maximise << true << false << old << "remake";
    QTest::newRow("restore, portrait") << Path::Restore << false << true << column << "keep";
    QTest::newRow("restore, portrait, label shrank") << Path::Restore << false << true << QSize(607, 1080)
                                                    << "resize";
    QTest::newRow("restore, landscape") << Path::Restore << false << false << whole << "remake";
}

void tst_PreviewRefit::display()
{
    QFETCH(Path, path);
    QFETCH(bool, maximised);
    QFETCH(bool, portrait);
    QFETCH(QSize, labelBefore);
    QFETCH(QString, expected);
    Input in = portraitShare(path, maximised);
    in.portrait = portrait;
    in.shareLabelSize = labelBefore;
    QCOMPARE(displayName(refit(in).display), expected);
    // Without a visible share label there is no display to care for.
    in.shareLabelVisible = false;
    QCOMPARE(refit(in).display, DisplayAction::None);
}

void tst_PreviewRefit::sceneReapplied_data()
{
    QTest::addColumn<Path>("path");
    QTest::addColumn<int>("tool");
    QTest::addColumn<bool>("inUse");
    QTest::addColumn<bool>("reapplied");
    QTest::newRow("resize, scene tool, in use") << Path::ResizeEvent << 3 << true << true;
    QTest::newRow("resize, scene tool, none in use") << Path::ResizeEvent << 3 << false << false;
    QTest::newRow("resize, document tool") << Path::ResizeEvent << 0 << true << false;
    QTest::newRow("maximise") << Path::Maximise << 3 << true << false;
    QTest::newRow("restore") << Path::Restore << 3 << true << false;
}

void tst_PreviewRefit::sceneReapplied()
{
    QFETCH(Path, path);
    QFETCH(int, tool);
    QFETCH(bool, inUse);
    QFETCH(bool, reapplied);
    Input in;
    in.renderArea = kArea;
    in.path = path;
    in.tool = tool;
    in.sceneInUse = inUse;
    in.sceneLabelVisible = true;
    const Result r = refit(in);
    QCOMPARE(r.reapplyScene, reapplied);
    QCOMPARE(r.sceneLabelSize, std::optional<QSize>(kArea.size()));
}

void tst_PreviewRefit::sceneLabelAfterResize()
{
    Input in;
    in.renderArea = kArea;
    // Hidden (or out in full screen), the label waits at the canvas's size.
    QCOMPARE(refit(in).sceneLabelAfter, std::optional<QRect>(QRect(0, 0, 1920, 1080)));
    // Shown in the preview it keeps the preview's size.
    in.sceneLabelVisible = true;
    in.sceneLabelInPreview = true;
    const Result shown = refit(in);
    QVERIFY(!shown.sceneLabelAfter);
    QCOMPARE(shown.sceneLabelSize, std::optional<QSize>(kArea.size()));
    // Only the resize event places it.
    in.sceneLabelInPreview = false;
    in.path = Path::Maximise;
    QVERIFY(!refit(in).sceneLabelAfter);
}

void tst_PreviewRefit::emptyArea()
{
    // A window laid out to nothing yet: no division by a zero width, no camera place.
    Input in = portraitShare(Path::Maximise, true);
    in.renderArea = QRect();
    const Result r = refit(in);
    QCOMPARE(r.preview.size(), QSize(0, 0));
    QVERIFY(!r.camera);
    QCOMPARE(r.shownStrip, std::optional<QRect>(QRect(0, 0, 0, 0)));
}

QTEST_APPLESS_MAIN(tst_PreviewRefit)
#include "tst_PreviewRefit.moc"
