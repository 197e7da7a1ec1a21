#include "models/Ticket.h"

#include "models/JsonFields.h"

namespace instala {

namespace {

// The units travel under the singular key "unit", although it holds a list.
template <typename Object>
platform::Result<Ticket> decodeTicket(Object& value) {
  if (!value.is_object()) return platform::Error{"a ticket must be a JSON object"};
  using namespace json_fields;
  return Ticket(Ticket::Fields{
      integer(value, "id"),
      text(value, "title"),
      text(value, "user"),
      text(value, "comments"),
      text(value, "client"),
      text(value, "category"),
      text(value, "date"),
      text(value, "hour"),
      text(value, "location"),
      list<Unit>(value, "unit"),
  });
}

}  // namespace

platform::Result<Ticket> Ticket::decode(const Json& value) { return decodeTicket(value); }
platform::Result<Ticket> Ticket::decode(Json&& value) { return decodeTicket(value); }

Json Ticket::encode() const {
  using json_fields::put;
  Json object = Json::object();
  put(object, "id", fields_.id);
  put(object, "title", fields_.title);
  put(object, "user", fields_.user);
  put(object, "comments", fields_.comments);
  put(object, "client", fields_.client);
  put(object, "category", fields_.category);
  put(object, "date", fields_.date);
  put(object, "hour", fields_.hour);
  put(object, "location", fields_.location);
  if (fields_.units) {
    Json units = Json::array();
    for (const auto& unit : *fields_.units) units.push_back(unit.encode());
    object["unit"] = std::move(units);
  }
  return object;
}

}  // namespace instala
