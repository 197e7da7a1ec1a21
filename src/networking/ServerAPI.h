#pragma once
// Everything the application asks of its server, one function per operation.
// The caller passes the token it read from the preferences when it built the
// request; completions run on the main thread.
//
// | operation     | method | URL                               | headers                     | body                 |
// | signIn        | POST   | endpoint "signIn"                 | Content-Type                | {"email","password"} |
// | signOut       | DELETE | endpoint "signOut"                | Content-Type, Authorization | none                 |
// | activeTickets | GET    | endpoint "activeTickets"          | Content-Type, Authorization | none                 |
// | closedTickets | GET    | endpoint "closedTickets"          | Content-Type, Authorization | none                 |
// | search        | GET    | endpoint "search", {searchText}   | Content-Type, Authorization | none                 |
// | postData      | POST   | endpoint "postData"               | multipart, Authorization,   | the form             |
// |               |        |                                   | Idempotency-Key             |                      |

#include "models/Documents.h"
#include "models/Tickets.h"
#include "models/User.h"
#include "networking/Networking.h"
#include "networking/RequestLayer.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace instala {

class ServerAPI {
 public:
  // Bodies from this size on are read from their files as they are sent, not built in memory.
  static constexpr std::uint64_t kUploadMemoryThreshold = 10'000'000;
  static constexpr std::string_view kSearchPlaceholder = "{searchText}";

  ServerAPI();  // the shared endpoint configuration and session
  ServerAPI(const Networking& networking, Session& session);

  void signIn(const std::string& email, const std::string& password, RequestCompletion<User> completion) const;
  // The answer is decoded as a User; callers look only at the status.
  void signOut(const std::string& token, RequestCompletion<User> completion) const;
  void activeTickets(const std::string& token, RequestCompletion<Tickets> completion) const;
  void closedTickets(const std::string& token, RequestCompletion<Tickets> completion) const;
  void search(const std::string& token, const std::string& searchText, RequestCompletion<Documents> completion) const;
  // No loading overlay: the submission runs while the technician stays on the screen.
  // Every attempt to send one service carries that service's key, so the server
  // stores it once however often it arrives.
  void postData(const std::string& token, const std::string& idempotencyKey, FormBuilder formBuilder,
                EncodingCompletion encodingCompletion) const;

  static constexpr const char* kIdempotencyKeyHeader = "Idempotency-Key";

  // "Bearer " followed by the token as it is, so an empty token gives "Bearer ".
  static std::string authorizationValue(const std::string& token);
  // Replaces every "{searchText}" left to right with the percent-encoded text;
  // an inserted text is never searched again. A template without the
  // placeholder comes back unchanged.
  static std::string searchURL(std::string_view urlTemplate, std::string_view searchText);
  // UTF-8 bytes other than the unreserved characters (letters, digits, "-",
  // ".", "_", "~") as %XX, so a blank, "/", "?", "#" or "%" stays inside the
  // path segment it was typed into.
  static std::string percentEncoded(std::string_view text);

 private:
  HTTPHeaders headers(const std::optional<std::string>& token) const;

  const Networking& networking_;
  Session& session_;
};

}  // namespace instala
