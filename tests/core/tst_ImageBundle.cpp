// test-label: unit
#include <QDirIterator>
#include <QImageReader>
#include <QSet>
#include <QtTest>

// Every picture the program names, spelled as the windows name them ("backgroud", "cancle" and
// "noCamear" included): a misspelt or missing file shows as an empty label at run time.
static QStringList expectedPictures()
{
    QStringList paths{QStringLiteral(":/images/favicon.ico")};
    const QStringList live{
        "add.png", "add_doc.png", "all.png", "anticlockwise.png", "app_float_window.png", "area.png",
        "arrow_down.png", "arrow_left.png", "arrow_right.png", "arrow_up.png", "backgroud.png", "big.png",
        "black.png", "blackselect.png", "blue.png", "blueselect.png", "Bottoming.png", "camera_close.png",
        "camera_close1.png", "camera_open.png", "cancle.png", "chart.png", "clear.png", "clickright.png",
        "clockwise.png", "close.png", "close_hover.png", "conn_mic.png", "desktop_share.png",
        "disableadd.png", "docm.png", "docTip.png", "document.png", "documentLayout.png",
        "documentTipClose.png", "down.png", "exit.png", "fileanasisyFaild.png", "float_window.png",
        "graphical.png", "icon.ico", "ic_chat_record_notice.svg", "ic_chat_record_red_bag.svg",
        "ic_chat_record_to_buy.svg", "ic_close.png", "ic_emote.png", "ic_online_list_data_is_null.png",
        "ic_online_list_refresh.png", "ic_online_list_search.png", "ic_online_list_search_clear.png",
        "ic_online_list_search_clear.svg", "ic_toast_default.png", "ic_toast_failed.png",
        "ic_toast_success.png", "ic_upload_picture.png", "ic_user_shield.png", "image.png", "layout.png",
        "layout_close.png", "level.png", "line.png", "live_pause.png", "live_stop.png", "loading.png",
        "loading_cover.png", "load_failed.png", "load_more_record.gif", "logo.png", "logout.png",
        "message.png", "mic_close.png", "mic_open.png", "minimize.png", "minimize_hover.png",
        "mirror_left.png", "mirror_right.png", "mode.png", "more_settings.png", "move.png", "nocamera.png",
        "nomic.png", "normal.png", "normal_hover.png", "noselectChk.png", "noselectRio.png", "overturn.png",
        "overturnicon.png", "pen.png", "play.png", "radiono.png", "red.png", "redselect.png", "remove.png",
        "reset.png", "restore.png", "restore_hover.png", "revoke.png", "rubber.png", "search.png",
        "select.png", "selectChk.png", "selectRio.png", "select_radiono.png", "settings.png",
        "settings_hover.png", "share.png", "showadd.png", "showcamerabk.png", "small.png", "sort.png",
        "spacerase.png", "speed_high.png", "speed_low.png", "speed_medium.png", "stop.png", "tip.png",
        "Topping.png", "up.png", "update.png", "vertical.png", "white.png", "whiteboard.png",
        "whiteselect.png", "xuline.png", "yellow.png", "yellowselect.png"};
    const QStringList login{
        "background.png", "close.png", "empty.png", "eye_closed.png", "eye_open.png", "failed.png",
        "ic_qrcode_loading.gif", "logo.png", "minimize.png", "refresh.png", "success.png",
        "updatebackground.png", "updateclose.png"};
    const QStringList settings{
        "close.png", "minimize.png", "noCamear.png", "noSelectBlack.png", "noSelectBrown.png",
        "noSelectWhite.png", "select.png", "SelectBlack.png", "SelectBrown.png", "SelectWhite.png",
        "select_hover.png", "slider.png", "switch_close.png", "switch_open.png"};
    for (const QString& n : live)
        paths << QStringLiteral(":/images/live/") + n;
    for (const QString& n : login)
        paths << QStringLiteral(":/images/login/") + n;
    for (const QString& n : settings)
        paths << QStringLiteral(":/images/settings/") + n;
    return paths;
}

class tst_ImageBundle : public QObject
{
    Q_OBJECT
private slots:
    // The bundle registers itself when the library loads; this test uses no other symbol of it,
    // so it names the initialiser to keep the library linked in.
    void initTestCase() { Q_INIT_RESOURCE(images); }

    void bundleHoldsExactlyTheNamedPictures()
    {
        const QStringList expected = expectedPictures();
        QCOMPARE(expected.size(), 154);
        QSet<QString> present;
        QDirIterator it(QStringLiteral(":/images"), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            present.insert(it.next());
        const QSet<QString> wanted(expected.begin(), expected.end());
        QCOMPARE(wanted.size(), 154);
        QCOMPARE(QStringList((present - wanted).values()), QStringList()); // unexpected extras
        QCOMPARE(QStringList((wanted - present).values()), QStringList()); // missing
    }

    void everyPictureOpens_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString& path : expectedPictures())
            QTest::newRow(qPrintable(path)) << path;
    }

    void everyPictureOpens()
    {
        QFETCH(QString, path);
        QImageReader reader(path);
        const QByteArray suffix = QFileInfo(path).suffix().toLatin1();
        QCOMPARE(reader.format(), suffix); // the content is of the kind its name says
        const QImage first = reader.read();
        QVERIFY2(!first.isNull(), qPrintable(reader.errorString()));
        QVERIFY(first.width() >= 16 && first.height() >= 16);
        if (suffix == "gif") { // loading animations
            QVERIFY(reader.imageCount() > 1);
            QVERIFY(!reader.read().isNull());
        }
    }
};

QTEST_MAIN(tst_ImageBundle)
#include "tst_ImageBundle.moc"
