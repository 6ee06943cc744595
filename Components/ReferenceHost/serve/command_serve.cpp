// mdhost serve: a page in the browser over the attached players. The main
// thread owns the plug-in, as a host's UI thread does: it brings the session
// up, then runs the work the web server's threads queue for it and watches
// the plug-in's reports, until Ctrl-C.
#include <iostream>
#include <string>
#include <vector>

#include "mdhost/command.h"
#include "mdhost/host_session.h"
#include "mdhost/medium_location.h"
#include "mdhost/stop_request.h"
#include "serve/http_server.h"
#include "serve/opening_page.h"
#include "serve/serve_access.h"
#include "serve/serve_platform.h"
#include "serve/serve_routes.h"

namespace {

constexpr DWORD kDefaultUploadMiB = 1024;
constexpr unsigned kPollMs = 100;

// --port N (0, the default, takes any free port) and --upload-limit MiB.
bool ReadSettings(const CommandLine& line, ServeSettings* settings) {
  DWORD value = 0;
  const std::string port = line.Value("--port", "0");
  if (port != "0" && (!ParseCount(port, &value) || value > 65535)) {
    std::cerr << "mdhost serve: --port takes a port number (1 to 65535), not \"" << port << "\"\n";
    return false;
  }
  settings->port = static_cast<int>(value);
  DWORD mib = kDefaultUploadMiB;
  if (line.Has("--upload-limit") && !ParseCount(line.Value("--upload-limit"), &mib)) {
    std::cerr << "mdhost serve: --upload-limit takes a whole number of MiB\n";
    return false;
  }
  settings->uploadCap = static_cast<std::uint64_t>(mib) << 20;
  return true;
}

}  // namespace

int RunServe(const CommandLine& line) {
  ServeSettings settings;
  if (!ReadSettings(line, &settings)) return kExitBadInput;
  // Whichever way serve is asked to end, it removes its spool on the way out.
  const StopRequest stop(true);
  settings.token = NewAccessToken();
  std::string error;
  UploadSpool spool;
  std::vector<std::string> swept;
  if (settings.token.empty() || !spool.Create(&error, &swept)) {
    std::cerr << "mdhost serve: " << (settings.token.empty() ? "cannot read the system's random source" : error) << "\n";
    return kExitFailure;
  }
  for (const std::string& folder : swept)
    std::cerr << "mdhost serve: removed " << folder << ", left by a server that has ended\n";
  HostSession session;
  const int opened = session.Open(line, "serve", std::cerr);
  if (opened != kExitOk) return opened;

  EventHub events;
  HostThreadQueue queue;
  PlayerView view(session, events);
  const ServeRoutes routes(settings, queue, view, events, spool);
  HttpServer server([&routes](HttpRequest& request, HttpResponse& response) { routes.Answer(request, response); });
  const int bound = server.Listen(settings.port);
  if (bound <= 0) {
    std::cerr << "mdhost serve: cannot listen on 127.0.0.1:" << settings.port << "\n";
    return kExitFailure;
  }
  settings.port = bound;
  server.Start();
  const std::string address = "http://127.0.0.1:" + std::to_string(bound) + "/?token=" + settings.token;
  std::cout << "mdhost serve: open " << address << "\n(Ctrl-C stops it)\n" << std::flush;
  std::string opening;
  if (line.Has("--open") && (!WriteOpeningPage(spool.Folder(), address, &opening) || !OpenInBrowser(opening)))
    std::cerr << "mdhost serve: could not ask the desktop to open a browser; open the address yourself\n";

  while (!stop.Asked()) {
    queue.RunPending(kPollMs);
    view.Poll();
  }
  // Waiting requests are answered before the server's threads are joined.
  events.Close();
  queue.Close();
  server.Stop();
  std::cout << "mdhost serve: stopped\n";
  return kExitOk;
}
