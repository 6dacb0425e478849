#pragma once
// Minimal settings and state store (replaced by the full store).
#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>

class CDataCenter
{
public:
    static std::shared_ptr<CDataCenter> getInstance();

    int screenWidth = 1280;
    int screenHeight = 720;
    QString userDocDir;
    QString userDocRoot;
    bool cameraMirror = false;
    QString userName;
    QString avatarFile;
    QString uidText;

    QStringList getDocInfoList();
    void setDocInfoValue(const QString& key, const QString& value);
    void createUserDocDir();

private:
    CDataCenter();
    std::unique_ptr<QSettings> m_settings;
};
