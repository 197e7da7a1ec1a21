#pragma once
// One vehicle on which a tracking device is installed, as the server sends it.

#include "models/Json.h"
#include "platform/Result.h"

#include <cstdint>
#include <optional>
#include <string>

namespace instala {

class UnitProtocol {
 public:
  virtual ~UnitProtocol() = default;
  virtual const std::optional<std::int64_t>& id() const = 0;
  virtual const std::optional<std::string>& economicNumber() const = 0;
  virtual const std::optional<std::string>& brand() const = 0;
  virtual const std::optional<std::string>& model() const = 0;
  virtual const std::optional<std::string>& unitType() const = 0;
  virtual const std::optional<std::string>& licensePlate() const = 0;
  virtual const std::optional<std::string>& color() const = 0;
  virtual const std::optional<std::string>& gpsModel() const = 0;
  virtual const std::optional<std::string>& imei() const = 0;
  virtual const std::optional<std::string>& iccid() const = 0;
};

class Unit final : public UnitProtocol {
 public:
  struct Fields {
    std::optional<std::int64_t> id;
    std::optional<std::string> economicNumber;
    std::optional<std::string> brand;
    std::optional<std::string> model;
    std::optional<std::string> unitType;
    std::optional<std::string> licensePlate;
    std::optional<std::string> color;
    std::optional<std::string> gpsModel;
    std::optional<std::string> imei;
    std::optional<std::string> iccid;
    bool operator==(const Fields&) const = default;
  };

  Unit() = default;
  explicit Unit(Fields fields) : fields_(std::move(fields)) {}

  // Fails only when the value is not a JSON object. The second form moves the
  // texts out of a document that is not needed afterwards.
  static platform::Result<Unit> decode(const Json& value);
  static platform::Result<Unit> decode(Json&& value);
  Json encode() const;

  const std::optional<std::int64_t>& id() const override { return fields_.id; }
  const std::optional<std::string>& economicNumber() const override { return fields_.economicNumber; }
  const std::optional<std::string>& brand() const override { return fields_.brand; }
  const std::optional<std::string>& model() const override { return fields_.model; }
  const std::optional<std::string>& unitType() const override { return fields_.unitType; }
  const std::optional<std::string>& licensePlate() const override { return fields_.licensePlate; }
  const std::optional<std::string>& color() const override { return fields_.color; }
  const std::optional<std::string>& gpsModel() const override { return fields_.gpsModel; }
  const std::optional<std::string>& imei() const override { return fields_.imei; }
  const std::optional<std::string>& iccid() const override { return fields_.iccid; }

  bool operator==(const Unit& other) const { return fields_ == other.fields_; }

 private:
  Fields fields_;
};

}  // namespace instala
