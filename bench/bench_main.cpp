// milva_bench: how fast the game starts, draws and paces its frames and how much memory
// it takes, measured headless on whatever OpenGL the machine has. Run it beside the
// data files:  cd build && ./milva_bench
//
// Fixed iteration counts, a fixed random seed and a scripted walk make runs comparable.
// Times per frame come with their median and 99th percentile as counters (milliseconds).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "driver.h"
#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/graphics.h"
#include "engine/shell.h"
#include "engine/sound.h"
#include "engine/util.h"
#include "field/field_view.h"
#include "field/map.h"
#include "platform/audio.h"
#include "platform/image.h"
#include "platform/recording/audio_recording.h"
#include "platform/recording/gpu_recording.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const auto i = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(i, values.size() - 1)];
}

void ReportSpread(benchmark::State& state, const std::vector<double>& ms) {
  state.counters["p50_ms"] = Percentile(ms, 0.50);
  state.counters["p99_ms"] = Percentile(ms, 0.99);
  state.counters["max_ms"] = Percentile(ms, 1.0);
}

void ReportFrameStats(benchmark::State& state) {
  const plat::FrameStats stats = bench::LastFrameStats();
  state.counters["draws"] = stats.drawCalls;
  state.counters["textures"] = stats.textures;
}

double CpuMs(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}
double ThreadCpuMs() { return CpuMs(CLOCK_THREAD_CPUTIME_ID); }

// One frame a benchmark iteration, timed by hand so each frame's time is kept; the GPU's
// work is finished inside the timing. `walk` holds the scripted walk's keys. Besides the
// time, the processor time all threads spent a frame (software OpenGL's own included),
// which a busy machine disturbs less than the time.
void RunFrames(benchmark::State& state, bool walk, bool effects = false) {
  std::vector<double> ms;
  ms.reserve(static_cast<size_t>(state.max_iterations));
  int64_t frame = 0;
  const double cpu0 = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
  for (auto _ : state) {
    if (walk) bench::WalkKeys(frame++);
    if (effects) bench::KeepEffects();
    const Clock::time_point t0 = Clock::now();
    bench::Frame();
    bench::FinishGpu();
    const double elapsed = Ms(Clock::now() - t0);
    state.SetIterationTime(elapsed / 1e3);
    ms.push_back(elapsed);
  }
  const double cpu = CpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
  state.counters["all_threads_cpu_ms"] = ms.empty() ? 0.0 : cpu / static_cast<double>(ms.size());
  ReportSpread(state, ms);
  ReportFrameStats(state);
}

void BM_TitleFrame(benchmark::State& state, plat::DeviceBackend backend) {
  if (!bench::StartGame(backend)) {
    state.SkipWithError("start-up failed");
    return;
  }
  bench::Frame();
  RunFrames(state, false);
  bench::StopGame();
}

void BM_FieldFrame(benchmark::State& state, plat::DeviceBackend backend) {
  if (!bench::StartGame(backend) || !bench::ReachField()) {
    state.SkipWithError("could not reach the field");
    bench::StopGame();
    return;
  }
  RunFrames(state, true);
  bench::StopGame();
}

// A random battle of six enemies in the party's phase, a ring turning and an orb
// circling over every enemy: the battlefield, ten unit models, twelve effect shapes,
// the gauges and the panels.
void BM_BattleFrame(benchmark::State& state, plat::DeviceBackend backend) {
  if (!bench::StartGame(backend) || !bench::ReachField() || !bench::ReachBattle()) {
    state.SkipWithError("could not reach a battle");
    bench::StopGame();
    return;
  }
  RunFrames(state, false, true);
  bench::StopGame();
}

