// Host window, event pump and modal message boxes.
//
// The game runs in one fixed-size window. Frames run only while no host event is
// waiting, and destroying the window posts a quit that ends the loop, so the shell
// can keep the order of a classic message loop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct SDL_Window;

namespace plat {

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;

// Initialises the host video and event systems once. False when no video driver works.
bool HostInit();
void HostQuit();

// Creates the window hidden, with a 640 by 480 client area centred on the desktop and
// no resizing. The caption is Shift-JIS, as the game keeps all its text.
bool WindowCreate(std::string_view captionSjis);
void WindowShow();
// Destroys the window and posts the quit that ends the loop (exit code 0).
void WindowDestroy();
bool WindowExists();
SDL_Window* WindowHandle();
// Puts the window where the display mode wants it: windowed and centred, or covering
// the desktop as a borderless topmost window.
void WindowPlace(bool windowed);
bool WindowHasFocus();
// The size in pixels the window's drawing surface has now, as the window system has it.
// SDL reports the size a full-screen request asked for even where nothing granted it (an
// X server without a window manager, the offscreen driver), so this asks the surface: the
// current EGL surface, or the window's GLX drawable on X11. SDL's figure only when
// neither answers. The window's GL context must be current.
void WindowDrawableSize(SDL_Window* window, int& width, int& height);

// Top-left corner that centres a window of the given outer size on a desktop of the
// given size (signed integer division, as a window manager would).
void CentreOnDesktop(int& x, int& y, int width, int height, int desktopWidth, int desktopHeight);

enum class PumpResult { Idle, Handled, Quit };
// Takes one waiting host event. Idle when none waits (the caller then runs a frame);
// Quit once the quit was posted.
PumpResult PumpOneEvent();
// What the close button does; the shell tears the game down from here.
void SetCloseHandler(std::function<void()> handler);
void PostQuit(int code);
int QuitCode();
// Forgets a posted quit so a test can start the game again in the same process.
void ResetQuit();

// A modal box with one OK button. Text and caption are Shift-JIS.
void MessageBox(std::string_view textSjis, std::string_view captionSjis);
// Tests capture boxes instead of showing them (text and caption as given, Shift-JIS).
using MessageBoxHook = std::function<void(std::string_view textSjis, std::string_view captionSjis)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace plat
