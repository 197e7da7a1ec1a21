// The server's JSON answers as the request layer parses them, decoded as every
// record the screens ask for: the ticket lists, a ticket, a unit, the sign-in's
// user and the search's documents.

#include "models/Documents.h"
#include "models/Tickets.h"
#include "models/User.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace instala;
  const Json json = Json::parse(data, data + size, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) return 0;
  if (auto tickets = Tickets::decode(json)) static_cast<void>(tickets->encode());
  if (auto ticket = Ticket::decode(json)) static_cast<void>(ticket->encode());
  static_cast<void>(Unit::decode(json));
  if (auto user = User::decode(json)) static_cast<void>(user->encode());
  static_cast<void>(Documents::decode(json));
  return 0;
}
