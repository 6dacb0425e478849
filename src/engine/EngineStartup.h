#pragma once
// The engine's start-up sequence, run once after login: libobs, modules, video at the screen size
// (output canvasWidth x canvasHeight, 25 fps), 44.1 kHz stereo audio, the microphones, the scene
// "solvek", microphone and desktop sound by the store's switches, and "camera source" in the scene
// with the stored camera or the first one found. Works on LiveCore::get_instance(); returns
// whether libobs started (the later steps do nothing when it did not).

bool runLiveCoreStartup(int canvasWidth, int canvasHeight);
