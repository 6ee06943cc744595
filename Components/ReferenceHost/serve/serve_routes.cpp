#include "serve/serve_routes.h"

#include <cstdlib>

#include "mdhost/refusal_words.h"
#include "mdhost/track_sender.h"
#include "serve/request_input.h"
#include "serve/serve_access.h"

namespace {

constexpr size_t kLargestJsonBody = 4 << 20;
constexpr std::uint64_t kProgressStep = 1 << 20;  // a send's progress event every MiB received

void Answer(httplib::Response& response, const ApiAnswer& answer) {
  response.status = answer.status;
  response.set_header("Cache-Control", "no-store");
  response.set_content(JsonText(answer.body), "application/json");
}

void Refuse(httplib::Response& response, int status, const std::string& sentence) {
  Answer(response, ApiAnswer::Refused(status, sentence));
}

// A JSON request: its body read up to a limit and parsed before the host
// thread is asked.
httplib::Server::HandlerWithContentReader JsonRoute(HostThreadQueue& queue,
                                                    std::function<ApiAnswer(const nlohmann::json&)> work) {
  return [&queue, work](const httplib::Request&, httplib::Response& response, const httplib::ContentReader& reader) {
    std::string body;
    bool tooLarge = false;
    reader([&](const char* data, size_t length) {
      tooLarge = body.size() + length > kLargestJsonBody;
      if (!tooLarge) body.append(data, length);
      return !tooLarge;
    });
    if (tooLarge) return Refuse(response, 413, "The request's body is larger than a request to this view can be.");
    nlohmann::json parsed;
    std::string error;
    if (!ParseBody(body, &parsed, &error)) return Refuse(response, 400, error);
    Answer(response, queue.Call([&] { return work(parsed); }));
  };
}

void InstallAccessCheck(httplib::Server& server, const ServeSettings& settings) {
  server.set_pre_routing_handler([settings](const httplib::Request& request, httplib::Response& response) {
    const AccessVerdict verdict = CheckAccess(request.get_header_value("Host"), request.get_header_value("Origin"),
                                              request.get_param_value("token"), settings.token, settings.port);
    if (verdict.status == 0) return httplib::Server::HandlerResponse::Unhandled;
    response.status = verdict.status;
    response.set_content(verdict.sentence + "\n", "text/plain; charset=utf-8");
    return httplib::Server::HandlerResponse::Handled;
  });
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty())
      Refuse(response, response.status, response.status == 404 ? "This view has no such page." : "The request failed.");
  });
  server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
    Refuse(response, 500, "The request could not be answered; the server goes on.");
  });
}

void InstallEvents(httplib::Server& server, EventHub& events) {
  server.Get("/api/events", [&events](const httplib::Request&, httplib::Response& response) {
    auto stream = events.Open();
    response.set_header("Cache-Control", "no-store");
    response.set_chunked_content_provider(
        "text/event-stream",
        [&events, stream](size_t, httplib::DataSink& sink) {
          std::string message;
          if (!events.Next(stream, 10000, &message)) {
            sink.done();
            return true;
          }
          return sink.write(message.data(), message.size());
        },
        [&events, stream](bool) { events.Drop(stream); });
  });
}

// The send's fields from the query; empty sentence when they are good.
std::string SendFields(const httplib::Request& request, WString* target, DWORD* mode) {
  const std::string problem = PathProblem(request.get_param_value("target"), false, target);
  if (!problem.empty()) return problem + ".";
  const std::string name = request.get_param_value("name");
  WString decoded;
  size_t bad = 0;
  if (!wide::DecodeUtf8(name, &decoded, &bad)) return "The file's name is not UTF-8 text.";
  const std::string why = NameRefusal(name);
  if (!why.empty()) return "The player " + why + ".";
  const std::string given = request.get_param_value("mode");
  *mode = given == "replace" ? kModeReplace : given == "fail" ? kModeFailIfExists : kModeKeep;
  if (!given.empty() && given != "replace" && given != "fail" && given != "keep")
    return "The existing-file choice is keep, replace or fail.";
  return std::string();
}

