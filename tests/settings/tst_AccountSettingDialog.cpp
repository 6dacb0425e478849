// test-label: unit
// The account page: name and avatar from the store, the avatar chooser with its size limit and
// its warning, and the logout signal.
#include "core/DataCenter.h"
#include "core/PictureDecoder.h"
#include "settings/AccountSettingDialog.h"

#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_AccountSettingDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void showsNameAndAvatar();
    void chooserTakesPicturesUpToTheLimit_data();
    void chooserTakesPicturesUpToTheLimit();
    void cancelledChooserOnlyHidesTheWarning();
    void logoutClosesThePageAndSignals();

private:
    // A PNG of one colour padded after its end to exactly `bytes` bytes (0: unpadded).
    QString writePicture(const QString& name, QColor colour, qint64 bytes = 0);
    QColor avatarColour() { return m_page->findChild<QLabel*>("headpicLbl")->pixmap(Qt::ReturnByValue).toImage().pixelColor(40, 40); }
    void clickAvatar()
    {
        QTest::mousePress(m_page->findChild<QLabel*>("headpicLbl"), Qt::LeftButton);
    }
    QLabel* warning() { return m_page->findChild<QLabel*>("label_7"); }

    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    std::unique_ptr<AccountSettingDialog> m_page;
    QStringList m_asked; // title|folder|filter per chooser run
    QString m_answer;
};

void tst_AccountSettingDialog::initTestCase()
{
    AccountSettingDialog::setFileChooser([this](QWidget*, const QString& title, const QString& folder,
                                                const QString& filter) {
        m_asked << title + "|" + folder + "|" + filter;
        return m_answer;
    });
}

void tst_AccountSettingDialog::init()
{
    m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
    m_store->userName = QString::fromUtf8("主播小王");
    m_store->avatarFile = writePicture("avatar.png", Qt::blue);
    CDataCenter::setInstanceForTesting(m_store);
    m_asked.clear();
    m_answer.clear();
    m_page = std::make_unique<AccountSettingDialog>();
    m_page->show();
    PictureDecoder::waitForIdle(); // the account's avatar is read off the window's thread
}

void tst_AccountSettingDialog::cleanup()
{
    m_page.reset();
    CDataCenter::setInstanceForTesting(nullptr);
    m_store.reset();
}

QString tst_AccountSettingDialog::writePicture(const QString& name, QColor colour, qint64 bytes)
{
    QImage image(120, 90, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    if (bytes > 0)
        data.append(QByteArray(int(bytes - data.size()), '\0'));
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return QString();
    return path;
}

void tst_AccountSettingDialog::showsNameAndAvatar()
{
    QCOMPARE(m_page->findChild<QLineEdit*>("lineEdit")->text(), QString::fromUtf8("主播小王"));
    QCOMPARE(m_page->findChild<QLabel*>("headpicLbl")->pixmap(Qt::ReturnByValue).size(), QSize(80, 80));
    QCOMPARE(avatarColour(), QColor(Qt::blue));
    QVERIFY(!warning()->isVisible());
    QVERIFY(m_page->findChild<QPushButton*>("pushButton_3")->isVisible());
}

void tst_AccountSettingDialog::chooserTakesPicturesUpToTheLimit_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("taken");
    QTest::newRow("small") << qint64(0) << true;
    QTest::newRow("at the limit") << qint64(2098175) << true;
    QTest::newRow("one byte over") << qint64(2098176) << false;
    QTest::newRow("not a picture") << qint64(-1) << false;
}

void tst_AccountSettingDialog::chooserTakesPicturesUpToTheLimit()
{
    QFETCH(qint64, bytes);
    QFETCH(bool, taken);
    if (bytes < 0) {
        m_answer = m_dir.filePath("notes.png");
        QFile file(m_answer);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
    } else {
        m_answer = writePicture("chosen.png", Qt::red, bytes);
        if (bytes > 0)
            QCOMPARE(QFileInfo(m_answer).size(), bytes);
    }
    clickAvatar();
    PictureDecoder::waitForIdle(); // the chosen file is decoded off the window's thread
    QCOMPARE(m_asked, QStringList{QString::fromUtf8("选择图片") + "|" + QDir::homePath() + "|Images (*.png *.jpg)"});
    QCOMPARE(warning()->isVisible(), !taken);
    QCOMPARE(avatarColour(), taken ? QColor(Qt::red) : QColor(Qt::blue));
    QCOMPARE(m_page->findChild<QLabel*>("headpicLbl")->pixmap(Qt::ReturnByValue).size(), QSize(80, 80));
    // Shown only: nothing stored.
    QVERIFY(m_store->avatarFile.endsWith("avatar.png"));
}

void tst_AccountSettingDialog::cancelledChooserOnlyHidesTheWarning()
{
    m_answer = writePicture("big.png", Qt::red, 2098176);
    clickAvatar();
    QVERIFY(warning()->isVisible());
    m_answer.clear();
    clickAvatar();
    QVERIFY(!warning()->isVisible());
    QCOMPARE(avatarColour(), QColor(Qt::blue));
    QCOMPARE(m_asked.size(), 2);
    // Other buttons do not open the chooser.
    QTest::mousePress(m_page->findChild<QLabel*>("headpicLbl"), Qt::RightButton);
    QCOMPARE(m_asked.size(), 2);
}

void tst_AccountSettingDialog::logoutClosesThePageAndSignals()
{
    QSignalSpy logout(m_page.get(), &AccountSettingDialog::sendLoginOut);
    bool visibleAtSignal = true;
    connect(m_page.get(), &AccountSettingDialog::sendLoginOut, this, [&] { visibleAtSignal = m_page->isVisible(); });
    QTest::mouseClick(m_page->findChild<QPushButton*>("pushButton_3"), Qt::LeftButton);
    QCOMPARE(logout.count(), 1);
    QVERIFY(!visibleAtSignal);
    // The name field and "保存" change nothing.
    m_page->findChild<QLineEdit*>("lineEdit")->setText("x");
    QTest::mouseClick(m_page->findChild<QPushButton*>("pushButton"), Qt::LeftButton);
    QCOMPARE(m_store->userName, QString::fromUtf8("主播小王"));
}

QTEST_MAIN(tst_AccountSettingDialog)
#include "tst_AccountSettingDialog.moc"
