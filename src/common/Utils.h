#pragma once
// Stateless helpers of the application, all class-level: the evidence photo
// store, the preference reset of a new service process, and the switch of the
// root screen.

#include "ui/Image.h"

#include <filesystem>
#include <optional>
#include <string>

namespace instala {

class Utils {
 public:
  Utils() = delete;

  // Replaces the whole screen hierarchy of the application delegate's window by
  // the storyboard "Main" screen of that identifier, with a 0.3 s cross-dissolve.
  // Without a delegate window or such a screen, reports on the standard error and changes nothing.
  static void changeRootViewController(const std::string& identifier);

  // Photo store: one JPEG file (quality 0.25) per name, directly in the
  // documents directory, the name used as it is (no extension). A save
  // replaces the file atomically, so a reader sees the old photo or the new
  // one, never half of it. Returns why the photo was not stored (the old file,
  // if any, is then untouched), nothing once it is on disk; failures are also
  // logged on the standard output ("couldn't remove file at path …", "error
  // saving file with error …"). A name that is not a plain file name (empty,
  // ".", "..", or holding "/") is refused the same way. Safe off the main thread.
  [[nodiscard]] static std::optional<std::string> saveImage(const std::string& name, const ui::Image& image);
  // The photo saved under that name; nothing when missing or not a JPEG.
  static std::optional<ui::Image> loadImage(const std::string& name);
  // The file of the photo of that name (whether or not there is one); nothing
  // for a name the store refuses.
  static std::optional<std::filesystem::path> imagePath(const std::string& name);
  // Deletes the photo of that name when there is one (logged when it cannot).
  static void removeImage(const std::string& name);

  // Removes every preference except "token", so a new process starts clean
  // while the technician stays signed in.
  static void clearPreferences();
};

}  // namespace instala
