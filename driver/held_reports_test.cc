#include "driver/held_reports.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quorvex {
namespace {

using Report = std::pair<FilterAction, std::string>;

struct Recorder : FilterObserver {
  void LineFiltered(FilterAction action, std::string_view report) override {
    got.emplace_back(action, std::string(report));
  }
  std::vector<Report> got;
};

// Reports as a filter makes them: many repeated, many sharing their opening words, some empty
// or long, of every action; in all about bytes long.
std::vector<Report> Reports(size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<Report> reports;
  for (size_t total = 0; total < bytes;) {
    const unsigned kind = random() % 5;
    std::string text = kind == 0   ? ""
                       : kind == 1 ? "Skipped: TEdit.ImeMode = imDisable"
                       : kind == 2
                           ? "  Added: TForm" + std::to_string(random() % 50) + ".Scaled = False"
                       : kind == 3 ? "Skipped: T" + std::string(random() % 300, 'x') + ".Hint = 'h'"
                                   : "Skipped: TEdit" + std::to_string(random()) + ".Left = 1";
    total += text.size() + 1;
    reports.emplace_back(FilterAction(random() % 3), std::move(text));
  }
  return reports;
}

// The filter's thread reports while the backup is copied; released at any moment, every
// report reaches the console once and in order, and none before the release. A filter with
// more than the held bytes to report waits for the release.
TEST(HeldReports, PassesEveryReportOnInOrderOnceReleased) {
  for (size_t bytes : {size_t{0}, size_t{200000}, size_t{20} << 20}) {
    for (bool release_early : {false, true}) {
      SCOPED_TRACE(std::to_string(bytes) + (release_early ? ", released early" : ""));
      const std::vector<Report> reports = Reports(bytes, unsigned(bytes) + release_early);
      Recorder console;
      TextFeed feed{FileName("unused"), 4096};
      HeldReports held(console, feed);
      std::thread filter([&] {
        for (const Report& report : reports) held.LineFiltered(report.first, report.second);
      });
      if (!release_early && bytes < HeldReports::kHeldBytes) {
        filter.join();
        EXPECT_TRUE(console.got.empty());
      }
      held.Release();
      if (filter.joinable()) filter.join();
      EXPECT_EQ(console.got, reports);
    }
  }
}

// A run that ends while the filter waits for room stops the filter, which reported nothing.
TEST(HeldReports, StopEndsAFilterWaitingForRoom) {
  const std::vector<Report> reports = Reports(4 << 20, 7);
  Recorder console;
  TextFeed feed{FileName("unused"), 4096};
  HeldReports held(console, feed);
  bool stopped = false;
  std::thread filter([&] {
    try {
      for (const Report& report : reports) held.LineFiltered(report.first, report.second);
    } catch (const FilterStopped&) {
      stopped = true;
    }
  });
  held.Stop();
  filter.join();
  EXPECT_TRUE(stopped);
  EXPECT_TRUE(console.got.empty());
}

}  // namespace
}  // namespace quorvex
