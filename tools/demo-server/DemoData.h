#pragma once
// The sample data the demo server answers with: active and closed tickets, the
// documents the search finds and the coordinates of every ticket's address.
// Read from a JSON file (data/tickets.json) whose tickets carry a day offset
// instead of a date; the dates are computed from the day the server starts.

#include "CivilDay.h"
#include "platform/Result.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace instala::demo {

struct DemoDocument {
  std::string path;  // "/docs/<three folders>/<file name>", as the search answers it
  std::string title;
};

struct GeocodedPlace {
  std::string address;
  double latitude = 0;
  double longitude = 0;
};

class DemoData {
 public:
  static platform::Result<DemoData> load(const std::filesystem::path& file, const CivilDay& startDay);
  static platform::Result<DemoData> parse(std::string_view json, const CivilDay& startDay);

  const std::string& technician() const { return technician_; }
  // The list answers, {"tickets": [...]}, members in the records' key order.
  const nlohmann::ordered_json& activeTickets() const { return activeTickets_; }
  const nlohmann::ordered_json& closedTickets() const { return closedTickets_; }
  const std::vector<DemoDocument>& documents() const { return documents_; }

  // Documents whose title or path holds every word of the text, ignoring case
  // and accents; an empty text finds all of them.
  std::vector<DemoDocument> search(std::string_view text) const;
  const DemoDocument* documentAt(std::string_view path) const;
  // The place of a ticket's address (case, accents and blanks aside); nothing
  // for an address no sample ticket has.
  std::optional<GeocodedPlace> geocode(std::string_view address) const;

 private:
  std::string technician_;
  nlohmann::ordered_json activeTickets_;
  nlohmann::ordered_json closedTickets_;
  std::vector<DemoDocument> documents_;
  std::vector<GeocodedPlace> places_;
};

}  // namespace instala::demo
