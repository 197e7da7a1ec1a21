#include "models/Tickets.h"

#include "models/JsonFields.h"

namespace instala {

namespace {

template <typename Object>
platform::Result<Tickets> decodeTickets(Object& value) {
  if (!value.is_object()) return platform::Error{"a ticket list must be a JSON object"};
  return Tickets(json_fields::list<Ticket>(value, "tickets"));
}

}  // namespace

platform::Result<Tickets> Tickets::decode(const Json& value) { return decodeTickets(value); }
platform::Result<Tickets> Tickets::decode(Json&& value) { return decodeTickets(value); }

Json Tickets::encode() const {
  Json object = Json::object();
  if (tickets_) {
    Json list = Json::array();
    for (const auto& ticket : *tickets_) list.push_back(ticket.encode());
    object["tickets"] = std::move(list);
  }
  return object;
}

}  // namespace instala
