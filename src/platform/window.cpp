#include "platform/window.h"

#include <SDL.h>

#include "platform/text_encoding.h"

namespace plat {
namespace {

SDL_Window* g_window = nullptr;
bool g_hostUp = false;
bool g_quitPosted = false;
int g_quitCode = 0;
std::function<void()> g_closeHandler;
MessageBoxHook g_messageBoxHook;

bool DesktopSize(int& w, int& h) {
  SDL_Rect r;
  if (SDL_GetDisplayBounds(0, &r) != 0) return false;
  w = r.w;
  h = r.h;
  return true;
}

}  // namespace

bool HostInit() {
  if (g_hostUp) return true;
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return false;
  g_hostUp = true;
  return true;
}

void HostQuit() {
  if (g_window) {
    SDL_DestroyWindow(g_window);
    g_window = nullptr;
  }
  if (g_hostUp) SDL_Quit();
  g_hostUp = false;
}

void CentreOnDesktop(int& x, int& y, int width, int height, int desktopWidth, int desktopHeight) {
  x = (desktopWidth - width) / 2;
  y = (desktopHeight - height) / 2;
}

bool WindowCreate(std::string_view captionSjis) {
  if (!g_hostUp) return false;
  int x = 0, y = 0, dw = 0, dh = 0;
  // The client area is what the game draws into; the host adds its own frame.
  if (DesktopSize(dw, dh)) CentreOnDesktop(x, y, kClientWidth, kClientHeight, dw, dh);
  const std::string caption = SjisToUtf8(captionSjis);
  g_window =
      SDL_CreateWindow(caption.c_str(), x, y, kClientWidth, kClientHeight, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
  if (!g_window) return false;
  SDL_SetWindowResizable(g_window, SDL_FALSE);
  g_quitPosted = false;
  g_quitCode = 0;
  return true;
}

void WindowShow() {
  if (!g_window) return;
  SDL_ShowWindow(g_window);
  SDL_RaiseWindow(g_window);
}

void WindowDestroy() {
  if (g_window) {
    SDL_DestroyWindow(g_window);
    g_window = nullptr;
  }
  PostQuit(0);
}

bool WindowExists() { return g_window != nullptr; }

SDL_Window* WindowHandle() { return g_window; }

void WindowPlace(bool windowed) {
  if (!g_window) return;
  if (windowed) {
    SDL_SetWindowFullscreen(g_window, 0);
    SDL_SetWindowAlwaysOnTop(g_window, SDL_FALSE);
    SDL_SetWindowBordered(g_window, SDL_TRUE);
    SDL_SetWindowSize(g_window, kClientWidth, kClientHeight);
    // The outer window, frame and caption included, is what is centred; a host that
    // cannot tell its frame centres the client area.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(g_window, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
    const int outerWidth = kClientWidth + left + right, outerHeight = kClientHeight + top + bottom;
    int dw = 0, dh = 0, x = 0, y = 0;
    if (DesktopSize(dw, dh)) CentreOnDesktop(x, y, outerWidth, outerHeight, dw, dh);
    SDL_SetWindowPosition(g_window, x + left, y + top);
  } else {
    // The desktop keeps its own mode; the 640 by 480 picture is scaled to it.
    SDL_SetWindowFullscreen(g_window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_SetWindowAlwaysOnTop(g_window, SDL_TRUE);
  }
  SDL_ShowWindow(g_window);
}

bool WindowHasFocus() { return g_window && (SDL_GetWindowFlags(g_window) & SDL_WINDOW_INPUT_FOCUS) != 0; }

PumpResult PumpOneEvent() {
  if (g_quitPosted) return PumpResult::Quit;
  SDL_Event e;
  if (!SDL_PollEvent(&e)) return PumpResult::Idle;
  const bool closeRequest =
      e.type == SDL_QUIT || (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE);
  if (closeRequest) {
    if (g_closeHandler) {
      g_closeHandler();
    } else {
      WindowDestroy();
    }
  }
  return g_quitPosted ? PumpResult::Quit : PumpResult::Handled;
}

void SetCloseHandler(std::function<void()> handler) { g_closeHandler = std::move(handler); }

void PostQuit(int code) {
  g_quitPosted = true;
  g_quitCode = code;
}

int QuitCode() { return g_quitCode; }
void ResetQuit() {
  g_quitPosted = false;
  g_quitCode = 0;
}

void MessageBox(std::string_view textSjis, std::string_view captionSjis) {
  if (g_messageBoxHook) {
    g_messageBoxHook(textSjis, captionSjis);
    return;
  }
  const std::string text = SjisToUtf8(textSjis);
  const std::string caption = SjisToUtf8(captionSjis);
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(), g_window) != 0) {
    // No way to show a box (no display): the message still reaches whoever watches.
    SDL_Log("%s: %s", caption.c_str(), text.c_str());
  }
}

void SetMessageBoxHook(MessageBoxHook hook) { g_messageBoxHook = std::move(hook); }

}  // namespace plat
