// The HTTP face of mdhost serve: the page and its JSON API, each request
// let through only past the access check, each piece of work handed to the
// host thread that owns the plug-in.
#pragma once

#include <cstdint>
#include <string>

#include "serve/http_server.h"

#include "serve/event_hub.h"
#include "serve/host_thread_queue.h"
#include "serve/player_view.h"
#include "serve/upload_spool.h"

struct ServeSettings {
  std::string token;
  int port = 0;
  std::uint64_t uploadCap = 0;  // bytes of one sent file
};

// Installs every route on `server`. `view` is only touched through `queue`.
void InstallRoutes(httplib::Server& server, const ServeSettings& settings, HostThreadQueue& queue, PlayerView& view,
                   EventHub& events, const UploadSpool& spool);

// The page, HTML with its style and script inline.
extern const char kServePage[];
