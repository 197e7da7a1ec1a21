#include "app/Launch.h"

#include "app/ClassRegistrations.h"
#include "networking/HTTPGeocoder.h"
#include "platform/Bundle.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"

#include <system_error>

namespace instala {
namespace {

// The geocoding service of Info.plist, made on the first search: making it
// opens the HTTP session, which the first screen may not need.
class GeocoderOnFirstUse final : public Geocoder {
 public:
  explicit GeocoderOnFirstUse(std::string baseURL) : baseURL_(std::move(baseURL)) {}

  void geocodeAddressString(const std::string& address, Completion completion) override {
    if (!geocoder_) geocoder_ = std::make_unique<HTTPGeocoder>(baseURL_);
    geocoder_->geocodeAddressString(address, std::move(completion));
  }

 private:
  std::string baseURL_;
  std::unique_ptr<HTTPGeocoder> geocoder_;
};

}  // namespace

platform::Result<LaunchOptions> parseLaunchOptions(const std::vector<std::string>& arguments) {
  LaunchOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--bundle" || argument == "--data") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        return platform::Error{argument + " needs a directory"};
      }
      (argument == "--bundle" ? options.bundle : options.data) = arguments[++i];
    } else {
      options.remaining.push_back(argument);
    }
  }
  return options;
}

platform::Result<std::shared_ptr<AppDelegate>> launchApplication(const LaunchOptions& options) {
  auto bundle = platform::Bundle::located(options.bundle);
  std::error_code ec;
  if (!std::filesystem::is_directory(bundle.root(), ec)) {
    return platform::Error{"the application bundle " + bundle.root().string() + " is not a directory"};
  }
  platform::Bundle::setMain(std::move(bundle));
  if (options.data) {
    std::filesystem::create_directories(*options.data, ec);
    if (ec) return platform::Error{"cannot create the data directory " + options.data->string() + ": " + ec.message()};
    platform::Paths::setDataDirectory(*options.data);
  }
  // Saves that a kill or a power cut interrupted leave their temporary files behind.
  const auto preferences = platform::Paths::preferencesFile();
  platform::removeAtomicWriteLeftovers(preferences.parent_path(), preferences.filename().string());
  platform::removeAtomicWriteLeftovers(platform::Paths::documentsDirectory());
  platform::Preferences::standard().open(preferences);
  registerApplicationClasses();
  // The check-in map asks the geocoding service named in Info.plist; without one it stays as laid out.
  const auto geocoderURL = platform::Bundle::main().infoString(HTTPGeocoder::kInfoKey);
  Geocoder::setShared(geocoderURL && !geocoderURL->empty() ? std::make_shared<GeocoderOnFirstUse>(*geocoderURL)
                                                           : nullptr);

  auto delegate = std::make_shared<AppDelegate>();
  auto& application = ui::Application::shared();
  application.setDelegate(delegate);
  if (!application.launch()) return platform::Error{"the application could not show its first screen"};
  return delegate;
}

}  // namespace instala
