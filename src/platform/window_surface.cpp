// The window's drawing surface as the window system has it. Kept apart from window.cpp:
// the GLX header brings Xlib's macros with it.
#include <SDL.h>
#include <SDL_syswm.h>
#include <epoxy/egl.h>
#include <epoxy/glx.h>

#include "platform/window.h"

namespace plat {
namespace {

bool EglSurfaceSize(int& width, int& height) {
  if (!epoxy_has_egl() || eglGetCurrentContext() == EGL_NO_CONTEXT) return false;
  const EGLDisplay display = eglGetCurrentDisplay();
  const EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
  EGLint w = 0, h = 0;
  if (surface == EGL_NO_SURFACE || !eglQuerySurface(display, surface, EGL_WIDTH, &w) ||
      !eglQuerySurface(display, surface, EGL_HEIGHT, &h) || w <= 0 || h <= 0) {
    return false;
  }
  width = w;
  height = h;
  return true;
}

// One question to the X server, which answers with the window's size as it stands.
bool GlxDrawableSize(SDL_Window* window, int& width, int& height) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  if (!epoxy_has_glx(info.info.x11.display) || !glXGetCurrentContext()) return false;
  unsigned w = 0, h = 0;
  glXQueryDrawable(info.info.x11.display, info.info.x11.window, GLX_WIDTH, &w);
  glXQueryDrawable(info.info.x11.display, info.info.x11.window, GLX_HEIGHT, &h);
  if (w == 0 || h == 0) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

}  // namespace

void WindowDrawableSize(SDL_Window* window, int& width, int& height) {
  width = kClientWidth;
  height = kClientHeight;
  if (!window || EglSurfaceSize(width, height) || GlxDrawableSize(window, width, height)) return;
  SDL_GL_GetDrawableSize(window, &width, &height);
}

}  // namespace plat
