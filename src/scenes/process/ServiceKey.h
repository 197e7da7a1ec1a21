#pragma once
// The idempotency key of the service process under way, kept in the
// preferences beside "dataElements": step one makes a new one, step three
// sends every attempt with it, so a service reaches the server once however
// often it is sent.

#include <optional>
#include <string>

namespace instala {

inline constexpr const char* kIdempotencyKeyPreference = "idempotencyKey";

// Makes a new key and stores it (a new process begins).
std::string startServiceKey();
// The stored key; none when there is none or it is malformed.
std::optional<std::string> storedServiceKey();
// The stored key, or a new one stored now (a process begun before keys existed),
// so that a later tap reuses it.
std::string serviceKey();

}  // namespace instala
