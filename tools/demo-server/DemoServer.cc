#include "DemoServer.h"

#include "DocumentPage.h"
#include "TileImage.h"

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace instala::demo {
namespace {

using nlohmann::ordered_json;
using platform::Error;

// A video can be large, but a demo server should not take unbounded memory.
constexpr std::size_t kMaxBodyBytes = 512u * 1024 * 1024;
constexpr int kMaxTileZoom = 19;

void sendJson(httplib::Response& response, int status, const ordered_json& body) {
  response.status = status;
  response.set_content(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), "application/json");
}

void sendMessage(httplib::Response& response, int status, const std::string& message) {
  sendJson(response, status, {{"message", message}});
}

std::string statusMessage(int status) {
  switch (status) {
    case 400: return "Solicitud no válida";
    case 401: return "No autorizado";
    case 404: return "No encontrado";
    case 405: return "Método no permitido";
    case 413: return "La solicitud es demasiado grande";
    case 422: return "Token no válido";
    default: return status >= 500 ? "Error del servidor" : "Error en la solicitud";
  }
}

std::string lowercaseAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string trimBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The token of an "Authorization: Bearer <token>" header; empty for anything else.
std::string bearerToken(const httplib::Request& request) {
  constexpr std::string_view prefix = "Bearer ";
  const std::string header = request.get_header_value("Authorization");
  return header.compare(0, prefix.size(), prefix) == 0 ? header.substr(prefix.size()) : std::string();
}

// Takes one from the counter when it is above zero.
bool takeOne(std::atomic<int>& counter) {
  for (int left = counter.load(); left > 0;) {
    if (counter.compare_exchange_weak(left, left - 1)) return true;
  }
  return false;
}

// Printable ASCII of a sensible length: the key is kept in a file and logged.
bool isAcceptableKey(const std::string& key) {
  if (key.empty() || key.size() > 200) return false;
  return std::all_of(key.begin(), key.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

int portOf(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
  if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
  return -1;
}

// Closes the request's connection without an answer. httplib hands a handler
// no socket, so it is found among the process's descriptors by its two ports.
void dropConnection(const httplib::Request& request) {
  const int remotePort = std::atoi(request.get_header_value("REMOTE_PORT").c_str());
  const int localPort = std::atoi(request.get_header_value("LOCAL_PORT").c_str());
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
    const int fd = std::atoi(entry.path().filename().c_str());
    sockaddr_storage peer{};
    sockaddr_storage own{};
    socklen_t peerLength = sizeof peer;
    socklen_t ownLength = sizeof own;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&own), &ownLength) != 0) {
      continue;
    }
    if (portOf(peer) == remotePort && portOf(own) == localPort) {
      // httplib's answer then fails to go out, and it closes the socket itself.
      ::shutdown(fd, SHUT_RDWR);
      return;
    }
  }
}

std::string coordinateText(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.7f", value);
  return buffer;
}

}  // namespace

platform::Result<std::unique_ptr<DemoServer>> DemoServer::create(DemoServerOptions options) {
  auto routes = RouteTable::load(platform::Bundle(options.bundleDirectory));
  if (!routes) return routes.error();
  auto data = DemoData::load(options.dataFile, options.startDay.value_or(CivilDay::today()));
  if (!data) return data.error();
  if (options.failSubmissions < 0) return Error{"the number of failing submissions cannot be negative"};
  if (options.dropAfterBody < 0) return Error{"the number of dropped submissions cannot be negative"};
  return std::unique_ptr<DemoServer>(
      new DemoServer(std::move(options), std::move(data).value(), std::move(routes).value()));
}

DemoServer::DemoServer(DemoServerOptions options, DemoData data, RouteTable routes)
    : options_(std::move(options)),
      data_(std::move(data)),
      routes_(std::move(routes)),
      submissions_(options_.submissionsDirectory),
      tilePng_(makeTilePng()),
      failuresLeft_(options_.failSubmissions),
      dropsLeft_(options_.dropAfterBody),
      http_(std::make_unique<httplib::Server>()) {
  installRoutes();
}

DemoServer::~DemoServer() { stop(); }

