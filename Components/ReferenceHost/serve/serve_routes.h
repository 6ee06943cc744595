// The HTTP face of mdhost serve: the page and its JSON API, each request
// let through only past the access check, each piece of work handed to the
// host thread that owns the plug-in. It answers requests of its own shape
// (serve/http_exchange.h), whatever server brings them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "serve/event_hub.h"
#include "serve/host_thread_queue.h"
#include "serve/http_exchange.h"
#include "serve/player_view.h"
#include "serve/upload_spool.h"

struct ServeSettings {
  std::string token;
  int port = 0;
  std::uint64_t uploadCap = 0;  // bytes of one sent file
};

class ServeRoutes {
 public:
  // `view` is only touched through `queue`.
  ServeRoutes(const ServeSettings& settings, HostThreadQueue& queue, PlayerView& view, EventHub& events,
              const UploadSpool& spool);

  // Answers one request; never throws.
  void Answer(HttpRequest& request, HttpResponse& response) const;

 private:
  struct Route {
    std::string method, path;
    std::function<void(HttpRequest&, HttpResponse&)> answer;
  };
  void AddPosts(HostThreadQueue& queue, PlayerView& view);
  void AddEvents(EventHub& events);
  void AddSend(HostThreadQueue& queue, PlayerView& view, EventHub& events, const UploadSpool& spool);

  const ServeSettings& settings_;
  std::vector<Route> routes_;
};

// The page, HTML with its style and script inline.
extern const char kServePage[];
