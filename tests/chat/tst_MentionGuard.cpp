// test-label: unit
// The mention in front of the chat input goes as one piece, and lets go once it is gone.
#include "chat/MentionGuard.h"

#include <QTextCursor>
#include <QTextEdit>
#include <QtTest>

class tst_MentionGuard : public QObject
{
    Q_OBJECT

    static void placeCursor(QTextEdit& edit, int pos)
    {
        QTextCursor c = edit.textCursor();
        c.setPosition(pos);
        edit.setTextCursor(c);
    }

private slots:
    void backspaceIntoTheMentionTakesItWhole()
    {
        QTextEdit edit;
        MentionGuard guard(&edit);
        int lost = 0;
        guard.mentionLost = [&lost] { ++lost; };
        guard.setMention("Bob", "hello");
        QCOMPARE(edit.toPlainText(), QStringLiteral("@Bob hello"));
        QVERIFY(guard.isActive());

        // the cursor cannot stand inside the mention
        placeCursor(edit, 2);
        QCOMPARE(edit.textCursor().position(), 5);

        // typing after the mention keeps it
        QTest::keyClicks(&edit, "x");
        QCOMPARE(edit.toPlainText(), QStringLiteral("@Bob xhello"));
        QVERIFY(guard.isActive());
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.toPlainText(), QStringLiteral("@Bob hello"));
        QCOMPARE(lost, 0);

        // a backspace into it removes what is left of it, once, and the host's words stay
        placeCursor(edit, 5);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.toPlainText(), QStringLiteral("hello"));
        QVERIFY(!guard.isActive());
        QCOMPARE(lost, 1);
        // no longer guarded: the cursor moves freely, a further backspace is ordinary
        placeCursor(edit, 1);
        QCOMPARE(edit.textCursor().position(), 1);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.toPlainText(), QStringLiteral("ello"));
        QCOMPARE(lost, 1);
    }

    void clearingTheInputLetsGo()
    {
        QTextEdit edit;
        MentionGuard guard(&edit);
        int lost = 0;
        guard.mentionLost = [&lost] { ++lost; };
        guard.setMention("Ann", QString());
        edit.clear(); // a send empties the input
        QVERIFY(!guard.isActive());
        QCOMPARE(lost, 1);
        QTest::keyClicks(&edit, "abc");
        QCOMPARE(edit.toPlainText(), QStringLiteral("abc"));

        // typing over the whole input replaces the mention with what was typed
        guard.setMention("Ann", "long words");
        edit.selectAll();
        QTest::keyClicks(&edit, "z");
        QCOMPARE(edit.toPlainText(), QStringLiteral("z"));
        QVERIFY(!guard.isActive());
        QCOMPARE(lost, 2);
    }

    void nicknameAndTextAreShownLiterally()
    {
        QTextEdit edit;
        MentionGuard guard(&edit);
        guard.setMention("<i>x</i>", "<b>&amp;</b>");
        QCOMPARE(edit.toPlainText(), QStringLiteral("@<i>x</i> <b>&amp;</b>"));
        // a second mention replaces the first
        guard.setMention("Eve", "rest");
        QCOMPARE(edit.toPlainText(), QStringLiteral("@Eve rest"));
        QVERIFY(guard.isActive());
    }
};

QTEST_MAIN(tst_MentionGuard)
#include "tst_MentionGuard.moc"
