#ifndef QUORVEX_DRIVER_BATCH_ORDERED_JOBS_H_
#define QUORVEX_DRIVER_BATCH_ORDERED_JOBS_H_

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "driver/batch/form_outcome.h"

namespace quorvex {

// Runs job(0) to job(count - 1) on a number of worker threads, in order of index as workers
// come free, and hands the outcomes back in order of index. Each worker calls start() before
// it takes its first job and finish() after its last. Destroying it lets the jobs that have
// started finish and starts no other.
class OrderedJobs {
 public:
  using Job = std::function<FormOutcome(size_t)>;

  OrderedJobs(size_t count, int workers, Job job, std::function<void()> start,
              std::function<void()> finish);
  ~OrderedJobs();
  OrderedJobs(const OrderedJobs&) = delete;
  OrderedJobs& operator=(const OrderedJobs&) = delete;

  // Waits for the outcome of job index and takes it; indexes are taken in increasing order.
  FormOutcome Take(size_t index);

 private:
  void Work();

  Job job_;
  std::function<void()> start_;
  std::function<void()> finish_;
  std::vector<std::optional<FormOutcome>> outcomes_;
  std::atomic<size_t> next_{0};
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::condition_variable done_;
  std::vector<std::thread> workers_;
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_ORDERED_JOBS_H_
