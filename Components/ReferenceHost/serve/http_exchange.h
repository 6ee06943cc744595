// One HTTP request and its answer as mdhost serve's routes see them, the same
// whatever server carries them: the routes never meet the server library, so
// the checks they make are the same code on every platform.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct HttpRequest {
  // Receives the body's pieces as they arrive; false stops the reading.
  using BodySink = std::function<bool(const char* data, std::size_t length)>;

  std::string method;
  std::string path;                           // decoded, without the query
  std::map<std::string, std::string> params;  // the query's fields, decoded; the first of a name counts
  std::map<std::string, std::string> headers; // names in lower case; the first of a name counts
  // Reads the body to its end or until `sink` says stop; true when it arrived
  // whole. Called at most once.
  std::function<bool(const BodySink& sink)> readBody;

  std::string Header(const std::string& lowerName) const;
  std::string Param(const std::string& name) const;
};

struct HttpResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
  // When set, the body is sent in pieces as this hands them out (server-sent
  // events); it returns false when the stream ends. Whatever it holds is
  // let go when the response is.
  // (An empty piece sends nothing: it lets the server look whether the
  // client is still there.)
  std::function<bool(std::string* piece)> stream;
  // The connection closes after this answer (a request from no one the
  // server answers keeps no slot).
  bool close = false;

  void SetContent(std::string text, std::string type) {
    body = std::move(text);
    contentType = std::move(type);
  }
};

using HttpHandler = std::function<void(HttpRequest&, HttpResponse&)>;

// Splits a request target ("/api/list?location=a%20b&path=%5C") into its
// decoded path and query fields ("+" is a space in the query, as forms send
// it). False when the target is no origin-form path or holds a broken escape.
bool SplitTarget(const std::string& target, std::string* path, std::map<std::string, std::string>* params);