void DemoServer::installRoutes() {
  auto& http = *http_;
  auto withToken = [this](auto handler) {
    return [this, handler](const httplib::Request& request, httplib::Response& response) {
      if (authorized(request, response)) handler(request, response);
    };
  };
  auto ticketList = [this](const ordered_json& tickets) {
    return [this, &tickets](const httplib::Request& request, httplib::Response& response) {
      if (authorized(request, response)) sendJson(response, 200, tickets);
    };
  };

  http.Post(routes_.pattern(Endpoint::signIn), [this](const auto& rq, auto& rs) { signIn(rq, rs); });
  http.Delete(routes_.pattern(Endpoint::signOut), [this](const auto& rq, auto& rs) { signOut(rq, rs); });
  http.Get(routes_.pattern(Endpoint::activeTickets), ticketList(data_.activeTickets()));
  // There is no paging: the "page" form of the list answers the whole list too.
  http.Get(routes_.pattern(Endpoint::activeTicketsWithPage), ticketList(data_.activeTickets()));
  http.Get(routes_.pattern(Endpoint::closedTickets), ticketList(data_.closedTickets()));
  http.Get(routes_.pattern(Endpoint::search), withToken([this](const auto& rq, auto& rs) { search(rq, rs); }));
  http.Post(routes_.pattern(Endpoint::postData), withToken([this](const auto& rq, auto& rs) { postData(rq, rs); }));
  http.Get(routes_.documentsPattern(), [this](const auto& rq, auto& rs) { document(rq, rs); });
  http.Get(routes_.geocoderPattern(), [this](const auto& rq, auto& rs) { geocode(rq, rs); });
  http.Get(routes_.tilesPattern(), [this](const auto& rq, auto& rs) { tile(rq, rs); });

  http.set_payload_max_length(kMaxBodyBytes);
  // Every failure answers JSON, including those httplib raises itself (an
  // unparsable multipart body, an unknown path, a body over the limit).
  http.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& response) {
    if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    sendMessage(response, response.status, statusMessage(response.status));
    return httplib::Server::HandlerResponse::Handled;
  }));
  http.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
    sendMessage(response, 500, statusMessage(500));
  });
  http.set_logger(
      [this](const httplib::Request& request, const httplib::Response& response) { logRequest(request, response); });
}

platform::Result<int> DemoServer::bind(int port) {
  if (port < 0 || port > 65535) return Error{"the port must lie between 0 and 65535"};
  if (port == 0) {
    int chosen = http_->bind_to_any_port(kHost);
    if (chosen <= 0) return Error{std::string("cannot bind to a free port on ") + kHost};
    return chosen;
  }
  if (!http_->bind_to_port(kHost, port))
    return Error{"cannot bind to " + std::string(kHost) + ":" + std::to_string(port)};
  return port;
}

bool DemoServer::listen() {
  // A client may close its connection while an answer is written (and --drop-after-body closes
  // connections itself): that must end the write, not the process.
  std::signal(SIGPIPE, SIG_IGN);
  return http_->listen_after_bind();
}

