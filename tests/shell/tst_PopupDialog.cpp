// test-label: unit
// The settings popup on its own: size and rows, the signals of its texts, the host's name
// shortened to 60 px, the place under its button and the close signal.
#include "core/UntrustedText.h"
#include "core/DataCenter.h"
#include "shell/PopupDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_PopupDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;

    static QLabel* labelWithToolTip(QWidget& parent, const QString& tip)
    {
        for (QLabel* label : parent.findChildren<QLabel*>())
            if (label->toolTip() == solvek::plainToolTip(tip))
                return label;
        return nullptr;
    }
    static QLabel* labelWithText(QWidget& parent, const char* text)
    {
        for (QLabel* label : parent.findChildren<QLabel*>())
            if (label->text() == QString::fromUtf8(text))
                return label;
        return nullptr;
    }
    // The icon beside a row's text: the label with a pixmap in the same row.
    static QLabel* iconBeside(QWidget& parent, QLabel* text)
    {
        for (QLabel* label : parent.findChildren<QLabel*>())
            if (!label->pixmap(Qt::ReturnByValue).isNull() &&
                qAbs(label->geometry().center().y() - text->geometry().center().y()) <= 2)
                return label;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", m_dir.filePath("data").toUtf8());
        m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
        m_store->userDocDir = m_dir.filePath("user42");
        CDataCenter::setInstanceForTesting(m_store);
    }
    void cleanupTestCase() { CDataCenter::setInstanceForTesting(nullptr); }

    void frame()
    {
        PopupDialog d(nullptr, QString::fromUtf8("主播"));
        QCOMPARE(d.size(), QSize(140, 161));
        QVERIFY(d.windowFlags().testFlag(Qt::Popup));
        QVERIFY(d.windowFlags().testFlag(Qt::FramelessWindowHint));
        d.show();
        QVERIFY(labelWithText(d, "更多设置")->isVisible());
        QVERIFY(labelWithText(d, "退出登录")->isVisible());
        QVERIFY(!labelWithText(d, "检查更新")->isVisible());
        QVERIFY(labelWithText(d, "更多设置")->y() < labelWithText(d, "退出登录")->y());
        QLabel* name = labelWithText(d, "主播");
        QVERIFY(name->isVisible());
        QVERIFY(name->y() < labelWithText(d, "更多设置")->y());
        const QString avatarStyle = QStringLiteral("border-image:url(%1/temp.jpeg) 0 0 0 0 stretch stretch;"
                                                   "border-radius:12px;")
                                        .arg(m_store->userDocDir);
        bool avatarFound = false;
        for (QLabel* label : d.findChildren<QLabel*>())
            if (label->styleSheet() == avatarStyle) {
                QCOMPARE(label->size(), QSize(24, 24));
                avatarFound = true;
            }
        QVERIFY(avatarFound);
    }

    // A press on a row's text emits its signal; the icons and the name do not react.
    void rowSignals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("onIcon");
        QTest::addColumn<QString>("signal");
        QTest::newRow("more settings") << QString::fromUtf8("更多设置") << false << "more";
        QTest::newRow("check update") << QString::fromUtf8("检查更新") << false << "update";
        QTest::newRow("logout") << QString::fromUtf8("退出登录") << false << "logout";
        QTest::newRow("more settings icon") << QString::fromUtf8("更多设置") << true << "";
        QTest::newRow("logout icon") << QString::fromUtf8("退出登录") << true << "";
        QTest::newRow("name") << QString::fromUtf8("主播") << false << "";
    }
    void rowSignals()
    {
        QFETCH(QString, text);
        QFETCH(bool, onIcon);
        QFETCH(QString, signal);
        PopupDialog d(nullptr, QString::fromUtf8("主播"));
        d.show();
        QSignalSpy more(&d, &PopupDialog::more_settings_clicked);
        QSignalSpy update(&d, &PopupDialog::check_update_clicked);
        QSignalSpy logout(&d, &PopupDialog::logout_clicked);
        QLabel* target = labelWithText(d, text.toUtf8().constData());
        QVERIFY(target);
        if (onIcon) {
            target = iconBeside(d, target);
            QVERIFY(target);
        }
        QTest::mousePress(target, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(more.count(), signal == "more" ? 1 : 0);
        QCOMPARE(update.count(), signal == "update" ? 1 : 0);
        QCOMPARE(logout.count(), signal == "logout" ? 1 : 0);
    }

    void nameShortenedTo60Pixels()
    {
        const QString longName = QString::fromUtf8("一个非常非常非常长的主播名字");
        PopupDialog d(nullptr, longName);
        QLabel* name = labelWithToolTip(d, longName);
        QVERIFY(name);
        const QString shown = name->text();
        QVERIFY(shown.endsWith("..."));
        QVERIFY(longName.startsWith(shown.chopped(3)));
        QVERIFY(shown.size() > 3);
        QCOMPARE(shown, PopupDialog::shownName(longName, name->fontMetrics()));
        QVERIFY(name->fontMetrics().horizontalAdvance(shown.chopped(3)) < PopupDialog::kNameElideWidth);

        PopupDialog shortOne(nullptr, "Bo");
        QVERIFY(labelWithText(shortOne, "Bo"));

        // The name comes from the service: markup in it is shown as written.
        const QString markupName = QStringLiteral("<i>B</i>");
        PopupDialog markup(nullptr, markupName);
        QLabel* shownMarkup = labelWithToolTip(markup, markupName);
        QVERIFY(shownMarkup);
        QCOMPARE(shownMarkup->text(), PopupDialog::shownName(markupName, shownMarkup->fontMetrics()));
        QVERIFY(shownMarkup->sizeHint().width() >=
                shownMarkup->fontMetrics().horizontalAdvance(shownMarkup->text()));
    }

    void spacerWidth_data()
    {
        QTest::addColumn<int>("nameWidth");
        QTest::addColumn<int>("spacer");
        QTest::newRow("short") << 28 << 25;
        QTest::newRow("odd") << 29 << 24;
        QTest::newRow("row full") << 78 << 0;
        QTest::newRow("wider than the row") << 200 << 0;
    }
    void spacerWidth()
    {
        QFETCH(int, nameWidth);
        QFETCH(int, spacer);
        QCOMPARE(PopupDialog::userRowSpacerWidth(nameWidth), spacer);
    }

    void placedUnderItsButton()
    {
        QWidget window;
        window.setGeometry(200, 150, 400, 100);
        auto* button = new QPushButton(&window);
        button->setGeometry(300, 20, 12, 12);
        window.show();
        PopupDialog d(button, "Bo");
        const QPoint p = button->mapToGlobal(QPoint(6, 12 + 26));
        d.placeUnderParent();
        QCOMPARE(d.pos(), QPoint(p.x() - 70, p.y()));

        PopupDialog orphan(nullptr, "Bo");
        orphan.move(10, 20);
        orphan.placeUnderParent();
        QCOMPARE(orphan.pos(), QPoint(10, 20));
    }

    void closesOnAPressOutside()
    {
        PopupDialog d(nullptr, "Bo");
        d.show();
        QSignalSpy closed(&d, &PopupDialog::sigPopupDialogClose);
        QTest::mousePress(&d, Qt::LeftButton, {}, QPoint(-20, -20));
        QCOMPARE(closed.count(), 1);
        QVERIFY(!d.isVisible());
    }
};

QTEST_MAIN(tst_PopupDialog)
#include "tst_PopupDialog.moc"
