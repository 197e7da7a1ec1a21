#include "DemoData.h"

#include "TextFolding.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <limits>
#include <regex>

namespace instala::demo {
namespace {

using nlohmann::json;
using nlohmann::ordered_json;
using platform::Error;
using platform::Result;

constexpr std::array kTicketTexts{"title", "user", "comments", "client", "category"};
constexpr std::array kUnitTexts{"economic_numer", "brand",     "model", "unit_type", "license_plate",
                                "color",          "gps_model", "imei",  "iccid"};

// Reads the sample file strictly: a mistake in it should stop the server at
// start, not surface later as a ticket with missing fields.
class Reader {
 public:
  explicit Reader(std::string where) : where_(std::move(where)) {}

  std::optional<Error> text(const json& object, const char* key, ordered_json& out) const {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return fail(std::string("\"") + key + "\" must be a text");
    out[key] = *it;
    return std::nullopt;
  }
  std::optional<Error> integer(const json& object, const char* key, std::int64_t& out) const {
    auto it = object.find(key);
    bool fits = it != object.end() && it->is_number_integer() &&
                (!it->is_number_unsigned() || it->get<std::uint64_t>() <= std::numeric_limits<std::int64_t>::max());
    if (!fits) return fail(std::string("\"") + key + "\" must be an integer");
    out = it->get<std::int64_t>();
    return std::nullopt;
  }
  std::optional<Error> number(const json& object, const char* key, double& out) const {
    auto it = object.find(key);
    if (it == object.end() || !it->is_number()) return fail(std::string("\"") + key + "\" must be a number");
    out = it->get<double>();
    return std::nullopt;
  }
  Error fail(const std::string& problem) const { return Error{where_ + ": " + problem}; }

