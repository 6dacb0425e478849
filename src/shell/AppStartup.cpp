#include "shell/AppStartup.h"

#include "core/DataCenter.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "login/LoginDialog.h"
#include "shell/LiveMainWindow.h"
#include "shell/VersonUpdate.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QTimer>

namespace solvek {

namespace {

struct VersionParts {
    QStringList numbers; // digits without leading zeros
    QString rest;        // whatever follows the digits of each part
};

VersionParts splitVersion(const QString& text)
{
    VersionParts out;
    for (const QString& part : text.split(QLatin1Char('.'))) {
        int digits = 0;
        while (digits < part.size() && part.at(digits).isDigit() && part.at(digits).unicode() < 128)
            ++digits;
        QString number = part.left(digits);
        while (number.size() > 1 && number.startsWith(QLatin1Char('0')))
            number.remove(0, 1);
        out.numbers << (number.isEmpty() ? QStringLiteral("0") : number);
        out.rest += part.mid(digits);
    }
    return out;
}

// Compares two digit strings without leading zeros, whatever their length.
int compareNumbers(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return QString::compare(a, b);
}

} // namespace

bool isNewerVersion(const QString& server, const QString& current)
{
    const VersionParts s = splitVersion(server);
    const VersionParts c = splitVersion(current);
    const int n = std::max(s.numbers.size(), c.numbers.size());
    for (int i = 0; i < n; ++i) {
        const QString a = i < s.numbers.size() ? s.numbers.at(i) : QStringLiteral("0");
        const QString b = i < c.numbers.size() ? c.numbers.at(i) : QStringLiteral("0");
        const int cmp = compareNumbers(a, b);
        if (cmp != 0)
            return cmp > 0;
    }
    return !s.rest.isEmpty() && c.rest.isEmpty();
}

UpdateReply parseUpdateReply(const QByteArray& body)
{
    UpdateReply out;
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(QString::fromUtf8(body).toUtf8(), &err);
    if (err.error != QJsonParseError::NoError && doc.isNull()) {
        out.parseError = err.errorString();
        return out;
    }
    out.parsed = true;
    const QJsonObject obj = doc.object();
    out.code = obj.value(QLatin1String("code")).toInt();
    const QJsonObject data = obj.value(QLatin1String("data")).toObject();
    out.isForceUpdate = data.value(QLatin1String("is_force_update")).toInt();
    out.downloadUrl = data.value(QLatin1String("download_url")).toString();
    out.displayVersion = data.value(QLatin1String("display_version")).toString();
    for (const QJsonValue& line : data.value(QLatin1String("description")).toArray())
        out.description += line.toString() + QLatin1Char('\n');
    return out;
}

void prepareApplication()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

AppStartup::AppStartup()
    : m_launcher([](const QString& program, const QStringList& arguments) {
          return QProcess::startDetached(program, arguments);
      }),
      m_runDialog([](QDialog& dialog) { return dialog.exec(); }), m_eventLoop([]() { return QApplication::exec(); })
{
}

AppStartup::UpdateOutcome AppStartup::checkForUpdate(LoginDialog& login, VersonUpdate& update)
{
    m_updateDownloaded = false;
    // A finished download ends the program. The main event loop has not started yet, so a quit()
    // would be lost (exec resets it) and would only cut short other nested loops: start-up
    // returns instead.
    QObject::connect(&update, &VersonUpdate::sendUpdateSig, &update, [this]() { m_updateDownloaded = true; });

    const QUrl url(API_VERSION_UPDATE + QStringLiteral("?current_version=%1&type=11").arg(QLatin1String(kAppVersion)));
    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.get(QNetworkRequest(url));
    solvek::limitReplySize(reply, kMaxUpdateReplyBytes);
    {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        timeout.start(m_updateTimeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    QByteArray body;
    if (reply->isFinished()) {
        body = reply->readAll(); // cut short at the bound, it is no JSON
    } else {
        qDebug() << "update check: no answer within" << m_updateTimeoutMs << "ms";
        reply->abort();
    }
    reply->deleteLater();

    const UpdateReply info = parseUpdateReply(body);
    if (!info.parsed) {
        qDebug() << info.parseError;
        qDebug() << "update check: no update, showing the login dialog";
        login.show();
        return UpdateOutcome::ContinueToLogin;
    }
    if (info.code != 200 || !isNewerVersion(info.displayVersion, QLatin1String(kAppVersion))) {
        qDebug() << "update check: no update, showing the login dialog";
        login.show();
        return UpdateOutcome::ContinueToLogin;
    }

    const bool force = info.isForceUpdate != 0;
    qDebug() << "update check: offering version" << info.displayVersion << (force ? "(forced)" : "(optional)");
    update.downloadUrl = info.downloadUrl;
    update.setVersion(info.displayVersion);
    update.setDescription(info.description);
    if (!force)
        update.setForceUpdate(false);
    m_runDialog(update);

    if (m_updateDownloaded) {
        qDebug() << "update check: package downloaded, ending the program";
        return UpdateOutcome::EndProgram;
    }
    if (force) {
        qDebug() << "update check: compulsory update closed, ending the program";
        return UpdateOutcome::EndProgram;
    }
    qDebug() << "update check: update declined, showing the login dialog";
    login.show();
    return UpdateOutcome::ContinueToLogin;
}

int AppStartup::run()
{
    {
        const auto store = CDataCenter::getInstance();
        QDir().mkpath(store->userDocRoot + QStringLiteral("/micUser/"));
    }

    LoginDialog login;
    VersonUpdate update(nullptr);
    if (checkForUpdate(login, update) == UpdateOutcome::EndProgram)
        return 0;

    LiveMainWindow window;
    window.setVisible(false);
    QObject::connect(&login, &LoginDialog::sigAccounLoginSuccess, &login, [&login, &window]() {
        window.initLiveMainWindowParams(login.loginInfo());
        window.show(); // before the dialog closes, so the application always has a window
        window.initFromLogin();
        login.close();
    });

    const int code = m_eventLoop();
    if (code == kRestartExitCode) {
        qDebug() << "传入 qApp->applicationFilePath()，启动自己";
        m_launcher(QCoreApplication::applicationFilePath(), QStringList());
    }
    return 0;
}

} // namespace solvek
