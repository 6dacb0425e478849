#pragma once
// A loopback TCP relay that holds each new connection for a while before it reaches the upstream
// port: a slow ingest whose handshake takes that long. Runs on threads of its own, so it keeps
// relaying while the test's GUI thread is busy (or blocked).
//
//   HoldingProxy proxy(rtmp.port());
//   QVERIFY(proxy.start());
//   proxy.setHoldMs(3000);   // connections accepted from now on wait 3 s
//   ... push to QString("rtmp://127.0.0.1:%1/live").arg(proxy.port()) ...

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

class HoldingProxy
{
public:
    explicit HoldingProxy(int upstreamPort);
    ~HoldingProxy();
    HoldingProxy(const HoldingProxy&) = delete;
    HoldingProxy& operator=(const HoldingProxy&) = delete;

    bool start();
    void stop();
    int port() const { return m_port; }
    void setHoldMs(int ms) { m_holdMs = ms; }
    int connections() const { return m_connections; }

private:
    void acceptLoop();
    void relay(int client, int holdMs);

    int m_upstreamPort;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<int> m_holdMs{0};
    std::atomic<int> m_connections{0};
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<std::thread> m_relays;
};
