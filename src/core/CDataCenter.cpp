#include "core/CDataCenter.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <mutex>

std::shared_ptr<CDataCenter> CDataCenter::getInstance()
{
    static std::mutex mutex;
    static std::shared_ptr<CDataCenter> instance;
    std::lock_guard<std::mutex> lock(mutex);
    if (!instance)
        instance.reset(new CDataCenter);
    return instance;
}

CDataCenter::CDataCenter()
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size() * screen->devicePixelRatio();
        screenWidth = size.width();
        screenHeight = size.height();
    }
    m_settings = std::make_unique<QSettings>(QDir::currentPath() + "//config.ini", QSettings::IniFormat);
    m_settings->setIniCodec("utf-8");
    userDocRoot = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/solvek/userdoc";
}

QStringList CDataCenter::getDocInfoList()
{
    QStringList list;
    const int count = m_settings->value(uidText + "/count").toInt();
    for (int i = 0; i < count; ++i)
        list << m_settings->value(uidText + "/" + QString::number(i)).toString();
    return list;
}

void CDataCenter::setDocInfoValue(const QString& key, const QString& value)
{
    m_settings->setValue(uidText + "/" + key, value);
}

void CDataCenter::createUserDocDir()
{
    userDocDir = userDocRoot + "/" + uidText;
    QDir().mkpath(userDocDir);
}
