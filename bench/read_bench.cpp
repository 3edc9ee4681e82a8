// Timing of reading a large model with its listing: `rivsim --check` on the
// generated river of 1024 sections of 1000 points (scripts/gen_large_model.sh),
// side by side with the yardstick `awk '{s+=$1+$2}'` over the same section
// file. Both are separate processes; their CPU time (user + system) is taken
// from the resource use of the finished children. The reported time is that of
// the reading; the counters hold the yardstick and the ratio of the two.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <string>

namespace {

double children_cpu() {
  rusage ru{};
  getrusage(RUSAGE_CHILDREN, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec);
}

// CPU seconds of a shell command run as a child.
double cpu_of(const std::string& cmd) {
  const double t0 = children_cpu();
  if (std::system(cmd.c_str()) != 0) return -1.0;
  return children_cpu() - t0;
}

std::string model_folder;  // folder of the generated model

void remove_model() {
  if (!model_folder.empty()) std::system(("rm -rf " + model_folder).c_str());
}

// The generated model, made once per benchmark run and removed at its end.
const std::string& model_dir() {
  if (model_folder.empty()) {
    char tmpl[] = "/tmp/rivsim_read_XXXXXX";
    if (!mkdtemp(tmpl)) return model_folder;
    model_folder = tmpl;
    std::atexit(remove_model);
    const std::string gen = "bash " RIVSIM_SOURCE_DIR "/scripts/gen_large_model.sh " +
                            model_folder + " plain 1024 1000";
    if (std::system(gen.c_str()) != 0) model_folder.clear();
  }
  return model_folder;
}

void BM_read_model(benchmark::State& state) {
  const std::string& dir = model_dir();
  if (dir.empty()) {
    state.SkipWithError("model not generated");
    return;
  }
  const std::string read = "cd " + dir + " && " RIVSIM_EXE " --check river.txt >/dev/null 2>&1";
  const std::string awk = "awk '{s+=$1+$2}' " + dir + "/sections.txt";
  double sum_read = 0.0, sum_awk = 0.0;
  for (auto _ : state) {
    const double tr = cpu_of(read);
    const double ta = cpu_of(awk);
    if (tr < 0.0 || ta < 0.0) {
      state.SkipWithError("command failed");
      return;
    }
    state.SetIterationTime(tr);
    sum_read += tr;
    sum_awk += ta;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["awk_ms"] = 1e3 * sum_awk / n;
  state.counters["ratio"] = sum_read / sum_awk;
}
BENCHMARK(BM_read_model)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
