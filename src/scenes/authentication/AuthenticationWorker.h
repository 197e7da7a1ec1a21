#pragma once

namespace instala {

// The authentication scene's worker. The scene has no use case yet, so it does nothing.
class AuthenticationWorker {};

}  // namespace instala
