// The HTTP server under mdhost serve: it listens on the loopback address,
// reads each request on its connection's own thread and hands it to the
// handler, which may take its time (it waits for the host thread) or stream
// its answer (server-sent events).
#pragma once

#include <memory>

#include "serve/http_exchange.h"

class HttpServer {
 public:
  explicit HttpServer(HttpHandler handler);
  ~HttpServer();  // stops first
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Listens on 127.0.0.1:port (0: any free port); the port it listens on, or
  // 0 when it cannot.
  int Listen(int port);
  // Accepts connections, on a thread of its own, until Stop.
  void Start();
  // Ends accepting and closes every connection, then waits for their
  // threads. A handler still waiting must be let go first (the host queue
  // and the event hub closed).
  void Stop();

 private:
  class Backend;
  std::unique_ptr<Backend> backend_;
};
