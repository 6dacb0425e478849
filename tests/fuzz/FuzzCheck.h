#pragma once
// What the fuzz targets share: an invariant check that ends the run (the input is then kept as
// a crash), and a log that writes nothing (every input would otherwise log its lines).
#include <QString>
#include <QtGlobal>

#include <cstdlib>

namespace fuzz
{
inline void check(bool ok)
{
    if (!ok)
        std::abort();
}

inline void quietLog()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}
} // namespace fuzz
