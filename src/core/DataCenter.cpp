#include "core/DataCenter.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QGuiApplication>
#include <QMutex>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>

namespace {

QMutex& instanceMutex()
{
    static QMutex mutex;
    return mutex;
}

// Never destroyed: the store outlives every window, and tearing QSettings down during static
// destruction would race Qt's own globals. Pending changes are written at aboutToQuit instead.
std::shared_ptr<CDataCenter>& instanceSlot()
{
    static auto* slot = new std::shared_ptr<CDataCenter>();
    return *slot;
}

const QString kGroup = QStringLiteral("setting/");
constexpr int kMaxLiveFps = 60;

QScreen* primaryScreen()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::primaryScreen();
}

} // namespace

std::shared_ptr<CDataCenter> CDataCenter::getInstance()
{
    // Locked on every call: a shared pointer may not be read while another thread assigns it.
    QMutexLocker lock(&instanceMutex());
    std::shared_ptr<CDataCenter>& slot = instanceSlot();
    if (!slot)
        slot = std::make_shared<CDataCenter>();
    return slot;
}

void CDataCenter::setInstanceForTesting(std::shared_ptr<CDataCenter> store)
{
    QMutexLocker lock(&instanceMutex());
    instanceSlot() = std::move(store);
}

CDataCenter::CDataCenter(const QString& settingsFile)
{
    const QString path = settingsFile.isEmpty() ? QDir::currentPath() + QStringLiteral("//config.ini") : settingsFile;
    m_settings = new QSettings(path, QSettings::IniFormat);
    m_settings->setIniCodec("utf-8");
    // A change made just before the event loop ends (quit, or the restart after logout) must
    // reach the file even though the store itself is never destroyed.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QSettings* settings = m_settings;
        QObject::connect(app, &QCoreApplication::aboutToQuit, settings, [settings] { settings->sync(); });
    }
    load();
    const int bar = gettaskBar();
    taskBarHeight = bar < 0 ? 40 : bar;
}

CDataCenter::~CDataCenter()
{
    delete m_settings; // writes pending changes
}

void CDataCenter::load()
{
    if (QScreen* screen = primaryScreen()) {
        const QSize physical = screen->size() * screen->devicePixelRatio();
        screenWidth = physical.width();
        screenHeight = physical.height();
    }

    noTitleTipcheck = getBool(QStringLiteral("noTitleTipcheck"));
    // Loaded with the others so a saved "minimise" choice holds from the first close of a run.
    exitCheck = getBool(QStringLiteral("ExitCheck"), true);
    liveMode = getBool(QStringLiteral("LiveMode"));
    // A hand-edited or damaged file must not reach the engine with values it cannot use (a
    // negative frame rate, a quality level with no size): out-of-range values read as the default,
    // volumes are held to 0..100.
    streamQuality = hasSetting(QStringLiteral("LiveType")) ? getInt(QStringLiteral("LiveType")) : 2;
    if (streamQuality < 0 || streamQuality > 2)
        streamQuality = 2;
    liveFps = getInt(QStringLiteral("LiveFps"));
    if (liveFps <= 0 || liveFps > kMaxLiveFps)
        liveFps = 30;
    inputAudio = hasSetting(QStringLiteral("InputAudio")) ? qBound(0, getInt(QStringLiteral("InputAudio")), 100) : 30;
    outPutAudio =
        hasSetting(QStringLiteral("OutPutAudio")) ? qBound(0, getInt(QStringLiteral("OutPutAudio")), 100) : 30;
    closeMicAudio = hasSetting(QStringLiteral("CloseMicAudio")) && getBool(QStringLiteral("CloseMicAudio"));
    closeDesktopAudio =
        hasSetting(QStringLiteral("CloseDesktopAudio")) && getBool(QStringLiteral("CloseDesktopAudio"));
    userDocRoot = defaultUserDocRoot();
}

QString CDataCenter::defaultUserDocRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/solvek/userdoc");
}

bool CDataCenter::hasSetting(const QString& key) const { return m_settings->contains(kGroup + key); }

bool CDataCenter::getBool(QString key, bool absentValue) const
{
    const QVariant v = m_settings->value(kGroup + key);
    return v.isValid() ? v.toBool() : absentValue;
}

int CDataCenter::getInt(QString key) const { return m_settings->value(kGroup + key).toString().toInt(); }

void CDataCenter::setValue(QString key, QString value) { m_settings->setValue(kGroup + key, value); }

QStringList CDataCenter::getDocInfoList() const
{
    QStringList keys;
    int count = m_settings->value(uidText + QStringLiteral("/count")).toString().toInt();
    // A damaged "count" (say 2147483647) must not make login read for ever: a list never has more
    // entries than its group has keys.
    m_settings->beginGroup(uidText);
    const QStringList present = m_settings->childKeys();
    m_settings->endGroup();
    count = qMin(count, present.size() - (present.contains(QStringLiteral("count")) ? 1 : 0));
    for (int i = 0; i < count; ++i)
        keys.append(m_settings->value(uidText + QLatin1Char('/') + QString::number(i)).toString());
    return keys;
}

void CDataCenter::setDocInfoValue(const QString& key, const QString& value)
{
    qDebug() << "newKey:" << key << "value:" << value;
    m_settings->setValue(uidText + QLatin1Char('/') + key, value);
}

void CDataCenter::createUserDocDir()
{
    userDocDir = userDocRoot + QLatin1Char('/') + uidText;
    QDir().mkpath(userDocDir);
}

int CDataCenter::gettaskBar()
{
    QScreen* screen = primaryScreen();
    if (!screen)
        return -1;
    const QRect avail = screen->availableGeometry();
    const QRect full = screen->geometry();
    qDebug() << "available" << avail.width() << avail.height();
    qDebug() << "screen" << full.width() << full.height();
    if (avail.bottom() != full.bottom()) {
        for (int i = 0; i < 3; ++i)
            qDebug() << "任务栏在底部";
    } else if (avail.top() != full.top()) {
        for (int i = 0; i < 2; ++i)
            qDebug() << "任务栏在顶部";
    } else if (avail.left() != full.left()) {
        qDebug() << "任务栏在左边";
    } else if (avail.right() != full.right()) {
        qDebug() << "任务栏在右边";
    } else {
        qDebug() << "任务栏处于自动隐藏状态";
    }
    return full.height() - avail.height();
}

void CDataCenter::sync() { m_settings->sync(); }

QString CDataCenter::settingsFileName() const { return m_settings->fileName(); }
