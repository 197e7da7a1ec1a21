#pragma once
// The key that names one service process from the tap on: a random UUID
// (version 4) in lower-case text. Every attempt to send the service carries
// it, so the server stores the service once, and the outbox names the
// service's folder after it.

#include <string>
#include <string_view>

namespace instala::outbox {

// 122 random bits from the system's generator, "xxxxxxxx-xxxx-4xxx-[89ab]xxx-xxxxxxxxxxxx".
std::string makeIdempotencyKey();

// Whether the text has exactly that shape (and so is safe as a folder name).
bool isIdempotencyKey(std::string_view text);

}  // namespace instala::outbox
