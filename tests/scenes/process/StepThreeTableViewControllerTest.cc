#include "scenes/process/StepThreeTableViewController.h"

#include "common/CustomButtonCell.h"
#include "common/Utils.h"
#include "outbox/EntryStore.h"
#include "outbox/IdempotencyKey.h"
#include "scenes/ScreenFixture.h"
#include "scenes/process/ProcessElementCell.h"
#include "scenes/process/ProcessKilometersCell.h"
#include "scenes/process/ProcessStepsCell.h"
#include "support/ForkedCall.h"
#include "ui/Switch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <map>
#include <ostream>

namespace instala {
namespace {

ui::Image storedPhoto(int width) {
  return ui::Image(*platform::Image::fromRGB(width, 6, platform::Bytes(static_cast<std::size_t>(width * 6 * 3), 150)));
}

Ticket ticketWithId(std::optional<std::int64_t> id) {
  Ticket::Fields fields;
  fields.id = id;
  return Ticket(fields);
}

// One part of the built form, as the server will read it.
struct Part {
  std::string name;
  std::string disposition;
  std::optional<std::string> contentType;
  std::string content;       // bytes in memory
  std::filesystem::path file;  // or the file streamed
};

std::vector<Part> partsOf(const MultipartFormData& form) {
  std::vector<Part> parts;
  for (const auto& bodyPart : form.bodyParts()) {
    Part part;
    for (const auto& [name, value] : bodyPart.headers) {
      if (name == "Content-Disposition") part.disposition = value;
      if (name == "Content-Type") part.contentType = value;
    }
    const auto start = part.disposition.find("name=\"") + 6;
    part.name = part.disposition.substr(start, part.disposition.find('"', start) - start);
    if (const auto* bytes = std::get_if<std::string>(&bodyPart.bodyStream)) {
      part.content = *bytes;
    } else {
      part.file = std::get<std::filesystem::path>(bodyPart.bodyStream);
    }
    parts.push_back(part);
  }
  return parts;
}

std::map<std::string, std::string> textFields(const std::vector<Part>& parts) {
  std::map<std::string, std::string> fields;
  for (const auto& part : parts) {
    if (!part.contentType) fields[part.name] = part.content;
  }
  return fields;
}

class StepThreeTest : public testing::ScreenFixture {
 protected:
  // The body the outbox sends for the snapshot: kept as an entry, read back, encoded.
  std::vector<Part> build(const SubmissionSnapshot& snapshot) {
    const auto key = outbox::makeIdempotencyKey();
    auto staged = outboxStore.stage(StepThreeTableViewController::serviceSubmission(snapshot, key));
    EXPECT_TRUE(staged) << staged.error().message;
    if (!staged) return {};
    EXPECT_TRUE(outboxStore.commit(*staged, {}));
    auto entry = outboxStore.load(key);
    EXPECT_TRUE(entry) << entry.error().message;
    if (!entry) return {};
    MultipartFormData form;
    outbox::appendSubmissionParts(form, *entry);
    EXPECT_FALSE(form.bodyPartError()) << form.bodyPartError()->message;
    return partsOf(form);
  }
  std::shared_ptr<StepThreeTableViewController> open(std::optional<Ticket> ticket = ticketWithId(1042)) {
    return show<StepThreeTableViewController>("StepThreeTableViewController",
                                              [&](StepThreeTableViewController& screen) { screen.ticket = ticket; });
  }

