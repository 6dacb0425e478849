#include "support/HoldingProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {
sockaddr_in loopback(int port)
{
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}
} // namespace

HoldingProxy::HoldingProxy(int upstreamPort) : m_upstreamPort(upstreamPort) {}

HoldingProxy::~HoldingProxy() { stop(); }

bool HoldingProxy::start()
{
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listen < 0)
        return false;
    sockaddr_in a = loopback(0);
    socklen_t len = sizeof(a);
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 || ::listen(m_listen, 8) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return false;
    m_port = ntohs(a.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
    return true;
}

void HoldingProxy::stop()
{
    if (m_stopping.exchange(true))
        return;
    if (m_acceptor.joinable())
        m_acceptor.join();
    std::vector<std::thread> relays;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        relays.swap(m_relays);
    }
    for (std::thread& t : relays)
        t.join();
    if (m_listen >= 0)
        ::close(m_listen);
}

void HoldingProxy::acceptLoop()
{
    while (!m_stopping) {
        pollfd p = {m_listen, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const int client = ::accept(m_listen, nullptr, nullptr);
        if (client < 0)
            continue;
        ++m_connections;
        const int hold = m_holdMs;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_relays.emplace_back([this, client, hold] { relay(client, hold); });
    }
}

void HoldingProxy::relay(int client, int holdMs)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(holdMs);
    while (!m_stopping && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int upstream = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(m_upstreamPort);
    if (m_stopping || upstream < 0 || ::connect(upstream, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0) {
        if (upstream >= 0)
            ::close(upstream);
        ::close(client);
        return;
    }
    char buffer[65536];
    pollfd fds[2] = {{client, POLLIN, 0}, {upstream, POLLIN, 0}};
    bool open = true;
    while (open && !m_stopping) {
        if (::poll(fds, 2, 100) <= 0)
            continue;
        for (int i = 0; i < 2 && open; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::recv(fds[i].fd, buffer, sizeof(buffer), 0);
            if (n <= 0) {
                open = false;
                break;
            }
            const int to = i == 0 ? upstream : client;
            for (ssize_t sent = 0; sent < n && open;) {
                const ssize_t w = ::send(to, buffer + sent, size_t(n - sent), MSG_NOSIGNAL);
                if (w <= 0)
                    open = false;
                else
                    sent += w;
            }
        }
    }
    ::close(upstream);
    ::close(client);
}
