#include "serve/serve_routes.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "convert/mp3_conversion.h"
#include "mdhost/refusal_words.h"
#include "mdhost/track_sender.h"
#include "serve/request_input.h"
#include "serve/serve_access.h"

namespace {

constexpr size_t kLargestJsonBody = 4 << 20;
constexpr std::uint64_t kProgressStep = 1 << 20;  // a send's progress event every MiB received
constexpr auto kKeepAlive = std::chrono::seconds(10);  // an idle event stream sends a comment this often
// How often an event stream with nothing to send lets the server look
// whether its client is still there.
constexpr unsigned kLookMs = 500;

void Reply(HttpResponse& response, const ApiAnswer& answer) {
  response.status = answer.status;
  response.headers.emplace_back("Cache-Control", "no-store");
  response.SetContent(JsonText(answer.body), "application/json");
}

void Refuse(HttpResponse& response, int status, const std::string& sentence) {
  Reply(response, ApiAnswer::Refused(status, sentence));
}

// The upload as MP3, beside it in its spool folder (which goes with it),
// under the name the player is to give it; false when it cannot be
// converted, answered in the words of mdhost send.
bool ConvertUpload(EventHub& events, const std::string& id, const std::string& name, const std::string& upload,
                   std::string* mp3, HttpResponse& response) {
  static const std::atomic<bool> kNeverStopped{false};
  events.Publish("send", JsonText({{"id", id}, {"stage", "converting"}}));
  const std::filesystem::path path = std::filesystem::u8path(upload);
  *mp3 = (path.parent_path() / path.stem()).u8string() + ".mp3";
  const ConversionResult made = ConvertToMp3(upload, *mp3, EncodeSettings(), kNeverStopped);
  if (made.ok) return true;
  const std::string sentence = "failed " + name + ": " + made.problem;
  events.Publish("send", JsonText({{"id", id}, {"stage", "done"}, {"outcome", "failed"}, {"sentence", sentence}}));
  Reply(response, ApiAnswer{422, {{"outcome", "failed"}, {"error", sentence}}});
  return false;
}

// A JSON request: its body read up to a limit and parsed before the host
// thread is asked.
std::function<void(HttpRequest&, HttpResponse&)> JsonRoute(HostThreadQueue& queue,
                                                          std::function<ApiAnswer(const nlohmann::json&)> work) {
  return [&queue, work](HttpRequest& request, HttpResponse& response) {
    std::string body;
    bool tooLarge = false;
    const bool whole = request.readBody([&](const char* data, size_t length) {
      tooLarge = body.size() + length > kLargestJsonBody;
      if (!tooLarge) body.append(data, length);
      return !tooLarge;
    });
    if (tooLarge) return Refuse(response, 413, "The request's body is larger than a request to this view can be.");
    if (!whole) return Refuse(response, 400, "The request's body did not arrive whole.");
    nlohmann::json parsed;
    std::string error;
    if (!ParseBody(body, &parsed, &error)) return Refuse(response, 400, error);
    Reply(response, queue.Call([&] { return work(parsed); }));
  };
}

void AnswerPage(HttpRequest&, HttpResponse& response) {
  response.headers = {{"Cache-Control", "no-store"},
                      {"Referrer-Policy", "no-referrer"},
                      {"X-Frame-Options", "DENY"},
                      {"Content-Security-Policy",
                       "default-src 'self'; script-src 'unsafe-inline' 'self'; style-src 'unsafe-inline'; "
                       "connect-src 'self'; img-src 'self' data:; frame-ancestors 'none'"}};
  response.SetContent(kServePage, "text/html; charset=utf-8");
}

// An open event stream; it leaves the hub when the response lets go of it.
class Subscription {
 public:
  explicit Subscription(EventHub& hub) : hub_(hub), stream_(hub.Open()) {}
  ~Subscription() { hub_.Drop(stream_); }
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;

  bool Next(std::string* message) {
    if (!hub_.Next(stream_, kLookMs, message)) return false;
    const auto now = std::chrono::steady_clock::now();
    if (message->empty() && now - written_ >= kKeepAlive) *message = ": still here\n\n";
    if (!message->empty()) written_ = now;
    return true;
  }

 private:
  EventHub& hub_;
  std::shared_ptr<EventHub::Stream> stream_;
  std::chrono::steady_clock::time_point written_ = std::chrono::steady_clock::now();
};

// The send's fields from the query; empty sentence when they are good.
std::string SendFields(const HttpRequest& request, WString* target, DWORD* mode) {
  const std::string problem = PathProblem(request.Param("target"), false, target);
  if (!problem.empty()) return problem + ".";
  const std::string name = request.Param("name");
  WString decoded;
  size_t bad = 0;
  if (!wide::DecodeUtf8(name, &decoded, &bad)) return "The file's name is not UTF-8 text.";
  const std::string why = NameRefusal(name);
  if (!why.empty()) return "The player " + why + ".";
  const std::string given = request.Param("mode");
  *mode = given == "replace" ? kModeReplace : given == "fail" ? kModeFailIfExists : kModeKeep;
  if (!given.empty() && given != "replace" && given != "fail" && given != "keep")
    return "The existing-file choice is keep, replace or fail.";
  return std::string();
}

}  // namespace

