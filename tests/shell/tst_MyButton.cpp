// test-label: unit
#include "shell/MyButton.h"

#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace
{
const QString kHover = QStringLiteral("QFrame::hover{background-color:rgb(44, 47, 66);font-family:Microsoft "
                                      "YaHei;font-weight:bold;font-size:14px;border-radius:4px;}");

// The frame style of a resting button: frame colour, text colour, icon background rule.
QString restingLook(const char* colour, const char* textColour, const char* iconBackground,
                    const QString& icon)
{
    const QString gap(28, ' ');
    return QStringLiteral("QFrame{background-color:%1;border-radius:4px;}").arg(QLatin1String(colour)) + gap +
           kHover +
           QStringLiteral("QLabel#textlbl{background-color:%1;color:%2;font-size:14px;text-align:top;}")
               .arg(QLatin1String(colour), QLatin1String(textColour)) +
           gap +
           QStringLiteral("QLabel#textlbl::hover{background-color:#2C2F42;color:%1;font-size:14px}")
               .arg(QLatin1String(textColour)) +
           QStringLiteral("QLabel#piclbl{%1border-image:url(:/images/live/%2);}")
               .arg(QLatin1String(iconBackground), icon);
}

QString normalLook(const QString& icon)
{
    return restingLook("#1C1F32", "#6B6C83", "", icon);
}

QString selectedLook(const QString& icon)
{
    return restingLook("#2C2F42", "#FFFFFF", "background-color:#2C2F42;", icon);
}

QString hoverLook(const char* frameColour, const QString& icon)
{
    return QStringLiteral("QFrame{background-color:%1;border-radius:4px;}").arg(QLatin1String(frameColour)) +
           QString(24, ' ') + kHover +
           QStringLiteral("QLabel#piclbl{border-image:url(:/images/live/%1);}").arg(icon);
}
} // namespace

class tst_MyButton : public QObject
{
    Q_OBJECT
private:
    static MyButton* makeButton(QWidget* parent, int type, bool selected)
    {
        auto* b = new MyButton(parent);
        b->initUi();
        b->setType(type);
        b->setSelected(selected);
        b->setIconAndText(QStringLiteral("document.png"), QStringLiteral("文档"));
        b->setFixedSize(74, 85);
        return b;
    }
    static void send(QObject* target, QEvent::Type type)
    {
        QEvent e(type);
        QCoreApplication::sendEvent(target, &e);
    }

private slots:
    void structure()
    {
        QWidget w;
        MyButton* b = makeButton(&w, 0, true);
        QCOMPARE(b->frame()->objectName(), QStringLiteral("frameButton"));
        QCOMPARE(b->iconLabel()->objectName(), QStringLiteral("piclbl"));
        QCOMPARE(b->iconLabel()->size(), QSize(36, 36));
        QCOMPARE(b->textLabel()->objectName(), QStringLiteral("textlbl"));
        QCOMPARE(b->textLabel()->text(), QStringLiteral("文档"));
        QCOMPARE(b->textLabel()->minimumSize(), QSize(56, 20));
        QCOMPARE(b->textLabel()->maximumSize(), QSize(56, 20));
        QCOMPARE(b->frame()->styleSheet(), selectedLook("document.png"));
        QCOMPARE(makeButton(&w, 1, false)->frame()->styleSheet(), normalLook("document.png"));
    }

