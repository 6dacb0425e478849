#pragma once
// libobs source types of this platform, by the role the engine gives them, with the setting that
// chooses each one's device, file, screen or window.

namespace obs_types {

// Camera: a Video4Linux device; "device_id" holds the device path.
inline constexpr const char camera[] = "v4l2_input";
inline constexpr const char cameraDeviceKey[] = "device_id";

// Microphone and desktop sound: PulseAudio capture; "device_id" as well ("default" is the default).
inline constexpr const char microphone[] = "pulse_input_capture";
inline constexpr const char desktopAudio[] = "pulse_output_capture";
inline constexpr const char audioDeviceKey[] = "device_id";

// Picture file.
inline constexpr const char image[] = "image_source";
inline constexpr const char imageFileKey[] = "file";

// Whole screen (X shared memory); "screen" is the screen index.
inline constexpr const char screen[] = "xshm_input";
inline constexpr const char screenKey[] = "screen";

// One window (X composite); "capture_window" holds the window value of the window list, which
// reads "<window id>\r\n<title>\r\n<class>".
inline constexpr const char window[] = "xcomposite_input";
inline constexpr const char windowKey[] = "capture_window";

// Stream service of our own (see RtmpCustomService.h).
inline constexpr const char rtmpService[] = "rtmp_custom";

} // namespace obs_types
