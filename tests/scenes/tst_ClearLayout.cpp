// test-label: unit
// Emptying a layout: nested layouts emptied and deleted, spacers deleted, widgets hidden and then
// deleted after the pending deferred deletions, or only hidden.
#include "scenes/SceneLayoutControl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <QtTest>

class tst_ClearLayout : public QObject
{
    Q_OBJECT

private slots:
    void emptiesNestedLayouts_data();
    void emptiesNestedLayouts();
    void nullLayout();
};

void tst_ClearLayout::emptiesNestedLayouts_data()
{
    QTest::addColumn<bool>("keepWidgets");
    QTest::newRow("delete widgets") << false;
    QTest::newRow("keep widgets") << true;
}

void tst_ClearLayout::emptiesNestedLayouts()
{
    QFETCH(bool, keepWidgets);
    QWidget host;
    auto* column = new QVBoxLayout(&host);
    column->addStretch();
    QPointer<QLabel> top = new QLabel("top", &host);
    column->addWidget(top);
    QPointer<QHBoxLayout> row = new QHBoxLayout;
    column->addLayout(row);
    QPointer<QVBoxLayout> inner = new QVBoxLayout;
    row->addLayout(inner);
    QPointer<QLabel> nested = new QLabel("nested", &host);
    inner->addWidget(nested);
    row->addSpacing(8);
    host.show();

    if (keepWidgets)
        clearLayoutKeepWidgets(column);
    else
        clearLayout(column);

    QCOMPARE(column->count(), 0);
    QVERIFY(!row && !inner);
    QVERIFY(top && nested); // a widget may be on the stack of the signal that emptied its layout
    QVERIFY(top->isHidden() && nested->isHidden());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (keepWidgets) {
        QVERIFY(top && nested);
        QCOMPARE(nested->parentWidget(), &host); // still owned by its widget, ready to be placed again
        column->addWidget(nested);
        QCOMPARE(column->count(), 1);
    } else {
        QVERIFY(!top && !nested);
    }
}

void tst_ClearLayout::nullLayout()
{
    clearLayout(nullptr);
    clearLayoutKeepWidgets(nullptr);
}

QTEST_MAIN(tst_ClearLayout)
#include "tst_ClearLayout.moc"
