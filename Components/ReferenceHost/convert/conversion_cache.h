// Where converted tracks are kept, so that each is converted once:
// $XDG_CACHE_HOME/mdhost/mp3 (~/.cache/mdhost/mp3), one folder per source
// file (its path, size and modification time) and encoding settings, holding
// the MP3 under the source's own name with ".mp3" (the name the player gets,
// as DownloadFile names the copy after the file it is handed). A conversion
// is written into a folder of its own and renamed into place whole, so no
// half-converted file is ever found there. The least recently used entries
// go once the cache is over its limit.
#pragma once

#include <atomic>
#include <functional>
#include <set>
#include <string>

#include "convert/encode_settings.h"
#include "convert/mp3_conversion.h"

struct CacheSource {
  std::string path;  // absolute, as the system opens it
  unsigned long long size = 0;
  long long modified = 0;
};

using Converter = std::function<ConversionResult(const std::string& source, const std::string& destination,
                                                 const EncodeSettings&, const std::atomic<bool>& stop)>;

inline constexpr unsigned long long kDefaultCacheLimit = 4ull << 30;

class ConversionCache {
 public:
  explicit ConversionCache(std::string root = DefaultRoot(), unsigned long long limit = kDefaultCacheLimit,
                           Converter convert = ConvertToMp3);

  static std::string DefaultRoot();
  const std::string& Root() const { return root_; }

  // The MP3 of `source` with `settings`, whether or not it is there yet.
  std::string PathFor(const CacheSource& source, const EncodeSettings& settings) const;
  // Whether it is there; a hit counts as a use for the limit.
  bool Has(const CacheSource& source, const EncodeSettings& settings) const;
  // Converts it into place (safe from several threads at once).
  ConversionResult Make(const CacheSource& source, const EncodeSettings& settings,
                        const std::atomic<bool>& stop) const;

  // Takes out the least recently used entries, except those whose MP3 is in
  // `keep`, until the cache holds at most its limit, and every unfinished
  // conversion a killed run left.
  void Trim(const std::set<std::string>& keep) const;
  // Empties it; false with the reason when something could not go.
  bool Clean(std::string* error) const;

 private:
  std::string root_;
  unsigned long long limit_;
  Converter convert_;
};
