// test-label: integration
// Co-host rows against the simulator: the room messages each button sends (read where they
// arrive), the button states, the remove confirmation and its lifetime, the name and the avatar.
#include "support/SimulatorProcess.h"

#include "chat/ChatWebSocketClient.h"
#include "cohost/ItemConnectMicWidget.h"
#include "cohost/TrtcManager.h"
#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "widgets/ChatRecordOptDialog.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
constexpr int kWait = 10000;
constexpr qint64 kId = 55;
const QStringList kCoHostTypes{"trtc_agree", "trtc_manage", "trtc_remove"};
} // namespace

class tst_ItemConnectMicWidget : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;
    QTemporaryDir m_dir;
    int m_markers = 0;

    QString picture(const QString& path) const { return m_sim.baseUrl() + path; }
    ItemConnectMicWidget* row(bool pending, bool isSecond = true,
                              const QString& name = QStringLiteral("Alice"), const QString& photo = QString())
    {
        auto* info =
            new TrtcMicUserInfo(kId, name, photo.isNull() ? picture("/pic/64x64/alice") : photo, QString());
        auto* w = new ItemConnectMicWidget(info, pending, isSecond);
        w->resize(360, 40);
        w->show();
        return w;
    }
    // The co-host messages that reached the room, in order, once everything sent so far is in.
    QList<QJsonObject> coHostFrames()
    {
        const QString marker = QStringLiteral("marker-%1").arg(++m_markers);
        sendChatWsMessage(QJsonDocument(QJsonObject{{"type", marker}}).toJson(QJsonDocument::Compact));
        [&] { QTRY_COMPARE_WITH_TIMEOUT(m_sim.framesOfType(marker).size(), 1, kWait); }();
        QList<QJsonObject> out;
        for (const QJsonValue& f : m_sim.frames()) {
            const QJsonObject o =
                QJsonDocument::fromJson(f.toObject().value("text").toString().toUtf8()).object();
            if (kCoHostTypes.contains(o.value("type").toString()))
                out << o;
        }
        return out;
    }
    static QJsonObject manage(const char* behavior)
    {
        return QJsonObject{{"type", "trtc_manage"}, {"behavior", behavior}, {"wechat_user_space_id", kId}};
    }
    static QImage expectedRound(const QPixmap& source)
    {
        return ImageUtils::roundedPixmap(
                   source.scaled(40, 40, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 20)
            .toImage();
    }
    QString cacheFile() const { return ItemConnectMicWidget::avatarFile(kId); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_sim.start());
        CDataCenter::getInstance()->userDocRoot = m_dir.filePath("userdoc");
        getChatWsClient()->connectToServer(
            QUrl(QString(m_sim.baseUrl()).replace("http://", "ws://") + "/ws/room"));
        QTRY_VERIFY_WITH_TIMEOUT(isChatWsConnected(), kWait);
    }
    void init()
    {
        QVERIFY(m_sim.clearLog());
        ItemConnectMicWidget::resetHooks();
    }
    void cleanupTestCase() { destroyChatWsClient(); }

    // A connected co-host starts silent and dark; each microphone click asks for the opposite.
    void microphoneAndCameraClicks()
    {
        std::unique_ptr<ItemConnectMicWidget> w(row(false));
        QPushButton* mic = w->micButton();
        QVERIFY(w->agreeButton() == nullptr && w->removeButton());
        QCOMPARE(mic->toolTip(), QStringLiteral("开启麦克风"));
        QCOMPARE(w->cameraButton()->toolTip(), QStringLiteral("开启摄像头"));
        QCOMPARE(w->removeButton()->toolTip(), QStringLiteral("移除副麦"));
        QSignalSpy micSpy(w.get(), &ItemConnectMicWidget::sigMicBtnClicked);

        QTest::mouseClick(mic, Qt::LeftButton);
        QVERIFY(w->micOn());
        QCOMPARE(mic->toolTip(), QStringLiteral("关闭麦克风"));
        QTest::mouseClick(mic, Qt::LeftButton);
        QCOMPARE(mic->toolTip(), QStringLiteral("开启麦克风"));
        QCOMPARE(micSpy.size(), 2);
        QCOMPARE(micSpy.at(0).at(0).toBool(), true);
        QCOMPARE(micSpy.at(1).at(0).toBool(), false);

        // The tile's buttons set the state and tell the co-host, without a signal back.
        QSignalSpy cameraSpy(w.get(), &ItemConnectMicWidget::sigCameraBtnClicked);
        w->onTileCameraClicked(true);
        QCOMPARE(w->cameraButton()->toolTip(), QStringLiteral("关闭摄像头"));
        QTest::mouseClick(w->cameraButton(), Qt::LeftButton);
        QCOMPARE(cameraSpy.size(), 1);
        QCOMPARE(cameraSpy.at(0).at(0).toBool(), false);
        w->onTileMicClicked(true);

        QCOMPARE(coHostFrames(),
                 (QList<QJsonObject>{manage("open_sound"), manage("close_sound"), manage("open_video_screen"),
                                     manage("close_video_screen"), manage("open_sound")}));
    }

    void agreeTurnsThePendingRowIntoAConnectedOne()
    {
        std::unique_ptr<ItemConnectMicWidget> w(row(true));
        QVERIFY(w->agreeButton() && w->refuseButton());
        QCOMPARE(w->agreeButton()->text(), QStringLiteral("同意"));
        QCOMPARE(w->refuseButton()->text(), QStringLiteral("拒绝"));
        QVERIFY(!w->micButton() && !w->cameraButton() && !w->removeButton());
        QPointer<QPushButton> agree = w->agreeButton();
        QPointer<QPushButton> refuse = w->refuseButton();

        QTest::mouseClick(agree, Qt::LeftButton);
        QTRY_VERIFY(!agree && !refuse);
        for (QPushButton* b : {w->micButton(), w->cameraButton(), w->removeButton()}) {
            QVERIFY(b && b->isVisible() && !b->isWindow() && b->parentWidget() == w.get());
            QCOMPARE(b->size(), QSize(20, 20));
        }
        QVERIFY(!w->micOn() && !w->cameraOn());
        QCOMPARE(w->micButton()->toolTip(), QStringLiteral("开启麦克风"));
        QCOMPARE(w->cameraButton()->toolTip(), QStringLiteral("开启摄像头"));

        const QList<QJsonObject> frames = coHostFrames();
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames.at(0), (QJsonObject{{"type", "trtc_agree"},
                                            {"wechat_user_space_id", kId},
                                            {"trtc_login_redirect_uri", "xxxxxxxx"}}));
        QVERIFY(frames.at(0).value("wechat_user_space_id").isDouble());
    }

    void refuseOnlyRemovesTheRow()
    {
        std::unique_ptr<ItemConnectMicWidget> w(row(true));
        QSignalSpy removed(w.get(), &ItemConnectMicWidget::removeItem);
        QTest::mouseClick(w->refuseButton(), Qt::LeftButton);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.at(0).at(0).toInt(), int(kId));
        QVERIFY(coHostFrames().isEmpty());
    }

    // Only the confirmation sends "trtc_remove"; the viewer's name is shown as text.
    void removeAsksFirst()
    {
        QString title, content;
        std::function<void()> confirm;
        ItemConnectMicWidget::hooks().confirm = [&](QWidget*, const QString& t, const QString& c,
                                                    std::function<void()> onEnter) {
            title = t;
            content = c;
            confirm = onEnter;
        };
        std::unique_ptr<ItemConnectMicWidget> w(row(false, true, QStringLiteral("<b>x</b>")));
        QSignalSpy removed(w.get(), &ItemConnectMicWidget::removeItem);
        QTest::mouseClick(w->removeButton(), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("移除连麦"));
        QCOMPARE(content,
                 QStringLiteral("是否移除连麦用户 <font color='#FFFFFF'>&lt;b&gt;x&lt;/b&gt;</font> ？"));
        QVERIFY(coHostFrames().isEmpty());
        QCOMPARE(removed.size(), 0);

        confirm();
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.at(0).at(0).toInt(), int(kId));
        QCOMPARE(coHostFrames(),
                 (QList<QJsonObject>{{{"type", "trtc_remove"}, {"wechat_user_space_id", kId}}}));
    }

    // The room can take the row away while its question is open: the question goes with it.
    void confirmationDiesWithTheRow()
    {
        std::function<void()> confirm;
        ItemConnectMicWidget::hooks().confirm = [&](QWidget*, const QString&, const QString&,
                                                    std::function<void()> onEnter) { confirm = onEnter; };
        ItemConnectMicWidget* w = row(false);
        QTest::mouseClick(w->removeButton(), Qt::LeftButton);
        delete w;
        confirm();
        QVERIFY(coHostFrames().isEmpty());

        // The real dialog closes (and deletes itself) when its row goes.
        ItemConnectMicWidget::resetHooks();
        w = row(false, true, QStringLiteral("<i>y</i>"));
        QTest::mouseClick(w->removeButton(), Qt::LeftButton);
        QPointer<ChatRecordOptDialog> dialog;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<ChatRecordOptDialog*>(top); d && d->isVisible())
                dialog = d;
        QVERIFY(dialog);
        QVERIFY(dialog->findChild<QLabel*>("content")->text().contains("&lt;i&gt;y&lt;/i&gt;"));
        w->deleteLater();
        QTRY_VERIFY(!dialog);
        QVERIFY(coHostFrames().isEmpty());
    }

    // The host's own row starts with both on and has no remove button; the disabled states
    // stay disabled whatever state is set later.
    void hostRowAndDisabledStates()
    {
        std::unique_ptr<ItemConnectMicWidget> w(row(false, false));
        QCOMPARE(w->badgeLabel()->text(), QStringLiteral("主麦"));
        QVERIFY(!w->removeButton());
        QVERIFY(w->micOn() && w->cameraOn());
        QCOMPARE(w->micButton()->toolTip(), QStringLiteral("关闭麦克风"));
        QCOMPARE(w->cameraButton()->toolTip(), QStringLiteral("关闭摄像头"));

        w->setNoMic();
        w->setNoCamera();
        QVERIFY(!w->micButton()->isEnabled() && !w->cameraButton()->isEnabled());
        QCOMPARE(w->micButton()->toolTip(), QStringLiteral("无麦克风"));
        QCOMPARE(w->cameraButton()->toolTip(), QStringLiteral("无摄像头"));
        QVERIFY(w->micOn() && w->cameraOn()); // the stored flags stay
        w->setMicState(true);
        w->setCameraState(false);
        QVERIFY(!w->micButton()->isEnabled() && !w->cameraButton()->isEnabled());
    }

    void nameIsElidedAt140Pixels()
    {
        const QString longName = QString(40, QChar(0x540D)) + QStringLiteral("end");
        std::unique_ptr<ItemConnectMicWidget> w(row(true, true, longName));
        QLabel* name = w->nameLabel();
        const QFontMetrics metrics(name->font());
        QVERIFY(metrics.horizontalAdvance(longName) > 140);
        QCOMPARE(name->text(), metrics.elidedText(longName, Qt::ElideRight, 140));
        QVERIFY(name->text().endsWith(QChar(0x2026)));
        QCOMPARE(w->badgeLabel()->text(), QStringLiteral("副麦"));
        QCOMPARE(w->badgeLabel()->size(), QSize(32, 16));

        std::unique_ptr<ItemConnectMicWidget> shortRow(row(true, true, QStringLiteral("Bo")));
        QCOMPARE(shortRow->nameLabel()->text(), QStringLiteral("Bo"));
    }

    void avatarIsCachedAndShownRound()
    {
        QFile::remove(cacheFile());
        std::unique_ptr<ItemConnectMicWidget> w(row(false));
        QTRY_VERIFY_WITH_TIMEOUT(w->avatarSettled(), kWait);
        const QImage cached = ImageUtils::loadImageFile(cacheFile());
        QCOMPARE(cached.size(), QSize(64, 64));
        const QImage shown = w->avatarLabel()->pixmap(Qt::ReturnByValue).toImage();
        QCOMPARE(shown.size(), QSize(40, 40));
        QCOMPARE(shown, expectedRound(QPixmap::fromImage(cached)));
        QCOMPARE(qAlpha(shown.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(shown.pixel(20, 20)), 255);
    }

    void avatarFailureShowsTheFallbackAndDropsTheCache()
    {
        QDir().mkpath(QFileInfo(cacheFile()).path());
        QFile stale(cacheFile());
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("old") == 3);
        stale.close();
        std::unique_ptr<ItemConnectMicWidget> w(row(false, true, "Alice", picture("/no/such/picture.png")));
        QTRY_VERIFY_WITH_TIMEOUT(w->avatarSettled(), kWait);
        QVERIFY(!QFile::exists(cacheFile()));
        QCOMPARE(w->avatarLabel()->pixmap(Qt::ReturnByValue).toImage(),
                 expectedRound(ImageUtils::fallbackPixmap()));
    }

    // A viewer's "file:" address reads nothing from the host's disk.
    void localAddressesAreNotFetched()
    {
        QFile::remove(cacheFile());
        std::unique_ptr<ItemConnectMicWidget> w(row(false, true, "Alice", "file:///etc/hostname"));
        QVERIFY(w->avatarSettled());
        QVERIFY(!QFile::exists(cacheFile()));
        QCOMPARE(w->avatarLabel()->pixmap(Qt::ReturnByValue).toImage(),
                 expectedRound(ImageUtils::fallbackPixmap()));
    }

    // The row's almost invisible buttons still take every click.
    void transparentButtonTakesClicks()
    {
        QWidget row;
        auto* layout = new QHBoxLayout(&row);
        auto* transparent = new TransparentButton(nullptr);
        layout->addWidget(transparent);
        transparent->setFixedSize(20, 20);
        row.show();
        QVERIFY(!transparent->isWindow());
        QSignalSpy clicked(transparent, &QPushButton::clicked);
        QTest::mouseClick(transparent, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        // A flat button paints nothing of its own here: what remains is the alpha-1 black cover,
        // on every pixel.
        transparent->setFlat(true);
        QImage picture(transparent->size(), QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        transparent->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
        for (const QPoint p : {QPoint(0, 0), QPoint(19, 19), QPoint(10, 3)})
            QCOMPARE(qAlpha(picture.pixel(p)), 1);
    }
};

QTEST_MAIN(tst_ItemConnectMicWidget)
#include "tst_ItemConnectMicWidget.moc"
