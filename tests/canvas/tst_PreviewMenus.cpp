// test-label: unit
// The preview's popup menus and the separate camera window: their shape, the rows each mode
// offers, and which signal a left press on a row emits (and whether the press goes further).
#include "canvas/RightChildMenu.h"
#include "canvas/RightMenu.h"
#include "canvas/ShowCarmeraWidget.h"
#include "canvas/SortPageMenu.h"
#include "core/Toast.h"
#include "widgets/RoundLabel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>
#include <vector>

namespace
{

// A left (or other) press on `target` as the menu watching it sees it; true when the menu
// consumes it.
bool press(QWidget* target, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget* menu = target;
    while (menu && !qobject_cast<PopupMenuFrame*>(menu))
        menu = menu->parentWidget();
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(2, 2), target->mapToGlobal(QPoint(2, 2)), button,
                      button, Qt::NoModifier);
    return static_cast<QObject*>(menu)->eventFilter(target, &event);
}

// Records every signal of `menu` as "name(args)".
struct SignalLog {
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    QStringList names;

    explicit SignalLog(QObject* menu)
    {
        const QMetaObject* meta = menu->metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() != QMetaMethod::Signal)
                continue;
            spies.push_back(std::make_unique<QSignalSpy>(menu, method));
            names << QString::fromLatin1(method.name());
        }
    }
    QStringList emitted() const
    {
        QStringList out;
        for (size_t i = 0; i < spies.size(); ++i)
            for (const QList<QVariant>& args : *spies[i]) {
                QStringList parts;
                for (const QVariant& arg : args)
                    parts << arg.toString();
                out << names[int(i)] + "(" + parts.join(",") + ")";
            }
        return out;
    }
};

QStringList rowTexts(QVBoxLayout* column)
{
    QStringList texts;
    for (int i = 0; i < column->count(); ++i) {
        QLayout* row = column->itemAt(i)->layout();
        texts << qobject_cast<QLabel*>(row->itemAt(1)->widget())->text();
    }
    return texts;
}

bool rowShown(const PopupMenuFrame::Row& row)
{
    return !row.icon->isHidden() && !row.text->isHidden() && (!row.arrow || !row.arrow->isHidden());
}

} // namespace

class tst_PreviewMenus : public QObject
{
    Q_OBJECT

private slots:
    void shape();
    void rightMenuModes();
    void clicks_data();
    void clicks();
    void pressOutsideRows();
    void sortMenuShowsToast();
    void cameraWindow();
};

