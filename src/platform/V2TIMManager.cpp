#include "platform/V2TIMManager.h"

#include "platform/ImLoopback.h"

#include <atomic>
#include <mutex>

namespace
{
std::atomic<V2TIMManager*> g_installed{nullptr};
std::once_flag g_defaultOnce;
V2TIMManager* g_default = nullptr;
} // namespace

V2TIMManager* V2TIMManager::GetInstance()
{
    if (V2TIMManager* installed = g_installed.load())
        return installed;
    // Step callbacks reach the manager from the SDK's thread while the GUI thread may too.
    std::call_once(g_defaultOnce, [] { g_default = new ImLoopback(); });
    return g_default;
}

V2TIMManager* V2TIMManager::SetInstance(V2TIMManager* manager)
{
    return g_installed.exchange(manager);
}
