#pragma once
// One pass of the vehicle inspection: the odometer reading and 21 yes/no items.
// Step one fills the initial record, step three the final one.

#include "platform/PropertyList.h"
#include "platform/Result.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace instala {

inline constexpr std::size_t kChecklistItemCount = 21;

// One checklist item: its display text, its property (the coding key) and the
// submission fields that carry it for the initial and the final record.
// "Elevadores eléctricos" has no submission field: it is shown but never sent.
struct ChecklistItem {
  const char* title;
  const char* property;
  const char* initialField;  // nullptr: not sent
  const char* finalField;    // nullptr: not sent
};

// The 21 items in display order; the index of an item is its row in the checklist.
const std::array<ChecklistItem, kChecklistItemCount>& checklistItems();

// The 21 display texts, in order, built once on first use.
const std::vector<std::string>& processElementTitles();

// Empty on purpose: the steps hold records through it without needing more.
class ProcessDataProtocol {
 public:
  virtual ~ProcessDataProtocol() = default;
};

class ProcessData final : public ProcessDataProtocol {
 public:
  // A new record: kilometers is empty text and every item is false.
  ProcessData();

  std::optional<std::string> kilometers;

  // Items by index (0 = ignition … 20 = electricalLifts). Out of range reads
  // as false; setting it changes nothing.
  std::optional<bool> item(int index) const;
  void setItem(int index, bool value);
  // Reads for display or sending: absent counts as false.
  bool isOn(int index) const { return item(index).value_or(false); }
  // Makes an item absent (as a decoded record may have it).
  void clearItem(int index);

  // Keyed document with every present property under its coding key.
  platform::PlistValue encode() const;
  platform::Result<ProcessData> static decode(const platform::PlistValue& document);
  // The bytes kept under the preference "dataElements" (binary property list).
  std::optional<platform::Bytes> encodeBytes() const;
  static platform::Result<ProcessData> decodeBytes(const platform::Bytes& bytes);

  bool operator==(const ProcessData& other) const {
    return kilometers == other.kilometers && items_ == other.items_;
  }

 private:
  std::array<std::optional<bool>, kChecklistItemCount> items_;
};

}  // namespace instala
