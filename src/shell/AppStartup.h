#pragma once
// The life of the process after the application object exists: the co-host picture folder, the
// synchronous update check (and the update dialog), the login dialog, the hidden main window,
// the login-success order, the event loop and the restart on exit code 777.
//
// The blocking steps (the update dialog's exec, the event loop, starting a new process) go
// through replaceable functions so tests can drive start-up without a person.

#include "core/ServiceConstants.h" // kAppVersion

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class LoginDialog;
class VersonUpdate;

namespace solvek {

inline constexpr int kRestartExitCode = 777;
// An update server that accepts the connection but never answers must not hold up start-up.
inline constexpr int kUpdateCheckTimeoutMs = 10000;
// The update check's reply is a small JSON envelope; a larger one counts as no answer.
inline constexpr qint64 kMaxUpdateReplyBytes = 1024 * 1024;

// True when `server` is a newer version than `current`: dot-separated numbers (the leading
// digits of each part, missing parts 0) compared in order; when all are equal, text after the
// numbers on the server's side only ("2.0.1 x", "2.0.1a") still counts as newer.
bool isNewerVersion(const QString& server, const QString& current);

// The fields of the update endpoint's reply.
struct UpdateReply {
    bool parsed = false;   // the body was JSON
    QString parseError;    // the parser's text when it was not
    int code = 0;          // "code" read as an integer (a string reads as 0)
    int isForceUpdate = 0; // non-zero: compulsory
    QString downloadUrl;
    QString displayVersion;
    QString description; // each line of "description" followed by "\n"
};
UpdateReply parseUpdateReply(const QByteArray& body);

// Called before the application object is made. The program's windows never draw through Qt's
// OpenGL (the engine has its own EGL context on its own connection), but on X11 Qt loads the GL
// driver to pick the visual of every translucent window, the login dialog's first of all: over a
// hundred milliseconds before its first paint here. Qt's GL integration stays off, unless the
// environment already chose one.
void prepareApplication();

class AppStartup
{
public:
    using Launcher = std::function<bool(const QString& program, const QStringList& arguments)>;
    using DialogRunner = std::function<int(QDialog& dialog)>;
    using EventLoop = std::function<int()>;

    enum class UpdateOutcome {
        ContinueToLogin, // the login dialog has been shown
        EndProgram,      // a compulsory update was closed, or a package was downloaded
    };

    AppStartup();

    void setLauncher(Launcher launcher) { m_launcher = std::move(launcher); }
    void setDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    void setEventLoop(EventLoop loop) { m_eventLoop = std::move(loop); }
    void setUpdateTimeout(int ms) { m_updateTimeoutMs = ms; }

    // Start-up from the settings store on; returns main's exit code (always 0).
    int run();

    // The update check and what follows from it.
    UpdateOutcome checkForUpdate(LoginDialog& login, VersonUpdate& update);

private:
    Launcher m_launcher;
    DialogRunner m_runDialog;
    EventLoop m_eventLoop;
    int m_updateTimeoutMs = kUpdateCheckTimeoutMs;
    bool m_updateDownloaded = false;
};

} // namespace solvek
