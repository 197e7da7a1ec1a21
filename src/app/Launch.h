#pragma once
// Start-up shared by the front ends: the command-line options, the bundle and
// data locations, the class registrations and the application delegate's launch.

#include "app/AppDelegate.h"
#include "platform/Result.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace instala {

struct LaunchOptions {
  std::optional<std::filesystem::path> bundle;  // --bundle DIR
  std::optional<std::filesystem::path> data;    // --data DIR
  // Arguments this layer does not know, in order, for the front end.
  std::vector<std::string> remaining;
};

// An error for an option without its value.
platform::Result<LaunchOptions> parseLaunchOptions(const std::vector<std::string>& arguments);

// Sets the main bundle and the data directory, removes the temporary files of
// interrupted saves next to the preferences and the photos, opens the
// preferences, registers the classes, sets the shared geocoder from Info.plist
// (made on its first search, so that start-up opens no HTTP session) and
// launches the application delegate, which shows the first screen. The
// delegate is also the application's.
platform::Result<std::shared_ptr<AppDelegate>> launchApplication(const LaunchOptions& options);

}  // namespace instala
