// Runs every registered benchmark, then prints each "<case>:ours" time as a
// ratio to its "<case>:baseline" measured in the same run, so the figures do
// not depend on how fast this machine happens to be.

#include <benchmark/benchmark.h>

#include <algorithm>
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
            // "<case>:ours" or "<case>:baseline", perhaps followed by
            // Google Benchmark's own suffixes such as "/iterations:200".
            std::string name = run.benchmark_name();
            std::string key, role;
            for (const char* candidate : {"ours", "baseline"}) {
                auto at = name.find(std::string(":") + candidate);
                auto end = at == std::string::npos ? at : at + 1 + std::string(candidate).size();
                if (at != std::string::npos && (end == name.size() || name[end] == '/')) {
                    key = name.substr(0, at);
                    role = candidate;
                }
            }
            if (role.empty()) continue;
            double perIteration = run.GetAdjustedRealTime();
            if (role == "ours") ours_[key] = perIteration;
            if (role == "baseline") baseline_[key] = perIteration;
            if (role == "ours" && !std::count(order_.begin(), order_.end(), key)) order_.push_back(key);
        }
    }

    void PrintRatios() const {
        std::printf("\n%-48s %14s %14s %8s\n", "case", "ours", "baseline", "ratio");
        for (const auto& key : order_) {
            auto o = ours_.find(key);
            auto b = baseline_.find(key);
            if (b == baseline_.end()) {
                std::printf("%-48s %14.3f %14s %8s\n", key.c_str(), o->second, "-", "-");
                continue;
            }
            std::printf("%-48s %14.3f %14.3f %7.2fx\n", key.c_str(), o->second, b->second, o->second / b->second);
        }
        std::printf("(times per iteration in the benchmark's own unit)\n");
    }

private:
    std::map<std::string, double> ours_, baseline_;
    std::vector<std::string> order_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