    void oneClickframePerPress_data()
    {
        QTest::addColumn<int>("where"); // 0 frame, 1 icon, 2 text
        QTest::addColumn<int>("buttonValue");
        QTest::addColumn<int>("type");
        QTest::newRow("frame left") << 0 << int(Qt::LeftButton) << 0;
        QTest::newRow("icon left") << 1 << int(Qt::LeftButton) << 1;
        QTest::newRow("text left") << 2 << int(Qt::LeftButton) << 1;
        QTest::newRow("text right") << 2 << int(Qt::RightButton) << 0;
        QTest::newRow("frame middle") << 0 << int(Qt::MiddleButton) << 1;
    }
    void oneClickframePerPress()
    {
        QFETCH(int, where);
        QFETCH(int, buttonValue);
        const auto button = Qt::MouseButton(buttonValue);
        QFETCH(int, type);
        QWidget w;
        MyButton* b = makeButton(&w, type, false);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy spy(b, &MyButton::clickframe);
        QWidget* target = where == 0   ? static_cast<QWidget*>(b->frame())
                          : where == 1 ? static_cast<QWidget*>(b->iconLabel())
                                       : b->textLabel();
        const QPoint at = where == 0 ? QPoint(2, 2) : target->rect().center();
        QTest::mousePress(target, button, Qt::NoModifier, at);
        QTest::mouseRelease(target, button, Qt::NoModifier, at);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toInt(), type);
    }

    void selectionShowsOnlyAfterUpdateStyle()
    {
        QWidget w;
        MyButton* b = makeButton(&w, 1, false);
        b->setSelected(true);
        QCOMPARE(b->frame()->styleSheet(), normalLook("document.png"));
        b->updateStyle();
        QCOMPARE(b->frame()->styleSheet(), selectedLook("document.png"));
        QCOMPARE(b->textLabel()->styleSheet(),
                 QStringLiteral("QLabel{background-color:#2C2F42;color:#FFFFFF;font-size:14px}"));
        QCOMPARE(b->iconLabel()->styleSheet(), QStringLiteral("QLabel#piclbl{background-color:#2C2F42;}"));
        b->setSelected(false);
        b->updateStyle();
        QCOMPARE(b->frame()->styleSheet(), normalLook("document.png"));
        QCOMPARE(b->textLabel()->styleSheet(),
                 QStringLiteral("QLabel{background-color:#1C1F32;color:#6B6C83;font-size:14px}"));
        QCOMPARE(b->iconLabel()->styleSheet(), QStringLiteral("QLabel#piclbl{background-color:#1C1F32;}"));
    }

    void hoverAndLeave_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("enterText");
        QTest::addColumn<QString>("leaveFrame");
        QTest::addColumn<QString>("leaveText");
        QTest::addColumn<QString>("leaveIcon");
        QTest::newRow("selected") << true << "QLabel{background-color:#2C2F42;color:#FFFFFF;font-size:14px}"
                                  << hoverLook("#2C2F42", "document.png")
                                  << "QLabel{background-color:#2C2F42;color:#FFFFFF;font-size:14px}"
                                  << "QLabel#piclbl{background-color:#2C2F42;}";
        QTest::newRow("normal") << false << "QLabel{background-color:#2C2F42;color:#6B6C83;font-size:14px}"
                                << hoverLook("#1C1F32", "document.png")
                                << "QLabel{background-color:#1C1F32;color:#6B6C83;font-size:14px}"
                                << "QLabel#piclbl{background-color:#1C1F32;}";
    }
    void hoverAndLeave()
    {
        QFETCH(bool, selected);
        QFETCH(QString, enterText);
        QFETCH(QString, leaveFrame);
        QFETCH(QString, leaveText);
        QFETCH(QString, leaveIcon);
        QWidget w;
        MyButton* b = makeButton(&w, 1, selected);
        send(b->frame(), QEvent::Enter);
        QCOMPARE(b->frame()->styleSheet(), hoverLook("#2C2F42", "document.png"));
        QCOMPARE(b->textLabel()->styleSheet(), enterText);
        QCOMPARE(b->iconLabel()->styleSheet(), QStringLiteral("QLabel#piclbl{background-color:#2C2F42;}"));
        send(b->frame(), QEvent::Leave);
        QCOMPARE(b->frame()->styleSheet(), leaveFrame);
        QCOMPARE(b->textLabel()->styleSheet(), leaveText);
        QCOMPARE(b->iconLabel()->styleSheet(), leaveIcon);
    }
};

QTEST_MAIN(tst_MyButton)
#include "tst_MyButton.moc"