// The field view's map alone on the recorder, the camera over the middle of a square map
// `side` cells wide made by repeating the first village's tiles: the time should not
// grow with the map, as the view only looks at the cells the camera can reach.
void BM_FieldMapDraw(benchmark::State& state) {
  if (!bench::StartGame(plat::DeviceBackend::Recording) || !bench::ReachField()) {
    state.SkipWithError("could not reach the field");
    bench::StopGame();
    return;
  }
  const int side = static_cast<int>(state.range(0));
  const int width = g_mapWidth, height = g_mapHeight;
  const std::vector<int8_t> village(g_tileLayer, g_tileLayer + width * height);
  for (int r = 0; r < side; ++r) {
    for (int c = 0; c < side; ++c)
      g_tileLayer[r * side + c] = village[static_cast<size_t>((r % height) * width + c % width)];
  }
  g_mapWidth = g_mapHeight = side;
  const float at[3] = {1.0f, 0.0f, -1.0f};
  float eye[3] = {0.0f, kCameraHeight, 0.0f};
  PolarOffset(&eye[0], &eye[2], at[0], at[2], 270.0f, kCameraDistance);
  CameraSetView(at, eye);
  FrustumUpdate();
  plat::RecordingDevice* recorder = plat::CurrentRecordingDevice();
  size_t faces = 0;
  for (auto _ : state) {
    recorder->current.clear();
    DrawFieldMap(-1.5f);
    faces = recorder->current.size();
  }
  state.counters["faces"] = static_cast<double>(faces);
  std::copy(village.begin(), village.end(), g_tileLayer);
  g_mapWidth = width;
  g_mapHeight = height;
  bench::StopGame();
}

// From nothing to the first title frame on the screen: host, window, GL context, the
// whole start-up chain and one frame.
void BM_StartupToTitleFrame(benchmark::State& state) {
  std::vector<double> ms;
  bench::StopHost();
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    const bool ok = bench::StartGame(plat::DeviceBackend::OpenGL);
    bench::Frame();
    bench::FinishGpu();
    const double elapsed = Ms(Clock::now() - t0);
    state.SetIterationTime(elapsed / 1e3);
    ms.push_back(elapsed);
    bench::StopHost();
    if (!ok) {
      state.SkipWithError("start-up failed");
      break;
    }
  }
  ReportSpread(state, ms);
}

void BM_AtlasDecode(benchmark::State& state) {
  if (!DataFileLoad()) {
    state.SkipWithError("no data.dat");
    return;
  }
  uint32_t size = 0;
  const uint8_t* bytes = DataFileGetEntry(kEntryAtlas, &size);
  for (auto _ : state) {
    plat::Image image;
    if (!plat::DecodeImage(bytes, size, image)) state.SkipWithError("the atlas does not decode");
    plat::ApplyColourKey(image, kColourKey);
    benchmark::DoNotOptimize(image.pixels.data());
  }
  DataFileFree();
}

// The mixer opened on SDL's dummy driver and all 24 clips made ready (closing it again,
// which waits for the mixing thread, is not timed).
void BM_SoundStartup(benchmark::State& state) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  plat::SetAudioBackend(plat::AudioBackend::Mixer);
  if (!DataFileLoad()) {
    state.SkipWithError("no data.dat");
    return;
  }
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    if (!SoundInit()) state.SkipWithError("sound start-up failed");
    state.SetIterationTime(Ms(Clock::now() - t0) / 1e3);
    SoundShutdown();
  }
  DataFileFree();
}

// Frames as the program runs them, paced to 17 ms: the interval from one frame's start
// to the next, and how much of a core the game's own thread used meanwhile.
void BM_PacedFrames(benchmark::State& state, bool field) {
  if (!bench::StartGame(plat::DeviceBackend::OpenGL) || (field && !bench::ReachField())) {
    state.SkipWithError("start-up failed");
    bench::StopGame();
    return;
  }
  std::vector<double> intervals;
  int64_t frame = 0;
  const double cpu0 = ThreadCpuMs();
  const Clock::time_point start = Clock::now();
  Clock::time_point last = start;
  for (auto _ : state) {
    if (field) bench::WalkKeys(frame++);
    FrameRun();
    const Clock::time_point now = Clock::now();
    intervals.push_back(Ms(now - last));
    state.SetIterationTime(Ms(now - last) / 1e3);
    last = now;
  }
  const double wall = Ms(Clock::now() - start);
  state.counters["main_thread_cpu_pct"] = wall > 0 ? 100.0 * (ThreadCpuMs() - cpu0) / wall : 0.0;
  ReportSpread(state, intervals);
  bench::StopGame();
}

