#pragma once
// The stream service type "rtmp_custom": a push server and stream key, nothing more. The libobs
// module that usually provides it fetches a remote list of services when it loads, which a client
// must not do here, so the program registers its own.

namespace platform {

// Registers the service type with the running libobs (once per libobs start).
void registerRtmpCustomService();

} // namespace platform
