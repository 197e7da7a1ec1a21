#pragma once
// The camera. A front end (or a test) answers it with a photo or a video file;
// the delegate receives the result and closes the camera.

#include "ui/Image.h"
#include "ui/ViewController.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace instala::ui {

class ImagePickerController;

inline constexpr const char* mediaTypeImage = "public.image";
inline constexpr const char* mediaTypeMovie = "public.movie";

// What the camera returns: a recorded movie's file, or a photo.
struct ImagePickerMediaInfo {
  std::optional<std::filesystem::path> mediaURL;
  std::optional<Image> originalImage;
};

class ImagePickerControllerDelegate {
 public:
  virtual ~ImagePickerControllerDelegate() = default;
  virtual void imagePickerControllerDidFinishPickingMedia(ImagePickerController& picker,
                                                          const ImagePickerMediaInfo& info) = 0;
  // The default closes the camera.
  virtual void imagePickerControllerDidCancel(ImagePickerController& picker);
};

class ImagePickerController : public ViewController {
 public:
  using Super = ViewController;
  enum class SourceType { photoLibrary, camera };

  std::shared_ptr<ImagePickerControllerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<ImagePickerControllerDelegate> delegate) { delegate_ = std::move(delegate); }
  SourceType sourceType() const { return sourceType_; }
  void setSourceType(SourceType type) { sourceType_ = type; }
  // "public.image" (photos) unless set.
  const std::vector<std::string>& mediaTypes() const { return mediaTypes_; }
  void setMediaTypes(std::vector<std::string> types) { mediaTypes_ = std::move(types); }
  bool acceptsMediaType(const std::string& type) const;

  // The user took a photo or recorded a video.
  void finishPicking(const ImagePickerMediaInfo& info);
  void cancel();

 private:
  std::weak_ptr<ImagePickerControllerDelegate> delegate_;
  SourceType sourceType_ = SourceType::photoLibrary;
  std::vector<std::string> mediaTypes_{mediaTypeImage};
};

}  // namespace instala::ui
