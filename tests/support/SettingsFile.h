#pragma once
// The "setting" group of a test's own settings file, written before the store loads it and read
// back as it is on disk.
//
//   writeSettingValues(path, {{"InputAudio", "150"}});
//   auto store = makeTestStore(path);          // installed as the store
//   ... QCOMPARE(readSettingValues(*store), (SettingValues{{"InputAudio", "45"}}));

#include "core/DataCenter.h"

#include <QMap>
#include <QSettings>
#include <QString>

#include <memory>

using SettingValues = QMap<QString, QString>; // key -> stored text

inline void writeSettingValues(const QString& file, const SettingValues& values)
{
    QSettings settings(file, QSettings::IniFormat);
    for (auto it = values.begin(); it != values.end(); ++it)
        settings.setValue(QStringLiteral("setting/") + it.key(), it.value());
}

// A store over `file` with `values` written first, installed as the single store.
inline std::shared_ptr<CDataCenter> makeTestStore(const QString& file, const SettingValues& values = {})
{
    writeSettingValues(file, values);
    auto store = std::make_shared<CDataCenter>(file);
    CDataCenter::setInstanceForTesting(store);
    return store;
}

// The store's file as it is on disk after its pending changes are written.
inline SettingValues readSettingValues(CDataCenter& store)
{
    store.sync();
    QSettings settings(store.settingsFileName(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("setting"));
    SettingValues values;
    for (const QString& key : settings.childKeys())
        values[key] = settings.value(key).toString();
    return values;
}