void InstallSend(httplib::Server& server, const ServeSettings& settings, HostThreadQueue& queue, PlayerView& view,
                 EventHub& events, const UploadSpool& spool) {
  server.Post("/api/send", [&, cap = settings.uploadCap](const httplib::Request& request, httplib::Response& response,
                                                          const httplib::ContentReader& reader) {
    WString target;
    DWORD mode = kModeKeep;
    const std::string problem = SendFields(request, &target, &mode);
    if (!problem.empty()) return Refuse(response, 400, problem);
    const std::string id = request.get_param_value("id");
    auto tooLarge = [&] {
      Refuse(response, 413, "The file is larger than this view takes (" + std::to_string(cap >> 20) +
                                " MiB); send it with mdhost send.");
    };
    if (std::strtoull(request.get_header_value("Content-Length").c_str(), nullptr, 10) > cap) return tooLarge();
    SpooledFile file(spool, request.get_param_value("name"), cap);
    if (!file.Opened()) return Refuse(response, 500, "The server could not make a temporary file for the upload.");
    std::uint64_t reported = 0;
    const bool read = reader([&](const char* data, size_t length) {
      if (!file.Write(data, length)) return false;
      if (file.Received() - reported >= kProgressStep) {
        reported = file.Received();
        events.Publish("send", JsonText({{"id", id}, {"stage", "receiving"}, {"received", reported}}));
      }
      return true;
    });
    if (file.OverCap()) return tooLarge();
    if (!read || !file.Finish()) return Refuse(response, 400, "The file did not arrive whole.");
    const std::string location = request.get_param_value("location");
    Answer(response, queue.Call([&] { return view.Send(location, target, file.Path(), mode, id); }));
  });
}

}  // namespace

void InstallRoutes(httplib::Server& server, const ServeSettings& settings, HostThreadQueue& queue, PlayerView& view,
                   EventHub& events, const UploadSpool& spool) {
  InstallAccessCheck(server, settings);
  server.set_payload_max_length(static_cast<size_t>(settings.uploadCap));
  server.Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Cache-Control", "no-store");
    response.set_header("Referrer-Policy", "no-referrer");
    response.set_header("X-Frame-Options", "DENY");
    response.set_header("Content-Security-Policy",
                        "default-src 'self'; script-src 'unsafe-inline' 'self'; style-src 'unsafe-inline'; "
                        "connect-src 'self'; img-src 'self' data:; frame-ancestors 'none'");
    response.set_content(kServePage, "text/html; charset=utf-8");
  });
  server.Get("/api/players", [&](const httplib::Request&, httplib::Response& response) {
    Answer(response, queue.Call([&] { return view.Players(); }));
  });
  server.Get("/api/list", [&](const httplib::Request& request, httplib::Response& response) {
    std::map<std::string, std::string> query;
    for (const auto& [name, value] : request.params) query[name] = value;
    Answer(response, queue.Call([&] { return view.List(query); }));
  });
  const std::pair<const char*, ApiAnswer (PlayerView::*)(const nlohmann::json&)> posts[] = {
      {"/api/tags", &PlayerView::Tags},           {"/api/existing", &PlayerView::Existing},
      {"/api/rename", &PlayerView::Rename},       {"/api/delete", &PlayerView::Delete},
      {"/api/folder", &PlayerView::MakeFolder},   {"/api/playlist", &PlayerView::MakePlaylist},
      {"/api/reorder", &PlayerView::Reorder},     {"/api/wipe", &PlayerView::Wipe}};
  for (const auto& [path, method] : posts)
    server.Post(path, JsonRoute(queue, [&view, method = method](const nlohmann::json& body) {
                  return (view.*method)(body);
                }));
  InstallEvents(server, events);
  InstallSend(server, settings, queue, view, events, spool);
}
