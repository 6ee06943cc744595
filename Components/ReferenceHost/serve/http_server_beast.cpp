// The HTTP server over Boost.Beast and Boost.Asio, the one unit that sees
// them (their headers are heavy: compiled once per build). Each connection
// has a thread and an io_context of its own; its thread runs one
// asynchronous operation at a time to its end, so the connection reads as
// plain sequential code while a deadline or a close posted by Stop can still
// end any wait.
//
// Any local program can connect, so no idle connection may keep the user
// out: when every slot is taken, the connection that has waited longest for
// a request's head (at least kIdleBeforeEviction) is closed to make room, and
// when every slot is busy with a request the newcomer is answered 503 in
// words rather than dropped.
#include "serve/http_server.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <limits>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {

constexpr auto kFirstHead = std::chrono::seconds(5);  // from the connection's opening to its first request's head
constexpr auto kIdle = std::chrono::seconds(15);      // a kept-alive connection between requests
constexpr auto kTransfer = std::chrono::seconds(60);  // one piece read or written
// After a refusal that leaves a body unread, what the client still sends is
// read and dropped for a while before the connection closes: closed at once,
// the unread bytes would make the system reset the connection, and the
// client could lose the refusal it has not read yet.
constexpr auto kLinger = std::chrono::seconds(2);
constexpr std::uint32_t kLargestHeader = 64 << 10;  // a listing's query carries a path of up to 4 KiB, escaped
constexpr std::size_t kPiece = 64 << 10;
constexpr std::size_t kMostConnections = 64;
// A client sends its request's head as soon as it connects: one that has
// sent none for this long may be closed to make room. (Shorter, and a
// request whose thread has not yet started reading could be taken for idle.)
constexpr auto kIdleBeforeEviction = std::chrono::seconds(1);
// Connections beyond the limit that are answered 503 (each lingers up to
// kLinger); beyond these too, a connection is closed unanswered.
constexpr std::size_t kMostTurnedAway = 64;

using RequestParser = http::request_parser<http::buffer_body>;

struct Connection {
  net::io_context io;
  beast::tcp_stream stream{io};
  std::thread thread;
  std::atomic<bool> ended{false};
  std::atomic<bool> awaitingHead{true};  // no request in hand: it may be closed to make room
  std::atomic<std::chrono::steady_clock::rep> awaitingSince{std::chrono::steady_clock::now().time_since_epoch().count()};
  bool evicted = false;                  // told to close; no longer counted (under the server's mutex)
  bool turnedAway = false;               // answered 503 only
};

// Closes the connection from any thread; its own thread sees its wait end.
void PostClose(Connection& connection) {
  net::post(connection.io, [&stream = connection.stream] {
    beast::error_code ignored;
    stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream.close();
  });
}

// Whether the client has closed its side: a look at the socket that takes
// nothing from it and never waits.
bool PeerGone(beast::tcp_stream& stream) {
  auto& socket = stream.socket();
  beast::error_code error;
  socket.non_blocking(true, error);
  char byte;
  const std::size_t peeked = socket.receive(net::buffer(&byte, 1), tcp::socket::message_peek, error);
  beast::error_code ignored;
  socket.non_blocking(false, ignored);
  if (error == net::error::would_block || error == net::error::try_again) return false;
  return error || peeked == 0;
}

// Starts the operation `start` and runs `io` until it ends; its error.
template <class Start>
beast::error_code Await(net::io_context& io, Start start) {
  beast::error_code result;
  bool done = false;
  start([&](beast::error_code error, auto&&...) {
    result = error;
    done = true;
  });
  io.restart();
  while (!done && io.run_one() != 0) {
  }
  return done ? result : beast::error_code(net::error::operation_aborted);
}

// A request Beast could not read as HTTP (as against a connection that
// closed or timed out).
bool IsUnreadable(const beast::error_code& error) {
  const beast::error_code endOfStream = http::error::end_of_stream;
  return error.category() == endOfStream.category() && error != endOfStream;
}

// The request's method, target and headers in the routes' shape; false when
// its target is none this server reads.
bool ReadHead(const RequestParser& parser, HttpRequest* request) {
  const auto& head = parser.get();
  request->method = std::string(head.method_string());
  for (const auto& field : head) {
    std::string name(field.name_string());
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    request->headers.emplace(std::move(name), std::string(field.value()));
  }
  return SplitTarget(std::string(head.target()), &request->path, &request->params);
}

class Exchange {
 public:
  Exchange(Connection& connection, beast::flat_buffer& buffer) : connection_(connection), buffer_(buffer) {
    parser_.header_limit(kLargestHeader);
    // The routes hold each body to a limit of their own. (Beast 1.74 compares
    // a Content-Length with a limit of boost::none as if it were exceeded.)
    parser_.body_limit(std::numeric_limits<std::uint64_t>::max());
  }

  // Reads, answers and writes one request; true when the connection may
  // carry the next.
  bool Run(const HttpHandler& handler, bool first);
  // Answers 503 whatever the request, and closes.
  void TurnAway();