void DemoServer::start() {
  thread_ = std::thread([this] { listen(); });
  // httplib has no readiness signal; is_running() turns true once it accepts.
  while (!http_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void DemoServer::stop() {
  if (!thread_.joinable()) return;
  http_->stop();
  thread_.join();
}

bool DemoServer::authorized(const httplib::Request& request, httplib::Response& response) const {
  if (sessions_.isOpen(bearerToken(request))) return true;
  sendMessage(response, 422, statusMessage(422));
  return false;
}

void DemoServer::signIn(const httplib::Request& request, httplib::Response& response) {
  const auto body = nlohmann::json::parse(request.body, nullptr, false);
  const bool wellFormed = body.is_object() && body.contains("email") && body["email"].is_string() &&
                          body.contains("password") && body["password"].is_string();
  // Addresses compare without case, as mail servers treat them; passwords exactly.
  if (!wellFormed || lowercaseAscii(trimBlanks(body["email"].get<std::string>())) != kDemoEmail ||
      body["password"].get<std::string>() != kDemoPassword) {
    sendMessage(response, 401, "Correo o contraseña incorrectos");
    return;
  }
  sendJson(response, 200, {{"name", data_.technician()}, {"auth_token", sessions_.open()}});
}

void DemoServer::signOut(const httplib::Request& request, httplib::Response& response) {
  if (!sessions_.close(bearerToken(request))) {
    sendMessage(response, 422, statusMessage(422));
    return;
  }
  sendJson(response, 200, {{"message", "Sesión cerrada"}});
}

void DemoServer::search(const httplib::Request& request, httplib::Response& response) const {
  const std::string text = routes_.searchParameter().empty()
                               ? (request.matches.size() > 1 ? request.matches[1].str() : "")
                               : request.get_param_value(routes_.searchParameter());
  const auto found = data_.search(text);
  const std::string message = found.empty()       ? "No se encontraron documentos"
                              : found.size() == 1 ? "1 documento encontrado"
                                                  : std::to_string(found.size()) + " documentos encontrados";
  ordered_json answer = {{"message", message}};
  for (std::size_t i = 0; i < found.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "documento_%02zu", i + 1);
    answer[name] = found[i].path;
  }
  sendJson(response, 200, answer);
}

void DemoServer::postData(const httplib::Request& request, httplib::Response& response) {
  if (!request.is_multipart_form_data()) {
    sendMessage(response, 400, "Se esperaba un cuerpo multipart/form-data");
    return;
  }
  std::vector<SubmissionPart> parts;
  for (const auto& [name, part] : request.files)
    parts.push_back({part.name, part.content, part.filename, part.content_type});
  if (auto problem = SubmissionStore::problemWith(parts)) {
    sendMessage(response, 400, *problem);
    return;
  }
  const std::string key = request.get_header_value("Idempotency-Key");
  if (request.has_header("Idempotency-Key") && !isAcceptableKey(key)) {
    sendMessage(response, 400, "Idempotency-Key no válida");
    return;
  }
  auto answer = [&response](int number) { sendJson(response, 200, {{"message", "ok"}, {"submission", number}}); };
  // A key stored before: the first answer again, nothing stored, nothing simulated.
  if (auto number = submissions_.numberForKey(key)) return answer(*number);
  // Simulated failures store nothing, so the retry that follows is the one kept.
  if (takeOne(failuresLeft_)) {
    sendMessage(response, 500, "Falla simulada del servidor; intente de nuevo");
    return;
  }
  auto stored = submissions_.storeOnce(parts, key);
  if (!stored) {
    std::cerr << "instala-demo-server: cannot store a submission: " << stored.error().message << std::endl;
    sendMessage(response, 500, "No se pudo guardar el envío");
    return;
  }
  // Stored, but the client never learns it: its retry must not store the service twice.
  if (stored->fresh && takeOne(dropsLeft_)) return dropConnection(request);
  answer(stored->number);
}

void DemoServer::document(const httplib::Request& request, httplib::Response& response) const {
  const DemoDocument* found = data_.documentAt(request.matches[1].str());
  if (!found) {
    sendMessage(response, 404, "Documento no encontrado");
    return;
  }
  auto page = DocumentPage::render(*found);
  response.set_content(page.body, page.contentType.c_str());
}

void DemoServer::geocode(const httplib::Request& request, httplib::Response& response) const {
  const std::string format = request.get_param_value("format");
  if (!format.empty() && format != "json" && format != "jsonv2") {
    sendMessage(response, 400, "Formato no disponible: solo json");
    return;
  }
  ordered_json places = ordered_json::array();
  if (auto place = data_.geocode(request.get_param_value("q"))) {
    places.push_back({{"lat", coordinateText(place->latitude)},
                      {"lon", coordinateText(place->longitude)},
                      {"display_name", place->address},
                      {"class", "place"},
                      {"type", "house"}});
  }
  sendJson(response, 200, places);
}

void DemoServer::tile(const httplib::Request& request, httplib::Response& response) const {
  long z = 0, x = 0, y = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const long value = std::stol(request.matches[i + 1].str());
    switch (routes_.tileOrder()[i]) {
      case 'z': z = value; break;
      case 'x': x = value; break;
      default: y = value; break;
    }
  }
  const long size = z <= kMaxTileZoom ? (1L << z) : 0;
  if (x >= size || y >= size) {
    sendMessage(response, 404, "Mosaico fuera del mapa");
    return;
  }
  response.set_content(tilePng_, "image/png");
}

void DemoServer::logRequest(const httplib::Request& request, const httplib::Response& response) {
  if (!options_.log) return;
  std::lock_guard lock(logMutex_);
  *options_.log << request.method << ' ' << (request.target.empty() ? request.path : request.target) << ' '
                << response.status << std::endl;
}

}  // namespace instala::demo
