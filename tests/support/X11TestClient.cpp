#include "support/X11TestClient.h"

namespace testsupport {

X11TestClient::X11TestClient() = default;

X11TestClient::~X11TestClient()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

bool X11TestClient::start()
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(SOLVEK_X11_TEST_CLIENT), QStringList());
    return process_.waitForStarted(10000);
}

QString X11TestClient::ask(const QString& line)
{
    process_.write((line + QLatin1Char('\n')).toUtf8());
    process_.waitForBytesWritten(10000);
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(20000))
            return QString();
    }
    return QString::fromUtf8(process_.readLine()).trimmed();
}

unsigned long X11TestClient::window(const QString& title, const QString& cls, const QString& rrggbb, int width,
                                    int height, int x, int y, const QString& flags)
{
    const QString line = QStringLiteral("window %1 %2 %3 %4 %5 %6 %7 %8")
                             .arg(title.isEmpty() ? QStringLiteral("-") : title,
                                  cls.isEmpty() ? QStringLiteral("-") : cls, rrggbb)
                             .arg(width)
                             .arg(height)
                             .arg(x)
                             .arg(y)
                             .arg(flags);
    bool ok = false;
    const unsigned long id = ask(line).toULong(&ok, 16);
    return ok ? id : 0;
}

bool X11TestClient::command(const QString& verb, unsigned long window)
{
    return ask(QStringLiteral("%1 0x%2").arg(verb).arg(window, 0, 16)) == QLatin1String("ok");
}

} // namespace testsupport