  outbox::EntryStore outboxStore{dir / "Outbox"};
};

TEST_F(StepThreeTest, RowsHeightsProgressAndTheFinishButton) {
  auto screen = open();
  auto table = screen->tableView();
  ASSERT_EQ(table->numberOfRows(0), 24);
  const std::pair<int, double> heights[] = {{0, 100}, {1, 44}, {2, 52}, {22, 52}, {23, 90}};
  for (auto [index, height] : heights) EXPECT_EQ(screen->heightForRowAtIndexPath(*table, {0, index}), height);
  auto steps = row<ProcessStepsCell>(*table, 0);
  const auto dark = ui::Color::named("DarkBlue");
  for (const auto& part : {steps->stepOneView, steps->stepTwoView, steps->leftLineView, steps->rightLineView}) {
    EXPECT_EQ(part.lock()->backgroundColor(), dark);
  }
  EXPECT_EQ(steps->stepThreeView.lock()->backgroundColor(), ui::Color::named("LightBlue")->withAlphaComponent(0.25));
  EXPECT_NE(row<ProcessKilometersCell>(*table, 1), nullptr);
  EXPECT_EQ(row<ProcessElementCell>(*table, 22)->titleLabel.lock()->text(), "Ascensores eléctricos");
  auto button = row<CustomButtonCell>(*table, 23)->customButton.lock();
  EXPECT_EQ(button->title(ui::ControlState::normal), "Finalizar");
}

TEST_F(StepThreeTest, WithNothingTouchedTheBodyHas46TextPartsAndFiveEmptyImages) {
  SubmissionSnapshot snapshot;
  snapshot.ticket = ticketWithId(1042);
  snapshot.initialData = ProcessData();
  snapshot.finalData = ProcessData();
  auto parts = build(snapshot);
  ASSERT_EQ(parts.size(), 51u);
  const auto expected = submissionFields(snapshot.ticket, snapshot.initialData, snapshot.finalData);
  int falses = 0;
  for (std::size_t i = 0; i < 46; ++i) {
    EXPECT_EQ(parts[i].name, expected[i].first);
    EXPECT_EQ(parts[i].disposition, "form-data; name=\"" + expected[i].first + "\"");
    EXPECT_FALSE(parts[i].contentType);
    falses += parts[i].content == "false";
  }
  EXPECT_EQ(falses, 40);
  auto fields = textFields(parts);
  EXPECT_EQ(fields["ticket_id"], "1042");
  for (const char* empty : {"initial_kilometers", "final_kilometers", "initial_observations", "initial_time",
                            "final_observations"}) {
    EXPECT_EQ(fields[empty], "") << empty;
  }
  const char* images[] = {"image", "image2", "image3", "image4", "image5"};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(parts[46 + i].name, images[i]);
    EXPECT_EQ(parts[46 + i].disposition, std::string("form-data; name=\"") + images[i] + "\"");
    EXPECT_FALSE(parts[46 + i].contentType);
    EXPECT_EQ(parts[46 + i].content, "");
  }
}

struct FieldCase {
  const char* name;
  std::function<void(SubmissionSnapshot&)> change;
  std::map<std::string, std::string> expected;  // fields that must hold these texts
  bool othersUnchanged;                          // every other field as with nothing touched
};
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

class SubmissionField : public StepThreeTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(SubmissionField, CarriesWhatTheRecordsHold) {
  SubmissionSnapshot base;
  base.ticket = ticketWithId(7);
  base.initialData = ProcessData();
  base.finalData = ProcessData();
  SubmissionSnapshot changed = base;
  GetParam().change(changed);
  auto before = textFields(build(base));
  auto after = textFields(build(changed));
  ASSERT_EQ(after.size(), 51u);
  for (const auto& [field, text] : GetParam().expected) {
    ASSERT_TRUE(after.count(field)) << field;
    EXPECT_EQ(after[field], text) << field;
    before.erase(field);
  }
  if (GetParam().othersUnchanged) {
    for (const auto& [field, text] : before) EXPECT_EQ(after[field], text) << field;
  }
}

INSTANTIATE_TEST_SUITE_P(
    StepThree, SubmissionField,
    ::testing::Values(
        FieldCase{"TractorAbsInStepOne", [](auto& s) { s.initialData->setItem(15, true); },
                  {{"initial_trailer_abs", "true"}, {"initial_trailer_abs_1", "false"}, {"final_trailer_abs", "false"}},
                  true},
        FieldCase{"ElectricalLiftsInStepThree", [](auto& s) { s.finalData->setItem(20, true); },
                  {{"electrical_lifts_final", "true"}, {"final_observations", ""}, {"electrical_lifts_initial", "false"}},
                  true},
        FieldCase{"ElectricElevatorsIsNeverSent",
                  [](auto& s) {
                    s.initialData->setItem(6, true);
                    s.finalData->setItem(6, true);
                  },
                  {}, true},
        FieldCase{"HornBothSides",
                  [](auto& s) {
                    s.initialData->setItem(7, true);
                    s.finalData->setItem(7, true);
                  },
                  {{"initial_car_horn", "true"}, {"final_car_horn", "true"}}, true},
        FieldCase{"IgnitionKeepsTheServersSpelling", [](auto& s) { s.finalData->setItem(0, true); },
                  {{"finall_ignition", "true"}, {"initial_ignition", "false"}}, true},
        FieldCase{"Readings",
                  [](auto& s) {
                    s.initialData->kilometers = "120500";
                    s.finalData->kilometers = "120512";
                  },
                  {{"initial_kilometers", "120500"}, {"final_kilometers", "120512"}}, true},
        FieldCase{"MissingInitialRecordIsAllFalse",
                  [](auto& s) {
                    s.initialData.reset();
                    s.finalData->setItem(1, true);
                  },
                  {{"initial_headlights", "false"}, {"initial_kilometers", ""}, {"finall_headlights", "true"}}, true},
        FieldCase{"AbsentItemCountsAsFalse", [](auto& s) { s.initialData->clearItem(7); },
                  {{"initial_car_horn", "false"}}, true},
        FieldCase{"MissingTicketIdIsZero", [](auto& s) { s.ticket = ticketWithId(std::nullopt); },
                  {{"ticket_id", "0"}}, true},
        FieldCase{"MissingTicketIsZero", [](auto& s) { s.ticket.reset(); }, {{"ticket_id", "0"}}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StepThreeTest, AStoredPhotoIsSentAsJpegAtQualityPointTwoDeclaredAsPng) {
  ASSERT_FALSE(Utils::saveImage("img-2", storedPhoto(40)));
  std::filesystem::create_directories(platform::Paths::documentsDirectory());
  std::ofstream(platform::Paths::documentsDirectory() / "img-4") << "no photo";
  auto parts = build(SubmissionSnapshot{});
  ASSERT_EQ(parts.size(), 51u);
  const Part& image2 = parts[47];
  EXPECT_EQ(image2.name, "image2");
  EXPECT_EQ(image2.disposition, "form-data; name=\"image2\"; filename=\"image2\"");
  EXPECT_EQ(image2.contentType, "image/png");
  const auto expected = Utils::loadImage("img-2")->jpegRepresentation(0.2);
  EXPECT_EQ(platform::Bytes(image2.content.begin(), image2.content.end()), *expected);
  EXPECT_TRUE(platform::Image::decodeJPEG(*expected));
  for (std::size_t i : {46u, 48u, 49u, 50u}) {
    EXPECT_FALSE(parts[i].contentType) << parts[i].name;  // missing or unreadable: an empty text part
    EXPECT_EQ(parts[i].content, "") << parts[i].name;
  }
}

// A slot whose file is no readable photo is sent as an empty text part, and
// the other photos still go: the body is built in a child process, so a
// build that waits on a FIFO or allocates for a header's claimed size fails
// the test instead of hanging or swamping it.
struct OddPhotoFile {
  const char* name;
  std::function<void(const std::filesystem::path& file)> make;
};
void PrintTo(const OddPhotoFile& c, std::ostream* os) { *os << c.name; }

class StepThreeOddPhotoFile : public StepThreeTest, public ::testing::WithParamInterface<OddPhotoFile> {};

TEST_P(StepThreeOddPhotoFile, IsAnEmptyTextPartAndTheOthersAreSent) {
  ASSERT_FALSE(Utils::saveImage("img-1", storedPhoto(40)));
  ASSERT_FALSE(Utils::saveImage("img-3", storedPhoto(24)));
  GetParam().make(platform::Paths::documentsDirectory() / "img-2");
  const auto outcome = testing::forkedCall(
      [this] {
        const auto parts = build(SubmissionSnapshot{});
        if (parts.size() != 51u) return 1;
        const Part& image2 = parts[47];
        if (image2.name != "image2" || image2.contentType || !image2.content.empty()) return 2;
        if (parts[46].contentType != "image/png" || parts[48].contentType != "image/png") return 3;
        return 0;
      },
      {.timeout = std::chrono::seconds(30), .extraAddressSpace = std::uint64_t{1} << 30});
  ASSERT_TRUE(outcome) << "the body was not built: hung, crashed or ran out of memory";
  EXPECT_EQ(*outcome, 0) << "1: part count, 2: image2 not an empty text part, 3: other photos missing";
}

INSTANTIATE_TEST_SUITE_P(
    StepThree, StepThreeOddPhotoFile,
    ::testing::Values(OddPhotoFile{"Fifo", [](const auto& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }},
                      OddPhotoFile{"Folder", [](const auto& file) { std::filesystem::create_directories(file); }},
                      OddPhotoFile{"HugeDimensions",
                                   [](const auto& file) {
                                     std::filesystem::copy_file(
                                         std::filesystem::path(INSTALA_TEST_DATA_DIR) / "huge-dims.jpg", file);
                                   }},
                      OddPhotoFile{"CutShort",
                                   [](const auto& file) {
                                     auto jpeg = *storedPhoto(64).jpegRepresentation(0.25);
                                     std::ofstream(file, std::ios::binary)
                                         .write(reinterpret_cast<const char*>(jpeg.data()),
                                                static_cast<std::streamsize>(jpeg.size() / 2));
                                   }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StepThreeTest, TheVideoComesLastWithItsFileNameAndType) {
  auto video = dir.write("clips/service clip.mp4", std::string(3000, 'v'));
  SubmissionSnapshot snapshot;
  snapshot.videoPath = video;
  auto parts = build(snapshot);
  ASSERT_EQ(parts.size(), 52u);
  EXPECT_EQ(parts.back().name, "video");
  EXPECT_EQ(parts.back().disposition, "form-data; name=\"video\"; filename=\"service clip.mp4\"");
  EXPECT_EQ(parts.back().contentType, "video/mp4");
  // Sent from the entry's own link to it.
  EXPECT_EQ(parts.back().file.parent_path().parent_path().parent_path(), outboxStore.root());
  EXPECT_EQ(testing::readText(parts.back().file), std::string(3000, 'v'));
}

TEST_F(StepThreeTest, AVideoThatIsGoneCannotBeKept) {
  SubmissionSnapshot snapshot;
  snapshot.videoPath = dir / "gone.mp4";
  EXPECT_FALSE(outboxStore.stage(StepThreeTableViewController::serviceSubmission(snapshot, outbox::makeIdempotencyKey())));
}

TEST_F(StepThreeTest, LoadInitialDataReadsOnlyARecordStepOneStored) {
  auto& preferences = platform::Preferences::standard();
  EXPECT_FALSE(StepThreeTableViewController::loadInitialData());
  preferences.setObject("not bytes", "dataElements");
  EXPECT_FALSE(StepThreeTableViewController::loadInitialData());
  preferences.setObject(platform::Bytes{'x', 'y'}, "dataElements");
  EXPECT_FALSE(StepThreeTableViewController::loadInitialData());
  ProcessData record;
  record.setItem(15, true);
  record.kilometers = "88";
  preferences.setObject(*record.encodeBytes(), "dataElements");
  EXPECT_EQ(StepThreeTableViewController::loadInitialData(), record);
}

TEST_F(StepThreeTest, TheSnapshotTakesTheScreenAndTheStoredValues) {
  auto& preferences = platform::Preferences::standard();
  ProcessData initial;
  initial.setItem(15, true);
  preferences.setObject(*initial.encodeBytes(), "dataElements");
  preferences.setObject("/data/clip.mp4", "video");
  auto screen = open(ticketWithId(55));
  EXPECT_TRUE(tap(*row<ProcessElementCell>(*screen->tableView(), 22)->elementSwitch.lock()));
  auto snapshot = screen->snapshot();
  EXPECT_EQ(snapshot.ticket, ticketWithId(55));
  EXPECT_EQ(snapshot.initialData, initial);
  EXPECT_TRUE(snapshot.finalData->isOn(20));
  EXPECT_EQ(snapshot.videoPath, std::filesystem::path("/data/clip.mp4"));
  auto fields = screen->submissionFields();
  ASSERT_EQ(fields.size(), 46u);
  EXPECT_EQ(submissionText(fields[0].second), "55");
  // What the outbox keeps of it: the fields as text, the photo store's files and the video.
  const auto kept = StepThreeTableViewController::serviceSubmission(snapshot, "key");
  EXPECT_EQ(kept.idempotencyKey, "key");
  EXPECT_EQ(kept.ticketId, 55);
  ASSERT_EQ(kept.fields.size(), 46u);
  EXPECT_EQ(kept.fields[0], (std::pair<std::string, std::string>{"ticket_id", "55"}));
  EXPECT_EQ(kept.photos[4], platform::Paths::documentsDirectory() / "img-5");
  EXPECT_EQ(kept.video, std::filesystem::path("/data/clip.mp4"));
  // Without a video the snapshot says so.
  preferences.removeObjectForKey("video");
  EXPECT_FALSE(screen->snapshot().videoPath);
}

}  // namespace
}  // namespace instala
