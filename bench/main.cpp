// fusebound_bench: the game's frame and blits against SDL_BlitSurface and a
// memcpy floor. Runs every case, then prints a table of medians and ratios.
// Google Benchmark's own flags work as usual (--benchmark_filter=frame/).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "arena/Arena.h"
#include "bench/Cases.h"
#include "bench/Scenes.h"
#include "player/Player.h"

namespace {

// Keeps the median of every case (or its only run) in nanoseconds, by name.
// Processor time of the benchmark's thread, not wall time: on a machine
// shared with other work, time spent descheduled is not the frame's.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> medians;

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool median =
          run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single =
          run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if ((median || single) && !run.error_occurred)
        medians[run.run_name.function_name] =
            run.GetAdjustedCPUTime() *
            benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
            benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
  }

  double get(const std::string& name) const {
    const auto it = medians.find(name);
    return it == medians.end() ? 0 : it->second;
  }
};

std::string micro(double ns) {
  if (ns <= 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", ns / 1000);
  return text;
}

std::string nano(double ns) {
  if (ns <= 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", ns);
  return text;
}

std::string ratio(double a, double b) {
  if (a <= 0 || b <= 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.2fx", a / b);
  return text;
}

void printTable(const MedianReporter& r) {
  std::printf(
      "\nOne frame of the game's own work (Arena::update + layout + cells + "
      "status bar + player),\nmedian of %d repetitions, microseconds:\n\n",
      bench::caseRepetitions);
  std::printf(
      "| arena | cells drawn | bytes | game frame | update | draw | "
      "SDL_BlitSurface | SDL + RLE | memcpy floor | SDL / game | "
      "game / memcpy |\n");
  std::printf("|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|\n");
  for (int i = 0; i < bench::sceneCount; ++i) {
    const bench::Scene& s = bench::scene(static_cast<bench::SceneId>(i));
    const std::string n = s.name;
    const double game = r.get("frame/game/" + n);
    const double sdl = r.get("frame/sdl/" + n);
    const double rle = r.get("frame/sdl-rle/" + n);
    const double floor = r.get("frame/memcpy/" + n);
    const double bestSdl = sdl > 0 && (rle <= 0 || sdl < rle) ? sdl : rle;
    std::printf("| %s | %d | %ld | %s | %s | %s | %s | %s | %s | %s | %s |\n",
                n.c_str(), s.cellsDrawn, bench::frameBytes(s),
                micro(game).c_str(), micro(r.get("update/game/" + n)).c_str(),
                micro(r.get("draw/game/" + n)).c_str(), micro(sdl).c_str(),
                micro(rle).c_str(), micro(floor).c_str(),
                ratio(bestSdl, game).c_str(), ratio(game, floor).c_str());
  }
  std::printf(
      "\nSDL / game: the faster of the two SDL variants over the game "
      "(higher is better for the game).\ngame / memcpy: the game over one "
      "memcpy of the same number of bytes (lower is better).\nThe game frame "
      "includes putting the arena back before each pass: %s us.\n",
      micro(r.get("frame/restore/busy")).c_str());

  std::printf("\nThe blits alone, median, nanoseconds per blit:\n\n");
  std::printf("| blit | game | SDL_BlitSurface | SDL + RLE | SDL / game |\n");
  std::printf("|---|--:|--:|--:|--:|\n");
  for (const char* k :
       {"keyed 16x16", "opaque 16x16", "sprite 16x24", "bar 256x23"}) {
    const std::string n = k;
    const double game = r.get("blit/game/" + n);
    const double sdl = r.get("blit/sdl/" + n);
    const double rle = r.get("blit/sdl-rle/" + n);
    const double bestSdl = sdl > 0 && (rle <= 0 || sdl < rle) ? sdl : rle;
    std::printf("| %s | %s | %s | %s | %s |\n", k, nano(game).c_str(),
                nano(sdl).c_str(), nano(rle).c_str(),
                ratio(bestSdl, game).c_str());
  }

  std::printf(
      "\nIs the picture the one shown already? Two equal 320 by 240 frames "
      "compared whole,\nmedian, microseconds:\n\n");
  std::printf("| one memcmp of the frame | a memcmp per row |\n|--:|--:|\n");
  std::printf("| %s | %s |\n", micro(r.get("compare/frame")).c_str(),
              micro(r.get("compare/rows")).c_str());
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  bench::startGame();
  bench::registerCases();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  printTable(reporter);
  return 0;
}
