#include "models/User.h"

#include "models/JsonFields.h"

namespace instala {

namespace {

template <typename Object>
platform::Result<User> decodeUser(Object& value) {
  if (!value.is_object()) return platform::Error{"a user must be a JSON object"};
  return User(json_fields::text(value, "name"), json_fields::text(value, "auth_token"));
}

}  // namespace

platform::Result<User> User::decode(const Json& value) { return decodeUser(value); }
platform::Result<User> User::decode(Json&& value) { return decodeUser(value); }

Json User::encode() const {
  Json object = Json::object();
  json_fields::put(object, "name", name_);
  json_fields::put(object, "auth_token", authToken_);
  return object;
}

}  // namespace instala
