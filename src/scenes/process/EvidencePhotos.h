#pragma once
// Where step two keeps its evidence for step three: five photo slots in the
// photo store under "img-1" … "img-5", and the video's path in the preference
// "video".

#include <string>

namespace instala {

inline constexpr int kEvidencePhotoSlots = 5;
inline constexpr const char* kVideoPreferenceKey = "video";

// "img-1" for slot 0 … "img-5" for slot 4.
inline std::string evidencePhotoName(int slot) { return "img-" + std::to_string(slot + 1); }

}  // namespace instala
