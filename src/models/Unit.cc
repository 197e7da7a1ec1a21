#include "models/Unit.h"

#include "models/JsonFields.h"

namespace instala {

namespace {

// The server spells the economic number's key "economic_numer"; it is kept as sent.
template <typename Object>
platform::Result<Unit> decodeUnit(Object& value) {
  if (!value.is_object()) return platform::Error{"a unit must be a JSON object"};
  using namespace json_fields;
  return Unit(Unit::Fields{
      integer(value, "id"),
      text(value, "economic_numer"),
      text(value, "brand"),
      text(value, "model"),
      text(value, "unit_type"),
      text(value, "license_plate"),
      text(value, "color"),
      text(value, "gps_model"),
      text(value, "imei"),
      text(value, "iccid"),
  });
}

}  // namespace

platform::Result<Unit> Unit::decode(const Json& value) { return decodeUnit(value); }
platform::Result<Unit> Unit::decode(Json&& value) { return decodeUnit(value); }

Json Unit::encode() const {
  using json_fields::put;
  Json object = Json::object();
  put(object, "id", fields_.id);
  put(object, "economic_numer", fields_.economicNumber);
  put(object, "brand", fields_.brand);
  put(object, "model", fields_.model);
  put(object, "unit_type", fields_.unitType);
  put(object, "license_plate", fields_.licensePlate);
  put(object, "color", fields_.color);
  put(object, "gps_model", fields_.gpsModel);
  put(object, "imei", fields_.imei);
  put(object, "iccid", fields_.iccid);
  return object;
}

}  // namespace instala
