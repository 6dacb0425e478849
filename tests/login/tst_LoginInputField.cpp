// test-label: unit
#include "login/PassWordEdit.h"
#include "login/PhoneNumEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

class tst_LoginInputField : public QObject
{
    Q_OBJECT
private slots:
    void phoneFieldTakesDigitsOnly_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("digits") << "13800000000"
                                << "13800000000";
        QTest::newRow("letters dropped") << "12ab3"
                                         << "123";
        QTest::newRow("signs dropped") << "+86 138-0"
                                       << "861380";
        QTest::newRow("long number kept") << QString(40, '9') << QString(40, '9');
    }
    void phoneFieldTakesDigitsOnly()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        PhoneNumEdit edit;
        QTest::keyClicks(edit.lineEdit(), typed);
        QCOMPARE(edit.text(), kept);
    }

    void editingFollowsTheClearIconRule()
    {
        PhoneNumEdit edit;
        QSignalSpy changed(&edit, &LoginInputField::textChanged);
        edit.setText("138");
        QCOMPARE(changed.count(), 0);           // text set from code emits nothing
        QVERIFY(!edit.clearIcon()->isHidden()); // visible from the start

        QTest::keyClick(edit.lineEdit(), Qt::Key_Backspace);
        QCOMPARE(changed.last().at(0).toString(), QString("13"));
        QVERIFY(!edit.clearIcon()->isHidden());

        QTest::mousePress(edit.clearIcon(), Qt::LeftButton);
        QCOMPARE(edit.text(), QString());
        QVERIFY(edit.clearIcon()->isHidden());
        QCOMPARE(changed.last().at(0).toString(), QString());
        QCOMPARE(edit.lineEdit()->styleSheet(), QString("QLineEdit{color:#B8BEC4;}"));

        QTest::keyClicks(edit.lineEdit(), "5");
        QVERIFY(!edit.clearIcon()->isHidden());
        QCOMPARE(edit.lineEdit()->styleSheet(), QString("QLineEdit{color:#191919;}"));
    }

    void eyeIconTogglesThePassword()
    {
        PassWordEdit edit;
        QCOMPARE(edit.lineEdit()->objectName(), QString("passwd_edit"));
        QCOMPARE(edit.lineEdit()->echoMode(), QLineEdit::Password);
        QTest::keyClicks(edit.lineEdit(), "a&b c");
        QCOMPARE(edit.text(), QString("a&b c")); // any text
        QTest::mousePress(edit.eyeIcon(), Qt::LeftButton);
        QCOMPARE(edit.lineEdit()->echoMode(), QLineEdit::Normal);
        QTest::mousePress(edit.eyeIcon(), Qt::LeftButton);
        QCOMPARE(edit.lineEdit()->echoMode(), QLineEdit::Password);
    }
};

QTEST_MAIN(tst_LoginInputField)
#include "tst_LoginInputField.moc"
