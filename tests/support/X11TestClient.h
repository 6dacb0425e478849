#pragma once
// Drives tests/support/X11TestClientProgram.c: windows of another process, mapped on the test's X
// server with the title, class, colour and kind a test asks for.

#include <QProcess>
#include <QString>

namespace testsupport {

class X11TestClient
{
public:
    X11TestClient();
    ~X11TestClient();
    bool start();
    qint64 pid() const { return process_.processId(); }
    // Maps a window and returns its id (0 on failure). `flags`: "transient", "dock", "override",
    // "redirect", blank-separated. An empty title or class is left unset.
    unsigned long window(const QString& title, const QString& cls, const QString& rrggbb, int width, int height,
                         int x, int y, const QString& flags = QString());
    // "unmap", "map", "raise" or "destroy"; true once the server has done it.
    bool command(const QString& verb, unsigned long window);

private:
    QString ask(const QString& line);
    QProcess process_;
};

} // namespace testsupport
