#include "models/ProcessData.h"

namespace instala {

const std::array<ChecklistItem, kChecklistItemCount>& checklistItems() {
  // Field spellings ("finall_ignition", "electrical_lifts_initial") are the server's own.
  static const std::array<ChecklistItem, kChecklistItemCount> items{{
      {"Ignición", "ignition", "initial_ignition", "finall_ignition"},
      {"Faros delanteros", "headlights", "initial_headlights", "finall_headlights"},
      {"Direccionales", "directional", "initial_directionals", "final_directionals"},
      {"Stop", "stop", "initial_backlights", "final_backlights"},
      {"Puertas", "doors", "initial_doors", "final_doors"},
      {"Seguros electrónicos", "secureSystem", "initial_door_locks", "final_door_locks"},
      {"Elevadores eléctricos", "electricElevators", nullptr, nullptr},
      {"Claxón", "horn", "initial_car_horn", "final_car_horn"},
      {"Autoestéreo", "stereo", "initial_stereo", "final_stereo"},
      {"Luz interior", "interiorLight", "initial_interior_light", "final_interior_light"},
      {"Limpiaparabrisas", "wiperWasher", "initial_wipers", "final_wipers"},
      {"Control A/AC", "ac", "initial_air_conditioner_control", "final_air_conditioner_control"},
      {"Espejos laterales", "lateralMirrors", "initial_side_view_mirrors", "final_side_view_mirrors"},
      {"Retrovisor", "rearview", "initial_rear_view_mirror", "final_rear_view_mirror"},
      {"Línea al tanque", "tankLine", "initial_fuel_line", "final_fuel_line"},
      {"ABS Tractocamión", "tractorAbs", "initial_trailer_abs", "final_trailer_abs"},
      {"ABS Remolque 1", "trailerAbs1", "initial_trailer_abs_1", "final_trailer_abs_1"},
      {"ABS Remolque 2", "trailerAbs2", "initial_trailer_abs_2", "final_trailer_abs_2"},
      {"Luces Remolque 1", "trailerLights1", "initial_trailer_lights_1", "final_trailer_lights_1"},
      {"Luces Remolque 2", "trailerLights2", "initial_trailer_lights_2", "final_trailer_lights_2"},
      {"Ascensores eléctricos", "electricalLifts", "electrical_lifts_initial", "electrical_lifts_final"},
  }};
  return items;
}

const std::vector<std::string>& processElementTitles() {
  static const std::vector<std::string> titles = [] {
    std::vector<std::string> list;
    for (const auto& item : checklistItems()) list.emplace_back(item.title);
    return list;
  }();
  return titles;
}

namespace {
constexpr const char* kKilometersKey = "kilometers";
bool inRange(int index) { return index >= 0 && index < static_cast<int>(kChecklistItemCount); }
}  // namespace

ProcessData::ProcessData() : kilometers(std::string()) { items_.fill(false); }

std::optional<bool> ProcessData::item(int index) const {
  if (!inRange(index)) return false;
  return items_[static_cast<std::size_t>(index)];
}

void ProcessData::setItem(int index, bool value) {
  if (inRange(index)) items_[static_cast<std::size_t>(index)] = value;
}

void ProcessData::clearItem(int index) {
  if (inRange(index)) items_[static_cast<std::size_t>(index)].reset();
}

platform::PlistValue ProcessData::encode() const {
  platform::PlistDict document;
  if (kilometers) document[kKilometersKey] = *kilometers;
  for (std::size_t i = 0; i < kChecklistItemCount; ++i) {
    if (items_[i]) document[checklistItems()[i].property] = *items_[i];
  }
  return document;
}

platform::Result<ProcessData> ProcessData::decode(const platform::PlistValue& document) {
  const auto* dict = document.get<platform::PlistDict>();
  if (!dict) return platform::Error{"the checklist record is not a keyed document"};
  ProcessData record;
  record.kilometers.reset();
  if (auto it = dict->find(kKilometersKey); it != dict->end()) {
    const auto* text = it->second.get<std::string>();
    if (!text) return platform::Error{"\"kilometers\" is not a text"};
    record.kilometers = *text;
  }
  for (std::size_t i = 0; i < kChecklistItemCount; ++i) {
    record.items_[i].reset();
    auto it = dict->find(checklistItems()[i].property);
    if (it == dict->end()) continue;
    const bool* flag = it->second.get<bool>();
    if (!flag) return platform::Error{std::string("\"") + checklistItems()[i].property + "\" is not a Boolean"};
    record.items_[i] = *flag;
  }
  return record;
}

std::optional<platform::Bytes> ProcessData::encodeBytes() const {
  return platform::encodePropertyList(encode(), platform::PlistFormat::binary);
}

platform::Result<ProcessData> ProcessData::decodeBytes(const platform::Bytes& bytes) {
  auto document = platform::decodePropertyList(bytes);
  if (!document) return platform::Error{"the checklist record is not a property list"};
  return decode(*document);
}

}  // namespace instala
