#include "models/Documents.h"

#include "models/DynamicKey.h"
#include "models/JsonFields.h"

namespace instala {

platform::Result<Documents> Documents::decode(const Json& value) {
  if (!value.is_object()) return platform::Error{"a search answer must be a JSON object"};
  Documents result;
  for (const auto& [name, member] : value.items()) {
    DynamicKey key(name);
    if (key.stringValue() == "message") continue;
    if (!member.is_string()) {
      return platform::Error{"search answer member \"" + key.stringValue() + "\" is not a text"};
    }
    result.documents_.push_back(member.get<std::string>());
  }
  return result;
}

}  // namespace instala