ServeRoutes::ServeRoutes(const ServeSettings& settings, HostThreadQueue& queue, PlayerView& view, EventHub& events,
                         const UploadSpool& spool)
    : settings_(settings) {
  routes_.push_back({"GET", "/", AnswerPage});
  routes_.push_back({"GET", "/api/players", [&queue, &view](HttpRequest&, HttpResponse& response) {
                       Reply(response, queue.Call([&] { return view.Players(); }));
                     }});
  routes_.push_back({"GET", "/api/list", [&queue, &view](HttpRequest& request, HttpResponse& response) {
                       Reply(response, queue.Call([&] { return view.List(request.params); }));
                     }});
  AddPosts(queue, view);
  AddEvents(events);
  AddSend(queue, view, events, spool);
}

void ServeRoutes::AddPosts(HostThreadQueue& queue, PlayerView& view) {
  const std::pair<const char*, ApiAnswer (PlayerView::*)(const nlohmann::json&)> posts[] = {
      {"/api/tags", &PlayerView::Tags},           {"/api/existing", &PlayerView::Existing},
      {"/api/rename", &PlayerView::Rename},       {"/api/delete", &PlayerView::Delete},
      {"/api/folder", &PlayerView::MakeFolder},   {"/api/playlist", &PlayerView::MakePlaylist},
      {"/api/reorder", &PlayerView::Reorder},     {"/api/wipe", &PlayerView::Wipe}};
  for (const auto& [path, method] : posts)
    routes_.push_back({"POST", path, JsonRoute(queue, [&view, method = method](const nlohmann::json& body) {
                         return (view.*method)(body);
                       })});
}

void ServeRoutes::AddEvents(EventHub& events) {
  routes_.push_back({"GET", "/api/events", [&events](HttpRequest&, HttpResponse& response) {
                       auto subscription = std::make_shared<Subscription>(events);
                       response.headers.emplace_back("Cache-Control", "no-store");
                       response.contentType = "text/event-stream";
                       response.stream = [subscription](std::string* piece) { return subscription->Next(piece); };
                     }});
}

void ServeRoutes::AddSend(HostThreadQueue& queue, PlayerView& view, EventHub& events, const UploadSpool& spool) {
  const std::uint64_t cap = settings_.uploadCap;
  routes_.push_back({"POST", "/api/send", [&, cap](HttpRequest& request, HttpResponse& response) {
    WString target;
    DWORD mode = kModeKeep;
    const std::string problem = SendFields(request, &target, &mode);
    if (!problem.empty()) return Refuse(response, 400, problem);
    const std::string id = request.Param("id");
    auto tooLarge = [&] {
      Refuse(response, 413, "The file is larger than this view takes (" + std::to_string(cap >> 20) +
                                " MiB); send it with mdhost send.");
    };
    // Refused before a byte is read when the size is announced, or when the
    // player would not take the file whatever its bytes.
    const std::uint64_t announced = std::strtoull(request.Header("content-length").c_str(), nullptr, 10);
    if (announced > cap) return tooLarge();
    const std::string location = request.Param("location");
    const ApiAnswer admitted = queue.Call([&] { return view.AdmitSend(location, request.Param("name"), announced); });
    if (admitted.status != 200) return Reply(response, admitted);
    SpooledFile file(spool, request.Param("name"), cap);
    if (!file.Opened()) return Refuse(response, 500, "The server could not make a temporary file for the upload.");
    std::uint64_t reported = 0;
    const bool whole = request.readBody([&](const char* data, size_t length) {
      if (!file.Write(data, length)) return false;
      if (file.Received() - reported >= kProgressStep) {
        reported = file.Received();
        events.Publish("send", JsonText({{"id", id}, {"stage", "receiving"}, {"received", reported}}));
      }
      return true;
    });
    if (file.OverCap()) return tooLarge();
    if (!whole || !file.Finish()) return Refuse(response, 400, "The file did not arrive whole.");
    std::string sent = file.Path();
    bool convert = false;
    queue.Call([&] {
      convert = view.ConvertsOnSend(location, request.Param("name"));
      return ApiAnswer();
    });
    // Converted here, on the connection's thread: the host thread, and the
    // plug-in with it, stays free for the page meanwhile.
    if (convert && !ConvertUpload(events, id, request.Param("name"), file.Path(), &sent, response)) return;
    Reply(response, queue.Call([&] { return view.Send(location, target, sent, mode, id); }));
  }});
}

void ServeRoutes::Answer(HttpRequest& request, HttpResponse& response) const {
  const AccessVerdict verdict = CheckAccess(request.Header("host"), request.Header("origin"), request.Param("token"),
                                            settings_.token, settings_.port);
  if (verdict.status != 0) {
    response.close = true;
    response.status = verdict.status;
    response.SetContent(verdict.sentence + "\n", "text/plain; charset=utf-8");
    return;
  }
  try {
    for (const Route& route : routes_)
      if (route.method == request.method && route.path == request.path) return route.answer(request, response);
    Refuse(response, 404, "This view has no such page.");
  } catch (...) {
    response = HttpResponse();
    Refuse(response, 500, "The request could not be answered; the server goes on.");
  }
}
