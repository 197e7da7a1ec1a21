// A list of 10,000 tickets through the real request layer, from a loopback
// server to the decoded record's completion on the main loop, next to a plain
// nlohmann parse of the same body; and the longest main-loop turn while the
// list loads. Runs are interleaved (ours, parse, ours, parse, ...).

#include "models/Tickets.h"
#include "networking/RequestLayer.h"
#include "support/RecordingServer.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace instala;
using Clock = std::chrono::steady_clock;

constexpr int kTickets = 10'000;
constexpr int kRuns = 11;
// The first loads of a process are slower (the allocator grows its heap): not counted.
constexpr int kWarmUps = 3;
constexpr double kRatioTarget = 1.5;
constexpr double kTurnTargetMs = 50;

double milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// Shaped like the server's active list: every field, one unit per ticket.
std::string ticketList(int count) {
  nlohmann::ordered_json tickets = nlohmann::ordered_json::array();
  for (int i = 0; i < count; ++i) {
    tickets.push_back({{"id", 100000 + i},
                       {"title", "Instalación de GPS en tractocamión"},
                       {"user", "Carlos Hernández Ruiz"},
                       {"comments", "Unidad disponible en patio 3. Preguntar por el jefe de mantenimiento, Ing. "
                                    "Ramírez. Llevar arnés de 12 V y relevador de corte de motor."},
                       {"client", "Transportes Castores del Bajío S.A. de C.V."},
                       {"category", "Instalación"},
                       {"date", "2024-03-" + std::string(i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1)},
                       {"hour", "09:30"},
                       {"location", "Av. 5 de Febrero 1351, Zona Industrial Benito Juárez, 76120 Santiago de "
                                    "Querétaro, Qro."},
                       {"unit",
                        {{{"id", 500 + i},
                          {"economic_numer", "TCB-" + std::to_string(i)},
                          {"brand", "Freightliner"},
                          {"model", "Cascadia"},
                          {"unit_type", "Tractocamión"},
                          {"license_plate", "48-AK-7B"},
                          {"color", "Blanco"},
                          {"gps_model", "Teltonika FMC130"},
                          {"imei", "352094115260181"},
                          {"iccid", "8952020083016613180"}}}}});
  }
  return nlohmann::ordered_json{{"tickets", tickets}}.dump();
}

struct Run {
  double total = 0;    // request sent → completion ran, ms
  double longest = 0;  // longest main-loop turn meanwhile, ms
};

// Pumps the main loop the way a front end does, timing each turn.
Run loadList(Session& session, const std::string& url) {
  auto& loop = platform::RunLoop::main();
  std::optional<Tickets> list;
  bool done = false;
  Run run;
  const auto started = Clock::now();
  performRequest<Tickets>(session, url, HTTPMethod::GET,
                          HTTPHeaders{{"Content-Type", "application/json"}, {"Authorization", "Bearer bench"}},
                          std::nullopt, true, [&](auto, std::optional<Tickets> record, auto) {
                            list = std::move(record);
                            done = true;
                          });
  while (!done) {
    const auto turn = Clock::now();
    loop.runUntilIdle();
    run.longest = std::max(run.longest, milliseconds(Clock::now() - turn));
    if (!done) loop.waitForWork(std::chrono::milliseconds(100));
  }
  run.total = milliseconds(Clock::now() - started);
  if (!list || !list->tickets() || list->tickets()->size() != static_cast<std::size_t>(kTickets)) {
    std::fprintf(stderr, "bench-list: the list did not arrive whole\n");
    std::exit(1);
  }
  return run;
}

// The worker frees the parsed document after posting the completion. A small
// request behind it completes only once that is done, so the next measurement
// does not share the processor with it.
void waitForTheWorker(Session& session, const std::string& url) {
  bool done = false;
  performRequest<Tickets>(session, url, HTTPMethod::GET, std::nullopt, std::nullopt, false,
                          [&](auto, auto, auto) { done = true; });
  while (!done) {
    platform::RunLoop::main().runUntilIdle();
    if (!done) platform::RunLoop::main().waitForWork(std::chrono::milliseconds(100));
  }
}

// The document is freed after the clock stops, as ours is freed off the path.
double plainParse(const std::string& body) {
  const auto started = Clock::now();
  auto parsed = nlohmann::json::parse(body);
  const double time = milliseconds(Clock::now() - started);
  if (!parsed.is_object()) std::exit(1);
  return time;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double minimum(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

}  // namespace

int main() {
  const std::string body = ticketList(kTickets);
  testing::RecordingServer server(
      [&body](const testing::RecordedRequest& request) {
        return testing::Reply::json(200, request.target == "/quiet" ? "{}" : body);
      },
      /*keepBodies=*/false);
  Session session(SessionConfiguration::standard());
  const std::string url = server.url("/api/v1/tickets/active");
  const std::string quiet = server.url("/quiet");

  for (int i = 0; i < kWarmUps; ++i) {  // connection, allocator
    loadList(session, url);
    waitForTheWorker(session, quiet);
    plainParse(body);
  }
  std::vector<double> ratios;
  std::vector<double> longest;
  for (int i = 0; i < kRuns; ++i) {
    const Run ours = loadList(session, url);
    waitForTheWorker(session, quiet);
    const double reference = plainParse(body);
    ratios.push_back(ours.total / reference);
    longest.push_back(ours.longest);
    std::printf("run %d: request to decoded list %.1f ms, longest main-loop turn %.2f ms; nlohmann parse %.1f ms\n",
                i + 1, ours.total, ours.longest, reference);
  }
  std::printf("body %.1f MB, %d tickets\n", static_cast<double>(body.size()) / 1e6, kTickets);
  const double ratio = median(ratios);
  std::printf("figure: 10,000-ticket list vs nlohmann parse | ratio min %.2f median %.2f | target <= %.2f | %s\n",
              minimum(ratios), ratio, kRatioTarget, ratio <= kRatioTarget ? "met" : "missed");
  const double turn = median(longest);
  std::printf("figure: longest main-loop turn, 10,000-ticket list | value min %.2f median %.2f ms | target < %.0f ms | %s\n",
              minimum(longest), turn, kTurnTargetMs, turn < kTurnTargetMs ? "met" : "missed");
  return 0;
}
