// test-label: unit
#include "widgets/ChatRecordOptDialog.h"

#include "widgets/ClickableLabel.h"

#include <QPushButton>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

class tst_ChatRecordOptDialog : public QObject
{
    Q_OBJECT
private:
    struct Form {
        QLabel* title;
        QLabel* content;
        ClickableLabel* close_btn;
        QPushButton* cancel_btn;
        QPushButton* enter_btn;
        explicit Form(QDialog* d)
            : title(d->findChild<QLabel*>("title")), content(d->findChild<QLabel*>("content")),
              close_btn(d->findChild<ClickableLabel*>("close_btn")),
              cancel_btn(d->findChild<QPushButton*>("cancel_btn")),
              enter_btn(d->findChild<QPushButton*>("enter_btn"))
        {
        }
    };

    static QPointer<ChatRecordOptDialog> open()
    {
        auto* dlg = new ChatRecordOptDialog;
        dlg->setTitle(QStringLiteral("删除消息"));
        dlg->setContent(QStringLiteral("确定删除 <b>这条</b> 消息吗？"));
        dlg->show();
        return dlg;
    }

private slots:
    void form()
    {
        QPointer<ChatRecordOptDialog> dlg = open();
        const Form ui(dlg);
        QCOMPARE(dlg->size(), QSize(400, 174));
        QCOMPARE(ui.cancel_btn->text(), QStringLiteral("取 消"));
        QCOMPARE(ui.enter_btn->text(), QStringLiteral("确  定"));
        QCOMPARE(ui.title->text(), QStringLiteral("删除消息"));
        QCOMPARE(ui.content->textFormat(), Qt::RichText);
        QVERIFY(ui.content->wordWrap());
        QCOMPARE(ui.close_btn->geometry(), QRect(360, 21, 16, 16));
        QCOMPARE(ui.close_btn->pixmap(Qt::ReturnByValue).size(), QSize(16, 16));
        QCOMPARE(ui.cancel_btn->geometry(), QRect(240, 118, 62, 32));
        QCOMPARE(ui.enter_btn->geometry(), QRect(314, 118, 62, 32));
        QCOMPARE(dlg->windowModality(), Qt::ApplicationModal);
        QVERIFY(dlg->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(dlg->windowFlags().testFlag(Qt::FramelessWindowHint));
        dlg->close();
        QTRY_VERIFY(dlg.isNull());
    }

    void closingWithoutConfirming_data()
    {
        QTest::addColumn<bool>("viaCloseLabel");
        QTest::newRow("取 消") << false;
        QTest::newRow("close label") << true;
    }
    void closingWithoutConfirming()
    {
        QFETCH(bool, viaCloseLabel);
        QPointer<ChatRecordOptDialog> dlg = open();
        QSignalSpy enter(dlg.data(), &ChatRecordOptDialog::onEnter);
        QSignalSpy cancel(dlg.data(), &ChatRecordOptDialog::cancelDialog);
        if (viaCloseLabel)
            QTest::mouseClick(Form(dlg).close_btn, Qt::LeftButton);
        else
            QTest::mouseClick(Form(dlg).cancel_btn, Qt::LeftButton);
        QTRY_VERIFY(dlg.isNull());
        QCOMPARE(enter.count(), 0);
        QCOMPARE(cancel.count(), 0);
    }

    void confirmingEmitsOnceBeforeGoing()
    {
        QPointer<ChatRecordOptDialog> dlg = open();
        int calls = 0;
        bool aliveAndShown = false;
        connect(dlg.data(), &ChatRecordOptDialog::onEnter, this, [&] {
            ++calls;
            aliveAndShown = dlg && dlg->isVisible();
        });
        QTest::mouseClick(Form(dlg).enter_btn, Qt::LeftButton);
        QTRY_VERIFY(dlg.isNull());
        QCOMPARE(calls, 1);
        QVERIFY(aliveAndShown);
    }
};

QTEST_MAIN(tst_ChatRecordOptDialog)
#include "tst_ChatRecordOptDialog.moc"
