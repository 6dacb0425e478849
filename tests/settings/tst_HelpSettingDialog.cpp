// test-label: unit
// The help page shows the program's version.
#include "settings/HelpSettingDialog.h"

#include <QLabel>
#include <QtTest>

class tst_HelpSettingDialog : public QObject
{
    Q_OBJECT

private slots:
    void showsTheVersion()
    {
        HelpSettingDialog page;
        page.show();
        QCOMPARE(page.findChild<QLabel*>("label_2")->text(), QString::fromUtf8("当前版本："));
        QLabel* version = page.findChild<QLabel*>("version_label");
        QCOMPARE(version->text(), QString("V2.0.1"));
        QVERIFY(version->isVisible());
        QCOMPARE(page.findChild<QLabel*>("label")->text(), QString::fromUtf8("版本中心"));
    }
};

QTEST_MAIN(tst_HelpSettingDialog)
#include "tst_HelpSettingDialog.moc"
