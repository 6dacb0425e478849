#include "support/PrivateXServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace testsupport {
namespace {
pid_t g_server = 0;

// Registered before the application, libobs and the EGL driver register theirs, so it runs after
// them: they talk to the server until then.
void stopServer()
{
    if (g_server > 0) {
        kill(g_server, SIGTERM);
        waitpid(g_server, nullptr, 0);
        g_server = 0;
    }
}
} // namespace

bool startPrivateXServer()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        std::perror("pipe");
        return false;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return false;
    }
    if (pid == 0) {
        // Also ends when the test process dies without running its exit handlers.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        dup2(fds[1], 3); // dup2 clears close-on-exec on the copy
        const char* args[] = {"Xvfb", "-displayfd", "3", "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
                              nullptr};
        execvp("Xvfb", const_cast<char* const*>(args));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number and a newline once it accepts connections.
    std::string number;
    pollfd p = {fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&p, 1, 20000) > 0) {
        char buf[16];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        number.append(buf, size_t(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        std::fprintf(stderr, "private Xvfb did not start\n");
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return false;
    }
    number.erase(number.find('\n'));
    g_server = pid;
    std::atexit(stopServer);
    setenv("DISPLAY", (":" + number).c_str(), 1);
    unsetenv("QT_QPA_PLATFORM");
    return true;
}

} // namespace testsupport
