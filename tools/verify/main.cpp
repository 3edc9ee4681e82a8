// rivsim-verify: runs the verification cases headless, draws their figures
// with the line-plot viewer and writes the verification report.
//
//   rivsim-verify REPORT.md FIGURE-FOLDER
//
// Ends with status 1 when a deviation exceeds its tolerance, 2 on a usage or
// file error.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "input/units.hpp"
#include "model/model.hpp"
#include "verify/cases.hpp"

using namespace riv;
using namespace riv::verify;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: rivsim-verify REPORT.md FIGURE-FOLDER\n");
    return 2;
  }
  const auto t0 = std::chrono::steady_clock::now();
  const std::string report = argv[1], figdir = argv[2];
  std::filesystem::create_directories(figdir);
  // Scratch folder: the graphics settings file and the listing stay there.
  const auto scratch =
      std::filesystem::temp_directory_path() / ("rivsim-verify-" + std::to_string(getpid()));
  std::filesystem::create_directories(scratch);
  const auto report_abs = std::filesystem::absolute(report);
  const auto fig_abs = std::filesystem::absolute(figdir);
  std::filesystem::current_path(scratch);
  model_init();
  uopen_memory(cunit.lulst);
  grx_use_headless();
  grinit(5, cunit.lulst, "RIVSIM", "out", 0);

  const std::vector<std::function<Case()>> all{
      uniform_and_critical, m1_m2_profiles,           weir_heads, hydraulic_jump,   macdonald,
      lateral_distribution, routing_balance_and_wave, level_pool, sediment_balance, mixing_balance};
  std::vector<Case> cases;
  int failed = 0;
  for (const auto& run : all) {
    Case k = run();
    for (const Figure& f : k.figures)
      if (!draw_figure(f, fig_abs.string()))
        std::fprintf(stderr, "figure %s not written\n", f.file.c_str());
    bool pending = !k.rows.empty();
    for (const Row& r : k.rows) pending = pending && r.pending;
    std::printf("%-55s %s\n", k.title.c_str(), pending ? "pending" : k.ok() ? "ok" : "FAILED");
    for (const Row& r : k.rows)
      if (!r.ok())
        std::printf("  %s: reference %g, RIVSIM %g, tolerance %g\n", r.what.c_str(), r.ref, r.got,
                    r.tol);
    failed += k.ok() ? 0 : 1;
    cases.push_back(std::move(k));
  }
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::filesystem::current_path(report_abs.parent_path());
  const std::string folder = std::filesystem::relative(fig_abs, report_abs.parent_path()).string();
  write_report(report_abs.string(), folder, cases);
  std::printf("%zu cases in %.1f s\n", cases.size(), secs);
  std::filesystem::remove_all(scratch);
  return failed ? 1 : 0;
}