 private:
  bool ReadBody(const HttpRequest::BodySink& sink);
  beast::error_code WriteWhole(HttpResponse& response, bool keepAlive);
  beast::error_code WriteStream(HttpResponse& response, bool keepAlive);
  template <class Message>
  void SetHead(Message& message, const HttpResponse& response, bool keepAlive);
  bool Refuse(int status, const std::string& sentence);
  void Linger();

  Connection& connection_;
  beast::flat_buffer& buffer_;
  RequestParser parser_;
};

bool Exchange::Run(const HttpHandler& handler, bool first) {
  connection_.stream.expires_after(first ? kFirstHead : kIdle);
  connection_.awaitingSince = std::chrono::steady_clock::now().time_since_epoch().count();
  connection_.awaitingHead = true;
  const beast::error_code read = Await(connection_.io, [&](auto done) {
    http::async_read_header(connection_.stream, buffer_, parser_, std::move(done));
  });
  connection_.awaitingHead = false;
  if (read == http::error::header_limit) return Refuse(431, "The request's header is larger than this view reads.");
  if (IsUnreadable(read)) return Refuse(400, "The request is not HTTP this view reads.");
  if (read) return false;
  HttpRequest request;
  if (!ReadHead(parser_, &request)) return Refuse(400, "The request's address is not one this view reads.");
  request.readBody = [this](const HttpRequest::BodySink& sink) { return ReadBody(sink); };
  HttpResponse response;
  handler(request, response);
  const bool whole = parser_.is_done();
  const bool keepAlive = whole && parser_.get().keep_alive() && !response.close;
  const beast::error_code written =
      response.stream ? WriteStream(response, keepAlive) : WriteWhole(response, keepAlive);
  if (!written && !whole) Linger();
  return !written && keepAlive;
}

bool Exchange::ReadBody(const HttpRequest::BodySink& sink) {
  if (beast::iequals(parser_.get()[http::field::expect], "100-continue")) {
    http::response<http::empty_body> proceed{http::status::continue_, parser_.get().version()};
    connection_.stream.expires_after(kTransfer);
    if (Await(connection_.io, [&](auto done) { http::async_write(connection_.stream, proceed, std::move(done)); }))
      return false;
  }
  std::vector<char> piece(kPiece);
  while (!parser_.is_done()) {
    parser_.get().body().data = piece.data();
    parser_.get().body().size = piece.size();
    connection_.stream.expires_after(kTransfer);
    beast::error_code error = Await(connection_.io, [&](auto done) {
      http::async_read_some(connection_.stream, buffer_, parser_, std::move(done));
    });
    if (error == http::error::need_buffer) error = {};
    if (error) return false;
    const std::size_t received = piece.size() - parser_.get().body().size;
    if (received != 0 && !sink(piece.data(), received)) return false;
  }
  return true;
}

template <class Message>
void Exchange::SetHead(Message& message, const HttpResponse& response, bool keepAlive) {
  message.result(static_cast<unsigned>(response.status));
  message.version(parser_.get().version());
  message.set(http::field::content_type, response.contentType);
  for (const auto& [name, value] : response.headers) message.set(name, value);
  message.keep_alive(keepAlive);
}

beast::error_code Exchange::WriteWhole(HttpResponse& response, bool keepAlive) {
  http::response<http::string_body> message;
  SetHead(message, response, keepAlive);
  message.body() = std::move(response.body);
  message.prepare_payload();
  connection_.stream.expires_after(kTransfer);
  return Await(connection_.io, [&](auto done) { http::async_write(connection_.stream, message, std::move(done)); });
}

// Sent chunked, a piece as soon as the handler hands it out.
beast::error_code Exchange::WriteStream(HttpResponse& response, bool keepAlive) {
  http::response<http::empty_body> message;
  SetHead(message, response, keepAlive);
  message.chunked(true);
  http::response_serializer<http::empty_body> serializer(message);
  connection_.stream.expires_after(kTransfer);
  beast::error_code error = Await(connection_.io, [&](auto done) {
    http::async_write_header(connection_.stream, serializer, std::move(done));
  });
  std::string piece;
  while (!error && response.stream(&piece)) {
    // A client that left is noticed while nothing is sent: its slot and its
    // stream go at once rather than at the next write.
    if (PeerGone(connection_.stream)) return net::error::connection_reset;
    if (piece.empty()) continue;  // an empty chunk would end the body
    connection_.stream.expires_after(kTransfer);
    error = Await(connection_.io, [&](auto done) {
      net::async_write(connection_.stream, http::make_chunk(net::buffer(piece)), std::move(done));
    });
  }
  if (error) return error;
  return Await(connection_.io, [&](auto done) {
    net::async_write(connection_.stream, http::make_chunk_last(), std::move(done));
  });
}

// A request this server cannot read: a sentence, and the connection closes.
bool Exchange::Refuse(int status, const std::string& sentence) {
  HttpResponse response;
  response.status = status;
  response.body = sentence + "\n";
  if (!WriteWhole(response, false)) Linger();
  return false;
}