// Peak resident memory of a fresh process that starts the game and shows the title (or
// walks the field, or walks it after three random battles fought by auto-battle) for
// three seconds, read before the game shuts down (`peak_rss_MB`) and after
// (`with_shutdown_MB`, which adds what closing the window and the host takes): this program again, run with --probe,
// which reports its own high-water mark (the spawning process's memory is not in it).
void BM_PeakMemory(benchmark::State& state, const char* probe) {
  for (auto _ : state) {
    int fds[2];
    if (pipe(fds) != 0) {
      state.SkipWithError("no pipe");
      return;
    }
    std::string arg = std::string("--probe=") + probe;
    char self[] = "milva_bench";
    char* argv[] = {self, arg.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; spawned == 0 && (n = read(fds[0], buffer, sizeof buffer)) > 0;)
      out.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the probe failed");
      return;
    }
    char* rest = nullptr;
    const double playing = std::strtod(out.c_str(), &rest);
    state.counters["peak_rss_MB"] = playing / 1024.0;
    state.counters["with_shutdown_MB"] = std::strtod(rest, nullptr) / 1024.0;
  }
}

// The process's resident high-water mark in kB, from the kernel's own count.
long PeakResidentKb() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  long kb = 0;
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
  }
  std::fclose(status);
  return kb;
}

// Three seconds of paced frames, as the program runs them, once the screen is reached.
int RunProbe(const std::string& what) {
  const bool battles = what == "battles";
  const bool field = what == "field" || battles;
  if (!bench::StartGame(plat::DeviceBackend::OpenGL) || (field && !bench::ReachField())) return 1;
  if (battles && !bench::FightBattles(3)) return 1;
  for (int64_t frame = 0; frame < 180; ++frame) {
    if (field) bench::WalkKeys(frame);
    FrameRun();
  }
  const long playing = PeakResidentKb();
  bench::StopHost();
  std::printf("%ld %ld\n", playing, PeakResidentKb());
  return 0;
}

// The pictures a screen shows on OpenGL, frame by frame, for comparing two builds:
// every 25th of 200 frames of the field's walk (`field`) or of a six-enemy battle with
// its effects (`battle`), written as shot-<what>-<frame>.ppm in the working folder.
int RunShots(const std::string& what) {
  const bool battle = what == "battle";
  if (!bench::StartGame(plat::DeviceBackend::OpenGL) || !bench::ReachField() || (battle && !bench::ReachBattle())) {
    return 1;
  }
  for (int64_t frame = 0; frame < 200; ++frame) {
    if (battle) {
      bench::KeepEffects();
    } else {
      bench::WalkKeys(frame);
    }
    bench::Frame();
    if (frame % 25 != 0) continue;
    const plat::Image image = g_device->ReadFrame();
    const std::string name = "shot-" + what + "-" + std::to_string(frame) + ".ppm";
    FILE* out = std::fopen(name.c_str(), "wb");
    if (!out) return 1;
    std::fprintf(out, "P6\n%d %d\n255\n", image.width, image.height);
    for (uint32_t argb : image.pixels) {
      const unsigned char rgb[3] = {static_cast<unsigned char>(argb >> 16), static_cast<unsigned char>(argb >> 8),
                                    static_cast<unsigned char>(argb)};
      std::fwrite(rgb, 1, 3, out);
    }
    std::fclose(out);
  }
  bench::StopHost();
  return 0;
}

using plat::DeviceBackend;

BENCHMARK(BM_StartupToTitleFrame)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PeakMemory, title, "title")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PeakMemory, field, "field")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PeakMemory, battles, "battles")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AtlasDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoundStartup)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TitleFrame, recording, DeviceBackend::Recording)
    ->Iterations(20000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_TitleFrame, opengl, DeviceBackend::OpenGL)
    ->Iterations(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FieldFrame, recording, DeviceBackend::Recording)
    ->Iterations(20000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FieldFrame, opengl, DeviceBackend::OpenGL)
    ->Iterations(2000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FieldMapDraw)->Arg(32)->Arg(64)->Arg(128)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BattleFrame, recording, DeviceBackend::Recording)
    ->Iterations(20000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BattleFrame, opengl, DeviceBackend::OpenGL)
    ->Iterations(2000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PacedFrames, title, false)->Iterations(300)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PacedFrames, field, true)->Iterations(300)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--probe=", 0) == 0) return RunProbe(arg.substr(8));
    if (arg.rfind("--shots=", 0) == 0) return RunShots(arg.substr(8));
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  bench::StopHost();
  return 0;
}
