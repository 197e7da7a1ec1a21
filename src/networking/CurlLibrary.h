#pragma once
// libcurl is opened when the networking layer first calls it instead of at
// start-up: with the two dozen libraries it brings (TLS, Kerberos, LDAP,
// SSH, IDN...) it is the heaviest thing the program links, and the first
// screen may need no network at all. CurlLibrary.cc defines the libcurl
// functions this layer calls; each forwards to the library, opened once
// (thread-safe) by whichever call comes first. A libcurl function used
// anywhere in the program must be added there, or the program does not link.

namespace instala {

// Opens libcurl now unless it is open; false when it cannot be opened (every
// libcurl call then fails as libcurl reports a failure).
bool loadCurl();

// Opens libcurl on a thread of its own, so the first request finds it open.
// Returns at once.
void loadCurlInBackground();

}  // namespace instala
