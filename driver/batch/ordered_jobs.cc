#include "driver/batch/ordered_jobs.h"

#include <algorithm>

namespace quorvex {

OrderedJobs::OrderedJobs(size_t count, int workers, Job job, std::function<void()> start,
                         std::function<void()> finish)
    : job_(std::move(job)), start_(std::move(start)), finish_(std::move(finish)), outcomes_(count) {
  size_t threads = std::min(count, size_t(std::max(workers, 1)));
  for (size_t i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

OrderedJobs::~OrderedJobs() {
  stopping_ = true;
  for (std::thread& worker : workers_) worker.join();
}

FormOutcome OrderedJobs::Take(size_t index) {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return outcomes_[index].has_value(); });
  FormOutcome outcome = std::move(*outcomes_[index]);
  outcomes_[index].reset();
  return outcome;
}

void OrderedJobs::Work() {
  start_();
  while (!stopping_) {
    size_t index = next_++;
    if (index >= outcomes_.size()) break;
    FormOutcome outcome = job_(index);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      outcomes_[index] = std::move(outcome);
    }
    done_.notify_all();
  }
  finish_();
}

}  // namespace quorvex
