#include "common/Utils.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "ui/Application.h"
#include "ui/Storyboard.h"
#include "ui/ViewController.h"
#include "ui/Window.h"

#include <filesystem>
#include <iostream>

namespace instala {
namespace {

constexpr double kPhotoQuality = 0.25;

bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

// The photo's file, or nothing when the name could leave the documents directory.
std::optional<std::filesystem::path> photoPath(const std::string& name) {
  const auto directory = platform::Paths::documentsDirectory();
  if (directory.empty() || !isPlainFileName(name)) return std::nullopt;
  return directory / name;
}

}  // namespace

void Utils::changeRootViewController(const std::string& identifier) {
  auto storyboard = ui::Storyboard::named("Main");
  const auto& delegate = ui::Application::shared().delegate();
  auto window = delegate ? delegate->window() : nullptr;
  if (!storyboard || !window) {
    std::cerr << "changeRootViewController: no storyboard \"Main\" or no application window\n";
    return;
  }
  auto controller = storyboard->instantiateViewController(identifier);
  if (!controller) {
    std::cerr << "changeRootViewController: the storyboard has no screen \"" << identifier << "\"\n";
    return;
  }
  window->setRootViewController(controller);
  window->makeKeyAndVisible();
  ui::View::transition(window, 0.3, ui::AnimationOptions::transitionCrossDissolve, nullptr, nullptr);
}

std::optional<std::string> Utils::saveImage(const std::string& name, const ui::Image& image) {
  auto failed = [](std::string error) {
    std::cout << "error saving file with error " << error << std::endl;
    return std::optional<std::string>(std::move(error));
  };
  auto path = photoPath(name);
  if (!path) return failed("invalid photo name \"" + name + "\"");
  auto data = image.jpegRepresentation(kPhotoQuality);
  // Nothing is written and, as before, nothing logged; the caller still learns of it.
  if (!data) return "the image has no JPEG representation";
  // A regular file is replaced by the rename below; anything else in the way
  // (a folder) has to go first.
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(*path, ec);
  if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    std::filesystem::remove(*path, ec);
    if (ec) std::cout << "couldn't remove file at path " << ec.message() << std::endl;
  }
  const auto mode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
  if (auto error = platform::writeFileAtomically(*path, *data, mode)) return failed(*error);
  return std::nullopt;
}

std::optional<ui::Image> Utils::loadImage(const std::string& name) {
  auto path = photoPath(name);
  if (!path) return std::nullopt;
  return ui::Image::withContentsOfFile(*path);
}

std::optional<std::filesystem::path> Utils::imagePath(const std::string& name) { return photoPath(name); }

void Utils::removeImage(const std::string& name) {
  auto path = photoPath(name);
  if (!path) return;
  std::error_code ec;
  std::filesystem::remove(*path, ec);
  if (ec) std::cout << "couldn't remove file at path " << ec.message() << std::endl;
}

void Utils::clearPreferences() {
  auto& preferences = platform::Preferences::standard();
  for (const auto& key : preferences.keys()) {
    if (key != "token") preferences.removeObjectForKey(key);
  }
}

}  // namespace instala
