// Benchmark driver. Every measured case is registered twice, as Ours_<Case>
// and Peer_<Case> (the best equivalent on this machine: OpenSSL, zlib, ...).
// After the normal report the driver prints, per case, how many times faster
// ours is than the peer (peer time / our time; above 1.0 means faster).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const std::string name = run.benchmark_name();
      // CPU time, since on a shared machine wall time mostly measures the
      // neighbours; cases that time whole processes or set their own time
      // (".../real_time", ".../manual_time") keep their real time.
      const bool wall = name.find("/real_time") != std::string::npos ||
                        name.find("/manual_time") != std::string::npos;
      const double in_unit = wall ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
      const double t = in_unit * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      if (name.rfind("Ours_", 0) == 0) ours_[name.substr(5)] = t;
      if (name.rfind("Peer_", 0) == 0) peer_[name.substr(5)] = t;
    }
  }

  void PrintRatios() const {
    std::printf("\nratios (peer time / our time, CPU time unless the case runs on real time; above 1.0: ours is faster)\n");
  std::printf("%-48s %14s %14s %8s\n", "case", "ours", "peer", "ratio");
    for (const auto& [name, ours] : ours_) {
      auto it = peer_.find(name);
      if (it == peer_.end() || ours <= 0) continue;
      std::printf("%-48s %11.1f ns %11.1f ns %7.2fx\n", name.c_str(), ours, it->second,
                  it->second / ours);
    }
  }

 private:
  std::map<std::string, double> ours_;
  std::map<std::string, double> peer_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
