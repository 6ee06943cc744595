// Conversions run ahead of the sends, on worker threads (one per core by
// default), while the caller sends what is ready one by one through the
// plug-in as before. Stop() abandons the conversions in hand (the cache
// keeps no part of them) and starts no more.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "convert/conversion_cache.h"

struct ConversionOutcome {
  bool ok = false;
  bool converted = false;  // false: it was in the cache already
  std::string mp3;         // ok: the file to send
  std::string problem;     // not ok: why, in words
};

class ConversionQueue {
 public:
  ConversionQueue(const ConversionCache& cache, const EncodeSettings& settings, unsigned jobs);
  ~ConversionQueue();
  ConversionQueue(const ConversionQueue&) = delete;
  ConversionQueue& operator=(const ConversionQueue&) = delete;

  // Queues a source, in the order the caller will wait for them; the first
  // call starts the workers. Its number, from 0.
  size_t Add(const CacheSource& source);
  // The outcome of source `index`, once its conversion is over.
  ConversionOutcome Wait(size_t index);
  // The same, or nothing as soon as `stopped` answers true (asked a few
  // times a second): a Ctrl-C is not kept waiting for a long conversion.
  std::optional<ConversionOutcome> WaitUnless(size_t index, const std::function<bool()>& stopped);
  size_t Finished() const { return finished_.load(); }
  size_t Converted() const { return converted_.load(); }
  void Stop();

  // One worker per core, at least one.
  static unsigned DefaultJobs();

 private:
  void Work();

  const ConversionCache& cache_;
  const EncodeSettings settings_;
  const unsigned jobs_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<CacheSource> sources_;
  std::vector<std::optional<ConversionOutcome>> outcomes_;
  size_t next_ = 0;
  bool closed_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> finished_{0}, converted_{0};
  std::vector<std::thread> workers_;
};
