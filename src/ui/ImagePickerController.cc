#include "ui/ImagePickerController.h"

#include <algorithm>

namespace instala::ui {

void ImagePickerControllerDelegate::imagePickerControllerDidCancel(ImagePickerController& picker) {
  picker.dismiss(true);
}

bool ImagePickerController::acceptsMediaType(const std::string& type) const {
  return std::find(mediaTypes_.begin(), mediaTypes_.end(), type) != mediaTypes_.end();
}

void ImagePickerController::finishPicking(const ImagePickerMediaInfo& info) {
  auto self = sharedAs<ImagePickerController>();
  if (auto delegate = delegate_.lock()) delegate->imagePickerControllerDidFinishPickingMedia(*this, info);
}

void ImagePickerController::cancel() {
  auto self = sharedAs<ImagePickerController>();
  if (auto delegate = delegate_.lock()) {
    delegate->imagePickerControllerDidCancel(*this);
  } else {
    dismiss(true);
  }
}

}  // namespace instala::ui