void tst_PreviewMenus::shape()
{
    RightMenu right;
    RightChildMenu child;
    SortPageMenu sort;
    const struct {
        PopupMenuFrame* menu;
        QSize size;
        QStringList rows;
        QMargins margins;
    } cases[] = {
        {&right, {100, 110}, {"取消应用", "翻转", "重置"}, {8, 1, 0, 1}},
        {&child, {140, 136}, {"顺时针旋转90度", "逆时针旋转90度", "水平翻转", "垂直翻转"}, {8, 6, 0, 6}},
        {&sort, {140, 68}, {"移至顶层", "移至底层"}, {8, 6, 0, 6}},
    };
    for (const auto& c : cases) {
        QVERIFY(c.menu->windowFlags().testFlag(Qt::Tool));
        QVERIFY(c.menu->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(c.menu->testAttribute(Qt::WA_TranslucentBackground));
        QCOMPARE(c.menu->frame()->size(), c.size);
        QCOMPARE(c.menu->frame()->styleSheet(),
                 QString("QFrame{background-color:#2C2F42;border:none;border-radius:4px;}"));
        QCOMPARE(c.menu->column()->contentsMargins(), QMargins(0, 4, 0, 4));
        QCOMPARE(rowTexts(c.menu->column()), c.rows);
        QCOMPARE(c.menu->column()->itemAt(0)->layout()->contentsMargins(), c.margins);
        QCOMPARE(c.menu->column()->itemAt(0)->layout()->spacing(), 4);
    }
    QVERIFY(right.testAttribute(Qt::WA_MouseTracking));
    QCOMPARE(right.row(RightMenu::OverturnRow).layout->contentsMargins(), QMargins(8, 1, 20, 1));
    QCOMPARE(right.row(RightMenu::CancelRow).icon->size(), QSize(16, 16));
    QCOMPARE(right.row(RightMenu::CancelRow).icon->styleSheet(),
             QString("border-image:url(:/images/live/cancle.png)"));
    QCOMPARE(right.row(RightMenu::SortRow).arrow->styleSheet(),
             QString("border-image:url(:/images/live/overturnicon.png)"));
    QVERIFY(!right.row(RightMenu::ResetRow).arrow);
    QCOMPARE(right.row(RightMenu::ResetRow).text->styleSheet(),
             QString("font-family: Microsoft YaHei;font-size: 14px;color: #ffffff;line-height: 20px;"));
    QCOMPARE(child.row(RightChildMenu::VerticalRow).icon->styleSheet(),
             QString("border-image:url(:/images/live/vertical.png)"));
    // The one-step rows exist but are not offered.
    QCOMPARE(sort.row(SortPageMenu::UpRow).text->text(), QString("上移一层"));
    QVERIFY(!rowShown(sort.row(SortPageMenu::UpRow)));
    QVERIFY(!rowShown(sort.row(SortPageMenu::DownRow)));
}

void tst_PreviewMenus::rightMenuModes()
{
    RightMenu menu;
    menu.setMode(42, 7);
    QCOMPARE(rowTexts(menu.column()), (QStringList{"取消应用", "排序", "重置"}));
    QVERIFY(rowShown(menu.row(RightMenu::SortRow)));
    QVERIFY(!rowShown(menu.row(RightMenu::OverturnRow)));
    QCOMPARE(menu.userId(), 42);
    QCOMPARE(menu.roomId(), 7);

    // Twice the same mode, then back: still three rows, the host's own row second.
    menu.setMode(42, 7);
    menu.setMode(0, 0);
    QCOMPARE(rowTexts(menu.column()), (QStringList{"取消应用", "翻转", "重置"}));
    QVERIFY(rowShown(menu.row(RightMenu::OverturnRow)));
    QVERIFY(!rowShown(menu.row(RightMenu::SortRow)));
    QCOMPARE(menu.userId(), 0);
}

void tst_PreviewMenus::clicks_data()
{
    QTest::addColumn<int>("menu"); // 0 RightMenu, 1 RightChildMenu
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("part"); // 0 icon, 1 text, 2 arrow
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("emitted");
    QTest::addColumn<bool>("consumed");

    QTest::newRow("取消应用, own") << 0 << int(RightMenu::CancelRow) << 1 << 0 << "sendCancleClicked()"
                                   << false;
    QTest::newRow("取消应用, co-host")
        << 0 << int(RightMenu::CancelRow) << 0 << 42 << "sigCancelRefClicked(42)" << false;
    QTest::newRow("翻转, own, arrow")
        << 0 << int(RightMenu::OverturnRow) << 2 << 0 << "sendOverturnClicked(0)" << true;
    QTest::newRow("排序, co-host") << 0 << int(RightMenu::SortRow) << 1 << 42 << "sigSortPageClicked(42)"
                                   << true;
    QTest::newRow("重置, own") << 0 << int(RightMenu::ResetRow) << 1 << 0 << "sendResetClicked()" << false;
    QTest::newRow("重置, co-host") << 0 << int(RightMenu::ResetRow) << 0 << 42 << "sigResetClicked(42)"
                                   << false;

    const int child = 1;
    QTest::newRow("顺时针, own") << child << int(RightChildMenu::ClockwiseRow) << 1 << 0
                                 << "sendClockwiseClicked()" << true;
    QTest::newRow("顺时针, co-host") << child << int(RightChildMenu::ClockwiseRow) << 1 << 42
                                     << "sigClockwiseRotate(42)" << true;
    QTest::newRow("逆时针, own") << child << int(RightChildMenu::AnticlockwiseRow) << 0 << 0
                                 << "sendAanticlockwiseClicked()" << true;
    QTest::newRow("逆时针, co-host") << child << int(RightChildMenu::AnticlockwiseRow) << 1 << 42
                                     << "sigUnClockwiseRotate(42)" << true;
    QTest::newRow("水平翻转, own") << child << int(RightChildMenu::LevelRow) << 1 << 0 << "sendLevelClicked()"
                                   << true;
    QTest::newRow("水平翻转, co-host")
        << child << int(RightChildMenu::LevelRow) << 1 << 42 << "sigRemoteLevelClicked(42)" << true;
    QTest::newRow("垂直翻转, own") << child << int(RightChildMenu::VerticalRow) << 1 << 0
                                   << "sendVerticalClicked()" << true;
    QTest::newRow("垂直翻转, co-host")
        << child << int(RightChildMenu::VerticalRow) << 0 << 42 << "sendVerticalClicked()" << true;
}

void tst_PreviewMenus::clicks()
{
    QFETCH(int, menu);
    QFETCH(int, row);
    QFETCH(int, part);
    QFETCH(int, id);
    QFETCH(QString, emitted);
    QFETCH(bool, consumed);

    RightMenu right;
    RightChildMenu child;
    PopupMenuFrame* shown = menu == 0 ? static_cast<PopupMenuFrame*>(&right) : &child;
    right.setMode(id, 3);
    child.setUserId(id);
    const PopupMenuFrame::Row r =
        menu == 0 ? right.row(RightMenu::RowId(row)) : child.row(RightChildMenu::RowId(row));
    QLabel* target = part == 0 ? r.icon : part == 1 ? r.text : r.arrow;
    shown->show();
    SignalLog log(shown);

    QCOMPARE(press(target, Qt::RightButton), false); // only the left button chooses
    QVERIFY(log.emitted().isEmpty());
    QCOMPARE(press(target), consumed);
    QCOMPARE(log.emitted(), QStringList{emitted});
    // The context menu hides on the choice; the submenu stays open.
    QCOMPARE(shown->isVisible(), menu == 1);
}

void tst_PreviewMenus::pressOutsideRows()
{
    RightMenu right;
    SortPageMenu sort;
    for (PopupMenuFrame* menu : {static_cast<PopupMenuFrame*>(&right), static_cast<PopupMenuFrame*>(&sort)}) {
        menu->show();
        SignalLog log(menu);
        QCOMPARE(press(menu->frame()), false);
        QVERIFY(log.emitted().isEmpty());
        QVERIFY(!menu->isVisible());
    }
}

void tst_PreviewMenus::sortMenuShowsToast()
{
    QWidget host;
    host.show();
    Toast* toast = Toast::getInstance(&host);
    SortPageMenu sort;
    sort.setUserId(42);
    const struct {
        SortPageMenu::RowId row;
        const char* emitted;
    } cases[] = {{SortPageMenu::TopRow, "sigTopPage(42)"}, {SortPageMenu::BottomRow, "sigBottomPage(42)"}};
    for (const auto& c : cases) {
        toast->textLabel()->clear();
        sort.show();
        SignalLog log(&sort);
        QCOMPARE(press(sort.row(c.row).text), false);
        QCOMPARE(log.emitted(), QStringList{c.emitted});
        QVERIFY(!sort.isVisible());
        QCOMPARE(toast->textLabel()->text(), QString("操作成功"));
        QVERIFY(toast->isVisible());
    }
    // The rows not offered emit without a toast.
    toast->textLabel()->clear();
    SignalLog log(&sort);
    press(sort.row(SortPageMenu::UpRow).text);
    press(sort.row(SortPageMenu::DownRow).icon);
    QCOMPARE(log.emitted(), (QStringList{"sigUpPage(42)", "sigDownPage(42)"}));
    QCOMPARE(toast->textLabel()->text(), QString());
    Toast::resetInstance();
}

void tst_PreviewMenus::cameraWindow()
{
    QWidget preview;
    auto* window = new ShowCarmeraWidget(&preview);
    QCOMPARE(window->objectName(), QString("ShowCameraWidget"));
    QCOMPARE(window->windowTitle(), QString("Form"));
    QCOMPARE(window->minimumSize(), QSize(280, 158));
    QCOMPARE(window->maximumSize(), QSize(640, 480));
    QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    auto* label = window->findChild<QLabel*>("label");
    QVERIFY(label);
    QCOMPARE(label->geometry(), QRect(0, 0, 280, 158));
    QCOMPARE(window->avatar()->size(), QSize(100, 100));
    QCOMPARE(window->avatar()->geometry().center(), QRect(0, 0, 280, 158).center());
    QVERIFY(window->avatar()->isHidden());

    RightMenu* menu = window->rightMenu();
    RightChildMenu* child = window->rightChildMenu();
    QVERIFY(menu->isHidden());
    QVERIFY(child->isHidden());
    window->setMenusVisible(true);
    QVERIFY(menu->isVisible() && child->isVisible());
    window->setMenusVisible(false);
    QVERIFY(menu->isHidden() && child->isHidden());

    // A right press opens its menu for the host's camera; "翻转" opens the submenu beside it.
    preview.show();
    window->show();
    const QPoint at = window->mapToGlobal(QPoint(2, 2));
    QMouseEvent rightPress(QEvent::MouseButtonPress, QPointF(2, 2), at, Qt::RightButton, Qt::RightButton,
                           Qt::NoModifier);
    QCoreApplication::sendEvent(window, &rightPress);
    QVERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), at);
    QVERIFY(rowShown(menu->row(RightMenu::OverturnRow)));
    press(menu->row(RightMenu::OverturnRow).text);
    QVERIFY(child->isVisible());
    QCOMPARE(child->pos(), at + QPoint(104, 35));

    // "取消应用" takes the camera off and hides menu and window.
    QSignalSpy cancelled(window, &ShowCarmeraWidget::sendCancleCamera);
    menu->show();
    press(menu->row(RightMenu::CancelRow).icon);
    QCOMPARE(cancelled.count(), 1);
    QVERIFY(!menu->isVisible());
    QVERIFY(!window->isVisible());
}

QTEST_MAIN(tst_PreviewMenus)
#include "tst_PreviewMenus.moc"
