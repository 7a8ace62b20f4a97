// Preloaded into the game by bench/first_frame.sh: the first frame the game presents
// ends its start-up. The moment it has gone to the window is written to standard error
// as "first_frame_ns <nanoseconds of the real-time clock>", and the game ends there.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

extern "C" void SDL_GL_SwapWindow(void* window) {
  using Swap = void (*)(void*);
  const auto real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
  if (real) real(window);
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::fprintf(stderr, "first_frame_ns %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
  std::fflush(stderr);
  _exit(0);
}