void Exchange::TurnAway() {
  Refuse(503, "mdhost serve is busy with as many requests as it takes at once; try again in a moment.");
}

void Exchange::Linger() {
  beast::error_code ignored;
  connection_.stream.socket().shutdown(tcp::socket::shutdown_send, ignored);
  connection_.stream.expires_after(kLinger);
  std::vector<char> dropped(kPiece);
  while (!Await(connection_.io, [&](auto done) {
    connection_.stream.async_read_some(net::buffer(dropped), std::move(done));
  })) {
  }
}

void ServeConnection(Connection& connection, const HttpHandler& handler) {
  try {
    beast::flat_buffer buffer;
    if (connection.turnedAway) {
      Exchange(connection, buffer).TurnAway();
    } else {
      bool first = true;
      while (Exchange(connection, buffer).Run(handler, first)) first = false;
    }
  } catch (...) {
    // Nothing a connection meets may end the server; the connection closes.
  }
  beast::error_code ignored;
  connection.stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
  connection.stream.close();
  connection.ended = true;
}

}  // namespace

class HttpServer::Backend {
 public:
  explicit Backend(HttpHandler handler) : handler_(std::move(handler)) {}

  int Listen(int port);
  void Start() { listener_ = std::thread([this] { Accept(); }); }
  void Stop();

 private:
  void Accept();
  // Joins the threads of connections that have ended.
  void Reap();
  // Whether a new connection may be served: a slot is free, or the oldest
  // connection waiting for a request's head gives up its own.
  bool MakeRoom();
  std::size_t Count(bool turnedAway) const;

  HttpHandler handler_;
  net::io_context io_;
  tcp::acceptor acceptor_{io_};
  std::thread listener_;
  std::mutex mutex_;
  std::list<std::unique_ptr<Connection>> connections_;
};

int HttpServer::Backend::Listen(int port) {
  const tcp::endpoint endpoint(net::ip::make_address_v4("127.0.0.1"), static_cast<unsigned short>(port));
  beast::error_code error;
  acceptor_.open(endpoint.protocol(), error);
#ifndef _WIN32
  // A port in TIME_WAIT from the last run can be taken again. (On Windows
  // the same option would let another program take the port as well.)
  if (!error) acceptor_.set_option(net::socket_base::reuse_address(true), error);
#endif
  if (!error) acceptor_.bind(endpoint, error);
  if (!error) acceptor_.listen(net::socket_base::max_listen_connections, error);
  if (error) return 0;
  return acceptor_.local_endpoint(error).port();
}

void HttpServer::Backend::Accept() {
  while (true) {
    auto connection = std::make_unique<Connection>();
    const beast::error_code error =
        Await(io_, [&](auto done) { acceptor_.async_accept(connection->stream.socket(), std::move(done)); });
    if (!acceptor_.is_open()) return;
    if (error) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));  // out of handles, say: try again soon
      continue;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    Reap();
    if (!MakeRoom()) {
      if (Count(true) >= kMostTurnedAway) continue;  // dropped: closed with `connection`
      connection->turnedAway = true;
    }
    Connection& started = *connection;
    connections_.push_back(std::move(connection));
    started.thread = std::thread([&started, this] { ServeConnection(started, handler_); });
  }
}

void HttpServer::Backend::Reap() {
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (!(*it)->ended) {
      ++it;
      continue;
    }
    (*it)->thread.join();
    it = connections_.erase(it);
  }
}

std::size_t HttpServer::Backend::Count(bool turnedAway) const {
  std::size_t count = 0;
  for (const auto& connection : connections_)
    count += !connection->ended && !connection->evicted && connection->turnedAway == turnedAway;
  return count;
}

bool HttpServer::Backend::MakeRoom() {
  if (Count(false) < kMostConnections) return true;
  using Clock = std::chrono::steady_clock;
  const Clock::rep latest = (Clock::now() - kIdleBeforeEviction).time_since_epoch().count();
  Connection* longest = nullptr;
  for (auto& connection : connections_) {
    if (connection->ended || connection->evicted || connection->turnedAway || !connection->awaitingHead ||
        connection->awaitingSince > latest)
      continue;
    if (!longest || connection->awaitingSince < longest->awaitingSince) longest = connection.get();
  }
  if (!longest) return false;
  longest->evicted = true;
  PostClose(*longest);
  return true;
}

void HttpServer::Backend::Stop() {
  if (listener_.joinable()) {
    net::post(io_, [this] {
      beast::error_code ignored;
      acceptor_.close(ignored);
    });
    listener_.join();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& connection : connections_) PostClose(*connection);
  for (auto& connection : connections_) connection->thread.join();
  connections_.clear();
}

HttpServer::HttpServer(HttpHandler handler) : backend_(std::make_unique<Backend>(std::move(handler))) {}

HttpServer::~HttpServer() { Stop(); }

int HttpServer::Listen(int port) { return backend_->Listen(port); }

void HttpServer::Start() { backend_->Start(); }

void HttpServer::Stop() { backend_->Stop(); }
