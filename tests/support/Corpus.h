#pragma once
// The fuzz corpus (fuzz/corpus/<target>/): seeds and every input that ever
// broke the application. Tests read its files by target and name.

#include "support/TempDir.h"

#include <filesystem>
#include <string>

namespace instala::testing {

inline std::filesystem::path corpusFile(const std::string& target, const std::string& name) {
  return std::filesystem::path(INSTALA_FUZZ_CORPUS_DIR) / target / name;
}

inline std::string corpusText(const std::string& target, const std::string& name) {
  return readText(corpusFile(target, name));
}

}  // namespace instala::testing
