#pragma once
// Step three of the service process: the final inspection and the submission.
// "Finalizar" hands the service (the 46 fields, the five photo slots and the
// video) to the outbox, which keeps it on disk and sends it until the server
// has it. The screen only shows where its service stands there:
// - while it is written or sent, the progress and a "Cancelar" button under
//   "Finalizar" (further taps on "Finalizar" are ignored);
// - sent: back home by "toHomeFromFinish", whoever sent it;
// - a tap's send failed: "Error de servidor. Intentar nuevamente." with
//   "Aceptar" (stay; a later tap sends a fresh snapshot under the same key)
//   and "Enviar más tarde" (the outbox keeps it; back home);
// - cancelled: nothing more, "Finalizar" can be tapped again.
// Leaving the screen during the upload loses nothing: the outbox finishes it.

#include "models/ProcessData.h"
#include "models/Ticket.h"
#include "networking/UploadRequest.h"
#include "outbox/Outbox.h"
#include "scenes/process/SubmissionFields.h"
#include "scenes/process/SubmissionSnapshot.h"
#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/TableViewController.h"

#include <memory>
#include <optional>

namespace instala {

class CustomButtonCell;

class StepThreeTableViewController : public ui::TableViewController {
 public:
  using Super = ui::TableViewController;

  // idle → building (written, queued, read) → uploading (bytes go out) → idle
  // (failure, cancel) or gone home (sent).
  enum class SubmissionState { idle, building, uploading };

  static constexpr const char* kFailureMessage = "Error de servidor. Intentar nuevamente.";
  static constexpr const char* kSendLaterTitle = "Enviar más tarde";
  static constexpr const char* kCancelTitle = "Cancelar";
  // The tag of the "Cancelar" button inside the button row (front ends lay the progress out beside it).
  static constexpr int kCancelButtonTag = 3023;

  std::optional<Ticket> ticket;
  std::optional<ProcessData> finalData = ProcessData();
  // The outbox to submit to; null means the application's (tests hand in their own).
  std::shared_ptr<outbox::Outbox> outbox;

  void viewDidLoad() override;
  int numberOfRowsInSection(ui::TableView& tableView, int section) override;
  double heightForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;

  // Where this screen's service stands in the outbox.
  SubmissionState submissionState() const;
  // Body bytes sent of the body's size while the upload runs; none otherwise.
  // Front ends show it under "Finalizar".
  std::optional<UploadProgress> uploadProgress() const;

  // "Finalizar": hands the service to the outbox (ignored while it is under way); returns at once.
  void submitProcess();
  // "Cancelar": stops the service's send; the outbox keeps it.
  void cancelButtonHandler(ui::Object* sender);

  // The initial record kept by step one, or none when missing or unreadable.
  static std::optional<ProcessData> loadInitialData();
  // The 46 fields from this screen's ticket and finalData and the stored initial record.
  SubmissionFields submissionFields() const;
  // Everything the submission needs, read now (main thread).
  SubmissionSnapshot snapshot() const;
  // What the outbox keeps of a snapshot: the 46 fields as text, the photo
  // store's files of the five slots and the video.
  static outbox::ServiceSubmission serviceSubmission(const SubmissionSnapshot& snapshot, const std::string& key);

  static void describe(ui::ClassDescription<StepThreeTableViewController>& d);

 private:
  std::shared_ptr<outbox::Outbox> currentOutbox() const;
  std::optional<outbox::EntryStatus> serviceStatus() const;
  bool isShown() const;
  void outboxChanged(const outbox::OutboxEvent& event);
  void showFailureAlert(bool kept);
  void configureCancelButton(CustomButtonCell& cell);
  void refreshButtonRow();

  outbox::Outbox::Subscription subscription_;
};

}  // namespace instala
