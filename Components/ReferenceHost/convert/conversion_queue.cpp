#include "convert/conversion_queue.h"

#include <algorithm>

ConversionQueue::ConversionQueue(const ConversionCache& cache, const EncodeSettings& settings, unsigned jobs)
    : cache_(cache), settings_(settings), jobs_(std::max(jobs, 1u)) {}

ConversionQueue::~ConversionQueue() { Stop(); }

unsigned ConversionQueue::DefaultJobs() { return std::max(std::thread::hardware_concurrency(), 1u); }

size_t ConversionQueue::Add(const CacheSource& source) {
  std::lock_guard<std::mutex> lock(mutex_);
  sources_.push_back(source);
  outcomes_.emplace_back();
  if (workers_.empty())
    for (unsigned i = 0; i < jobs_; ++i) workers_.emplace_back(&ConversionQueue::Work, this);
  changed_.notify_all();
  return sources_.size() - 1;
}

ConversionOutcome ConversionQueue::Wait(size_t index) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return outcomes_[index].has_value() || closed_; });
  if (!outcomes_[index]) return {false, false, std::string(), "stopped before it was converted"};
  return *outcomes_[index];
}

std::optional<ConversionOutcome> ConversionQueue::WaitUnless(size_t index, const std::function<bool()>& stopped) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!changed_.wait_for(lock, std::chrono::milliseconds(50),
                            [&] { return outcomes_[index].has_value() || closed_; })) {
    if (stopped()) return std::nullopt;
  }
  if (!outcomes_[index]) return std::nullopt;
  return *outcomes_[index];
}

void ConversionQueue::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_)
    if (worker.joinable()) worker.join();
}

void ConversionQueue::Work() {
  for (;;) {
    size_t index = 0;
    CacheSource source;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return closed_ || next_ < sources_.size(); });
      if (closed_) return;
      index = next_++;
      source = sources_[index];
    }
    ConversionOutcome outcome;
    outcome.mp3 = cache_.PathFor(source, settings_);
    if (cache_.Has(source, settings_)) {
      outcome.ok = true;
    } else {
      const ConversionResult made = cache_.Make(source, settings_, stop_);
      if (made.stopped) return;
      outcome.ok = made.ok;
      outcome.converted = made.ok;
      outcome.problem = made.problem;
      if (made.ok) ++converted_;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      outcomes_[index] = outcome;
      ++finished_;
    }
    changed_.notify_all();
  }
}
