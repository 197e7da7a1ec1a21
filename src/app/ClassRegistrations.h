#pragma once

namespace instala {

// Registers every class the interface files name: the shared interface pieces,
// the screens and the row views. Safe to call more than once.
void registerApplicationClasses();

}  // namespace instala
