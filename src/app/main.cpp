// The program entry: text codec, application, icon, log handler; the rest of start-up lives in
// AppStartup so that it can be tested.
#include "core/ServiceConstants.h"
#include "core/SolVekLog.h"
#include "shell/AppStartup.h"

#include <QApplication>
#include <QIcon>
#include <QTextCodec>

int main(int argc, char* argv[])
{
    // 8-bit text written to standard output is UTF-8 (the console needs no code page here).
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    solvek::prepareApplication();
    QApplication app(argc, argv);
    solvek::applyServiceOverride();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/favicon.ico")));

    SolVekLog::getInstance()->setEnabled(false);
    qInstallMessageHandler(logMessageHandler);

    return solvek::AppStartup().run();
}
