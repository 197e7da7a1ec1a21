#include "models/User.h"

#include "models/JsonFields.h"

namespace instala {

platform::Result<User> User::decode(const Json& value) {
  if (!value.is_object()) return platform::Error{"a user must be a JSON object"};
  return User(json_fields::text(value, "name"), json_fields::text(value, "auth_token"));
}

Json User::encode() const {
  Json object = Json::object();
  json_fields::put(object, "name", name_);
  json_fields::put(object, "auth_token", authToken_);
  return object;
}

}  // namespace instala
