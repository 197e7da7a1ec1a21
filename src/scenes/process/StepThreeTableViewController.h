#pragma once
// Step three of the service process: the final inspection and the submission.
// "Finalizar" sends the ticket number, both inspection records, the five photo
// slots and the video in one multipart upload. Only a 2xx answer with a JSON
// body counts as done and leads back home ("toHomeFromFinish"); anything else
// shows "Error de servidor. Intentar nuevamente." and keeps everything, so the
// technician can press "Finalizar" again. While one submission is under way
// further taps are ignored, so one tap is one service on the server.

#include "models/ProcessData.h"
#include "models/Ticket.h"
#include "networking/MultipartFormData.h"
#include "networking/ServerAPI.h"
#include "networking/UploadProgress.h"
#include "scenes/process/SubmissionFields.h"
#include "scenes/process/SubmissionSnapshot.h"
#include "ui/ClassRegistry.h"
#include "ui/TableViewController.h"

#include <memory>
#include <optional>

namespace instala {

class StepThreeTableViewController : public ui::TableViewController {
 public:
  using Super = ui::TableViewController;

  // idle → building (body built on the worker) → uploading → idle (failure,
  // with the alert) or gone home (success).
  enum class SubmissionState { idle, building, uploading };

  static constexpr const char* kFailureMessage = "Error de servidor. Intentar nuevamente.";
  static constexpr double kUploadPhotoQuality = 0.2;

  std::optional<Ticket> ticket;
  std::optional<ProcessData> finalData = ProcessData();
  // The server to submit to; null means the application's (tests point it elsewhere).
  std::shared_ptr<const ServerAPI> serverAPI;

  void viewDidLoad() override;
  int numberOfRowsInSection(ui::TableView& tableView, int section) override;
  double heightForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;

  SubmissionState submissionState() const { return state_; }
  // The running upload's progress: body bytes sent of the body's size. None
  // before the upload starts and again once it has ended. Front ends show it
  // under "Finalizar".
  const std::optional<UploadProgress>& uploadProgress() const { return uploadProgress_; }

  // Starts the submission (ignored while one is under way); returns at once.
  void submitProcess();
  // The initial record kept by step one, or none when missing or unreadable.
  static std::optional<ProcessData> loadInitialData();
  // The 46 fields from this screen's ticket and finalData and the stored initial record.
  SubmissionFields submissionFields() const;
  // Everything the body needs, read now (main thread).
  SubmissionSnapshot snapshot() const;
  // The body: the 46 text parts; "image" … "image5" as the stored photos
  // re-encoded at JPEG quality 0.2 (declared "image/png", file name = part
  // name), or an empty text part for a slot without a readable photo; then
  // "video" from the stored path when there is one. Runs on the worker.
  static void appendSubmissionParts(MultipartFormData& form, const SubmissionSnapshot& snapshot);

 private:
  void submissionFailed();
  void submissionSucceeded();

  SubmissionState state_ = SubmissionState::idle;
  std::optional<UploadProgress> uploadProgress_;
};

}  // namespace instala