 private:
  std::string where_;
};

Result<ordered_json> readUnit(const json& entry, const std::string& where) {
  Reader reader(where);
  if (!entry.is_object()) return reader.fail("a unit must be an object");
  ordered_json unit = ordered_json::object();
  std::int64_t id = 0;
  if (auto error = reader.integer(entry, "id", id)) return *error;
  unit["id"] = id;
  for (const char* key : kUnitTexts) {
    if (auto error = reader.text(entry, key, unit)) return *error;
  }
  return unit;
}

Result<ordered_json> readTicket(const json& entry, const std::string& where, const CivilDay& startDay,
                                std::vector<GeocodedPlace>& places) {
  Reader reader(where);
  if (!entry.is_object()) return reader.fail("a ticket must be an object");
  ordered_json ticket = ordered_json::object();
  std::int64_t id = 0;
  std::int64_t dayOffset = 0;
  GeocodedPlace place;
  if (auto error = reader.integer(entry, "id", id)) return *error;
  ticket["id"] = id;
  for (const char* key : kTicketTexts) {
    if (auto error = reader.text(entry, key, ticket)) return *error;
  }
  if (auto error = reader.integer(entry, "day_offset", dayOffset)) return *error;
  if (dayOffset < -3650 || dayOffset > 3650) return reader.fail("\"day_offset\" must lie within ten years");
  ticket["date"] = startDay.plusDays(static_cast<int>(dayOffset)).text();
  if (auto error = reader.text(entry, "hour", ticket)) return *error;
  static const std::regex hourShape("([01][0-9]|2[0-3]):[0-5][0-9]");
  if (!std::regex_match(ticket["hour"].get<std::string>(), hourShape)) return reader.fail("\"hour\" must be HH:mm");
  if (auto error = reader.text(entry, "location", ticket)) return *error;
  if (auto error = reader.number(entry, "lat", place.latitude)) return *error;
  if (auto error = reader.number(entry, "lon", place.longitude)) return *error;
  place.address = ticket["location"].get<std::string>();
  places.push_back(place);

  auto units = entry.find("unit");
  if (units == entry.end() || !units->is_array()) return reader.fail("\"unit\" must be an array");
  ticket["unit"] = ordered_json::array();
  for (std::size_t i = 0; i < units->size(); ++i) {
    auto unit = readUnit((*units)[i], where + ", unit " + std::to_string(i + 1));
    if (!unit) return unit.error();
    ticket["unit"].push_back(std::move(unit).value());
  }
  return ticket;
}

Result<ordered_json> readTicketList(const json& root, const char* key, const CivilDay& startDay,
                                    std::vector<GeocodedPlace>& places) {
  auto list = root.find(key);
  if (list == root.end() || !list->is_array()) return Error{std::string("\"") + key + "\" must be an array of tickets"};
  ordered_json answer = {{"tickets", ordered_json::array()}};
  for (std::size_t i = 0; i < list->size(); ++i) {
    auto ticket = readTicket((*list)[i], std::string(key) + " ticket " + std::to_string(i + 1), startDay, places);
    if (!ticket) return ticket.error();
    answer["tickets"].push_back(std::move(ticket).value());
  }
  return answer;
}

// The client names a document by the fifth "/"-piece of its path, so every
// path needs exactly three folders between the leading "/" and the file name.
bool hasDocumentShape(const std::string& path) {
  if (path.empty() || path.front() != '/' || path.back() == '/') return false;
  if (std::count(path.begin(), path.end(), '/') != 4) return false;
  return path.find("//") == std::string::npos;
}

Result<std::vector<DemoDocument>> readDocuments(const json& root) {
  auto list = root.find("documents");
  if (list == root.end() || !list->is_array()) return Error{"\"documents\" must be an array"};
  std::vector<DemoDocument> documents;
  for (std::size_t i = 0; i < list->size(); ++i) {
    const json& entry = (*list)[i];
    Reader reader("document " + std::to_string(i + 1));
    ordered_json fields;
    if (!entry.is_object()) return reader.fail("a document must be an object");
    if (auto error = reader.text(entry, "path", fields)) return *error;
    if (auto error = reader.text(entry, "title", fields)) return *error;
    DemoDocument document{fields["path"].get<std::string>(), fields["title"].get<std::string>()};
    if (!hasDocumentShape(document.path)) return reader.fail("\"path\" must look like /a/b/c/file.ext");
    for (const auto& other : documents) {
      if (other.path == document.path) return reader.fail("\"path\" appears twice");
    }
    documents.push_back(std::move(document));
  }
  return documents;
}

}  // namespace

Result<DemoData> DemoData::load(const std::filesystem::path& file, const CivilDay& startDay) {
  auto content = platform::readFile(file);
  if (!content) return Error{"cannot read " + file.string()};
  auto data = parse(std::string_view(reinterpret_cast<const char*>(content->data()), content->size()), startDay);
  if (!data) return Error{file.string() + ": " + data.error().message};
  return data;
}

Result<DemoData> DemoData::parse(std::string_view text, const CivilDay& startDay) {
  json root = json::parse(text, nullptr, false);
  if (root.is_discarded() || !root.is_object()) return Error{"not a JSON object"};
  DemoData data;
  auto technician = root.find("technician");
  if (technician == root.end() || !technician->is_string()) return Error{"\"technician\" must be a text"};
  data.technician_ = technician->get<std::string>();

  auto active = readTicketList(root, "active", startDay, data.places_);
  if (!active) return active.error();
  data.activeTickets_ = std::move(active).value();
  auto closed = readTicketList(root, "closed", startDay, data.places_);
  if (!closed) return closed.error();
  data.closedTickets_ = std::move(closed).value();
  auto documents = readDocuments(root);
  if (!documents) return documents.error();
  data.documents_ = std::move(documents).value();
  return data;
}

std::vector<DemoDocument> DemoData::search(std::string_view text) const {
  const auto words = foldedWords(text);
  std::vector<DemoDocument> found;
  for (const auto& document : documents_) {
    const std::string haystack = foldForMatch(document.title) + " " + foldForMatch(document.path);
    bool all = std::all_of(words.begin(), words.end(),
                           [&](const std::string& word) { return haystack.find(word) != std::string::npos; });
    if (all) found.push_back(document);
  }
  return found;
}

const DemoDocument* DemoData::documentAt(std::string_view path) const {
  for (const auto& document : documents_) {
    if (document.path == path) return &document;
  }
  return nullptr;
}

std::optional<GeocodedPlace> DemoData::geocode(std::string_view address) const {
  const std::string wanted = foldForMatch(address);
  if (wanted.empty()) return std::nullopt;
  for (const auto& place : places_) {
    if (foldForMatch(place.address) == wanted) return place;
  }
  return std::nullopt;
}

}  // namespace instala::demo
