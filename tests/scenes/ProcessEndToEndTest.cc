// A technician's whole service through instala-console against the demo
// server: sign in, open the first active ticket, check in, the three steps
// with photos and a video, the submission, and what the server stored; then
// the outbox: leaving during the upload, "Enviar más tarde" and a second
// service, a restart, and a submission whose answer never came.

#include "platform/Image.h"
#include "support/ChildProcess.h"
#include "support/DemoEnvironment.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <regex>

namespace instala {
namespace {

using nlohmann::json;
using testing::DemoEnvironment;

// The console run as a script: every command written, then its whole output.
std::string runConsole(const DemoEnvironment& demo, const std::vector<std::string>& commands) {
  testing::ChildProcess console(testing::binaryDirectory() / "instala-console",
                                {"--bundle", demo.bundle().string(), "--data", demo.dataDirectory().string(),
                                 "--manual-clock"});
  EXPECT_TRUE(console.started());
  for (const auto& command : commands) EXPECT_TRUE(console.writeLine(command)) << command;
  console.writeLine("quit");
  console.closeInput();
  std::string output = console.readAll(std::chrono::seconds(60));
  EXPECT_EQ(console.wait(), 0) << output;
  return output;
}

// Reads the output in order: each expected text must come after the previous one.
class Transcript {
 public:
  explicit Transcript(std::string text) : text_(std::move(text)) {}
  bool next(const std::string& expected) {
    auto found = text_.find(expected, at_);
    if (found == std::string::npos) return false;
    at_ = found + expected.size();
    return true;
  }
  // The rest of the line after the next occurrence of `prefix`.
  std::string lineAfter(const std::string& prefix) {
    if (!next(prefix)) return {};
    return text_.substr(at_, text_.find('\n', at_) - at_);
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  std::size_t at_ = 0;
};

// From the list to step one of the ticket in that row.
std::vector<std::string> checkIn(int row = 0) {
  return {"select 0." + std::to_string(row),
          "wait",
          "show",
          "tap Check-in",
          "wait",
          "show",
          "advance 1",
          "show",
          "tap 0.1 customButton",
          "wait"};
}

std::vector<std::string> signInAndCheckIn() {
  std::vector<std::string> commands = {"type emailTF tecnico@instala.mx", "type passwordTF Instala2026",
                                       "tap loginButton", "wait"};
  const auto rest = checkIn();
  commands.insert(commands.end(), rest.begin(), rest.end());
  return commands;
}

// Step one, a photo in slot 1 of step two, then "Finalizar" on step three.
std::vector<std::string> serviceWithPhoto(const std::filesystem::path& photo) {
  return {"tap 0.23 customButton", "wait",
          "tap 0.1 fileButton",   "photo " + photo.string(), "wait",
          "tap 0.7 customButton", "wait",
          "tap 0.23 customButton"};
}

template <typename... Lists>
std::vector<std::string> joined(const Lists&... lists) {
  std::vector<std::string> all;
  (all.insert(all.end(), lists.begin(), lists.end()), ...);
  return all;
}

class ProcessEndToEnd : public ::testing::Test {
 protected:
  std::filesystem::path makePhoto(const std::string& name, int width, int height, std::uint8_t shade) {
    platform::Bytes pixels(static_cast<std::size_t>(width * height * 3), shade);
    auto bytes = platform::Image::fromRGB(width, height, pixels)->encodeJPEG(0.9);
    return media.write(name, std::string(bytes->begin(), bytes->end()));
  }
  std::vector<std::filesystem::path> submissions(const DemoEnvironment& demo) const {
    std::vector<std::filesystem::path> folders;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(demo.submissions(), ec)) folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    return folders;
  }
  // The ticket and the first photo's width of each stored submission, in storing order.
  std::vector<std::pair<std::string, int>> storedServices(const DemoEnvironment& demo) const {
    std::vector<std::pair<std::string, int>> services;
    for (const auto& folder : submissions(demo)) {
      const auto fields = json::parse(testing::readText(folder / "fields.json"));
      auto photo = platform::Image::loadFile(folder / "image");
      services.emplace_back(fields.value("ticket_id", ""), photo ? photo->width() : 0);
    }
    return services;
  }
  testing::TempDir media;
};

TEST_F(ProcessEndToEnd, AWholeServiceReachesTheServerAndTheTechnicianIsBackHome) {
  DemoEnvironment demo;
  const auto photo1 = makePhoto("photo1.jpg", 64, 48, 200);
  const auto photo2 = makePhoto("photo2.jpg", 32, 32, 60);
  const auto video = media.write("clip.mp4", std::string("\x00\x00\x00\x18" "ftypmp42", 12) + std::string(4096, 'v'));

  auto commands = signInAndCheckIn();
  const std::vector<std::string> process = {
      "show",
      // Step one: Ignición, Claxón and ABS Tractocamión on, and the odometer.
      "flip 0.2 elementSwitch", "flip 0.9 elementSwitch", "flip 0.17 elementSwitch",
      "type 0.1 customTF 120500",
      "tap 0.23 customButton",
      "wait",
      // Step two: photos in slots 1 and 2, and a video.
      "tap 0.1 fileButton", "photo " + photo1.string(), "wait",
      "tap 0.2 fileButton", "photo " + photo2.string(), "wait",
      "tap 0.6 fileButton", "video " + video.string(), "wait",
      "scroll top", "show",
      "tap 0.7 customButton",
      "wait",
      // Step three: Claxón and Ascensores eléctricos on, and the odometer.
      "flip 0.9 elementSwitch", "flip 0.22 elementSwitch",
      "type 0.1 customTF 120512",
      "show",
      "tap 0.23 customButton",
      "wait",
      "show"};
  commands.insert(commands.end(), process.begin(), process.end());
  Transcript out(runConsole(demo, commands));
  const std::string& all = out.text();
  EXPECT_EQ(all.find("error:"), std::string::npos) << all;

  // The ticket, the check-in with its map, and the clock after one second.
  ASSERT_TRUE(out.next("screen: DetailsTableViewController")) << all;
  ASSERT_TRUE(out.next("1042")) << all;
  ASSERT_TRUE(out.next("screen: CheckInTableViewController \"Check-in\"")) << all;
  EXPECT_TRUE(out.next("timeLabel: \"--:--:--\"")) << all;
  EXPECT_TRUE(out.next("mapView: map pin \"Cascadia\" 20.61930,-100.41020 region")) << all;
  const std::string clock = out.lineAfter("timeLabel: ");
  EXPECT_TRUE(std::regex_match(clock, std::regex("\"[1-9][0-9]*:-?[0-9]+:-?[0-9]+\""))) << clock;
  EXPECT_TRUE(out.next("customButton: button \"Continuar\"\n")) << all;
  // Step one, then step two with both photos and the video taken.
  ASSERT_TRUE(out.next("screen: StepOneTableViewController \"Inspección inicial\"")) << all;
  ASSERT_TRUE(out.next("screen: StepTwoTableViewController \"Evidencias\"")) << all;
  EXPECT_TRUE(out.next("row 0.1 EvidenceCell")) << all;
  EXPECT_TRUE(out.next("fileIcon: image \"check_icon\"")) << all;
  EXPECT_TRUE(out.next("row 0.2 EvidenceCell")) << all;
  EXPECT_TRUE(out.next("fileIcon: image \"check_icon\"")) << all;
  EXPECT_TRUE(out.next("row 0.3 EvidenceCell")) << all;
  EXPECT_TRUE(out.next("fileIcon: image \"icon camera\"")) << all;
  // Step three, the upload's progress, and home again.
  ASSERT_TRUE(out.next("screen: StepThreeTableViewController \"Inspección final\"")) << all;
  EXPECT_TRUE(out.next("IN PROGRESS")) << all;
  ASSERT_TRUE(out.next("tabs: [Activos] Cerrados Búsqueda\n")) << all;
  EXPECT_TRUE(out.next("screen: ActivesTableViewController")) << all;

  // What the server stored: one submission.
  auto stored = submissions(demo);
  ASSERT_EQ(stored.size(), 1u);
  const auto fields = json::parse(testing::readText(stored[0] / "fields.json"));
  const auto manifest = json::parse(testing::readText(stored[0] / "manifest.json"));
  EXPECT_EQ(fields.size(), 46u + 3u);  // 46 fields and the three empty photo slots
  const std::map<std::string, std::string> expected = {
      {"ticket_id", "1042"},
      {"initial_kilometers", "120500"},
      {"initial_ignition", "true"},
      {"initial_car_horn", "true"},
      {"initial_trailer_abs", "true"},
      {"initial_trailer_abs_1", "false"},
      {"initial_headlights", "false"},
      {"final_kilometers", "120512"},
      {"finall_ignition", "false"},
      {"final_car_horn", "true"},
      {"electrical_lifts_final", "true"},
      {"electrical_lifts_initial", "false"},
      {"final_trailer_abs", "false"},
      {"initial_observations", ""},
      {"initial_time", ""},
      {"final_observations", ""},
      {"image3", ""},
      {"image4", ""},
      {"image5", ""},
  };
  for (const auto& [name, value] : expected) {
    ASSERT_TRUE(fields.contains(name)) << name;
    EXPECT_EQ(fields[name], value) << name;
  }
  int trues = 0;
  for (const auto& [name, value] : fields.items()) trues += value == "true";
  EXPECT_EQ(trues, 5);

  std::map<std::string, json> files;
  for (const auto& part : manifest) files[part["name"]] = part;
  ASSERT_EQ(files.size(), 3u);
  for (const char* image : {"image", "image2"}) {
    EXPECT_EQ(files[image]["filename"], image);
    EXPECT_EQ(files[image]["content_type"], "image/png");
    const std::string bytes = testing::readText(stored[0] / image);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");  // JPEG, whatever the declared type
    EXPECT_TRUE(platform::Image::decodeJPEG(platform::Bytes(bytes.begin(), bytes.end())));
  }
  EXPECT_EQ(platform::Image::loadFile(stored[0] / "image")->width(), 64);
  EXPECT_EQ(files["video"]["filename"], "clip.mp4");
  EXPECT_EQ(files["video"]["content_type"], "video/mp4");
  EXPECT_EQ(testing::readText(stored[0] / "video"), testing::readText(video));
}

TEST_F(ProcessEndToEnd, AFailedSubmissionShowsTheAlertAndTheRetrySubmitsOnce) {
  DemoEnvironment demo({"--fail-submissions", "1"});
  auto commands = signInAndCheckIn();
  const std::vector<std::string> process = {
      "flip 0.9 elementSwitch",  // Claxón in step one
      "tap 0.23 customButton", "wait",
      "tap 0.7 customButton", "wait",
      "flip 0.22 elementSwitch",  // Ascensores eléctricos in step three
      "tap 0.23 customButton", "wait",
      "show",
      "answer Aceptar",
      "show",
      "tap 0.23 customButton", "wait",
      "show"};
  commands.insert(commands.end(), process.begin(), process.end());
  Transcript out(runConsole(demo, commands));
  const std::string& all = out.text();
  EXPECT_EQ(all.find("error:"), std::string::npos) << all;
  ASSERT_TRUE(out.next("alert: \"Error de servidor. Intentar nuevamente.\" buttons [*Aceptar] [Enviar más tarde]\n"))
      << all;
  // After the alert the technician is still on step three with the switch kept.
  ASSERT_TRUE(out.next("screen: StepThreeTableViewController")) << all;
  EXPECT_TRUE(out.next("titleLabel: \"Ascensores eléctricos\"\n      elementSwitch: switch on")) << all;
  ASSERT_TRUE(out.next("tabs: [Activos] Cerrados Búsqueda\n")) << all;

  auto stored = submissions(demo);
  ASSERT_EQ(stored.size(), 1u);
  const auto fields = json::parse(testing::readText(stored[0] / "fields.json"));
  EXPECT_EQ(fields["initial_car_horn"], "true");
  EXPECT_EQ(fields["electrical_lifts_final"], "true");
  EXPECT_EQ(fields["ticket_id"], "1042");
  EXPECT_EQ(fields["image"], "");
  EXPECT_EQ(json::parse(testing::readText(stored[0] / "manifest.json")).size(), 0u);
}

TEST_F(ProcessEndToEnd, LeavingStepThreeDuringTheUploadStoresTheServiceOnceAndTheBadgeShowsIt) {
  DemoEnvironment demo;
  const auto photo = makePhoto("photo.jpg", 48, 32, 180);
  Transcript out(runConsole(demo, joined(signInAndCheckIn(), serviceWithPhoto(photo),
                                         std::vector<std::string>{"back", "show", "wait", "show"})));
  const std::string& all = out.text();
  EXPECT_EQ(all.find("error:"), std::string::npos) << all;
  // Back on step two at once; when everything has settled the outbox is empty again.
  ASSERT_TRUE(out.next("screen: StepTwoTableViewController")) << all;
  ASSERT_TRUE(out.next("tabs: [Activos] Cerrados Búsqueda\n")) << all;
  ASSERT_TRUE(out.next("screen: StepTwoTableViewController")) << all;
  EXPECT_EQ(storedServices(demo), (std::vector<std::pair<std::string, int>>{{"1042", 48}}));
}

TEST_F(ProcessEndToEnd, AServiceSentLaterAndANextServiceBothReachTheServerOnceWithTheirOwnPhotos) {
  // The tap, the re-send when the list loads at home and the one when the check-in's
  // geocoding is answered fail: the service waits in the outbox while the next one goes
  // through step one, which empties the photo store, and goes after the next one's tap.
  DemoEnvironment demo({"--fail-submissions", "3"});
  const auto first = makePhoto("first.jpg", 64, 48, 200);
  const auto second = makePhoto("second.jpg", 32, 32, 60);
  Transcript out(runConsole(
      demo, joined(signInAndCheckIn(), serviceWithPhoto(first),
                   std::vector<std::string>{"wait", "show", "answer \"Enviar más tarde\"", "wait", "show"},
                   checkIn(2), serviceWithPhoto(second), std::vector<std::string>{"wait", "wait", "show"})));
  const std::string& all = out.text();
  EXPECT_EQ(all.find("error:"), std::string::npos) << all;
  ASSERT_TRUE(out.next("alert: \"Error de servidor. Intentar nuevamente.\" buttons [*Aceptar] [Enviar más tarde]\n"))
      << all;
  ASSERT_TRUE(out.next("tabs: [Activos (1)] Cerrados Búsqueda\nnavigation: \"Tickets activos\"")) << all;
  ASSERT_TRUE(out.next("tabs: [Activos (1)] Cerrados Búsqueda\nnavigation: \"Check-in\"")) << all;
  ASSERT_TRUE(out.next("tabs: [Activos] Cerrados Búsqueda\nnavigation: \"Tickets activos\"")) << all;
  EXPECT_EQ(storedServices(demo), (std::vector<std::pair<std::string, int>>{{"1044", 32}, {"1042", 64}}));
}

TEST_F(ProcessEndToEnd, AServiceKeptWhenTheApplicationClosedIsSentAtTheNextStart) {
  DemoEnvironment demo({"--fail-submissions", "1"});
  const auto photo = makePhoto("photo.jpg", 40, 40, 90);
  Transcript first(runConsole(demo, joined(signInAndCheckIn(), serviceWithPhoto(photo),
                                           std::vector<std::string>{"wait", "answer Aceptar", "show"})));
  EXPECT_EQ(first.text().find("error:"), std::string::npos) << first.text();
  ASSERT_TRUE(first.next("tabs: [Activos (1)] Cerrados Búsqueda\n")) << first.text();
  ASSERT_TRUE(first.next("screen: StepThreeTableViewController")) << first.text();
  EXPECT_TRUE(submissions(demo).empty());

  Transcript second(runConsole(demo, {"wait", "show"}));
  EXPECT_EQ(second.text().find("error:"), std::string::npos) << second.text();
  ASSERT_TRUE(second.next("tabs: [Activos] Cerrados Búsqueda\n")) << second.text();
  EXPECT_EQ(storedServices(demo), (std::vector<std::pair<std::string, int>>{{"1042", 40}}));
  EXPECT_TRUE(std::filesystem::is_empty(demo.dataDirectory() / "Documents" / "Outbox"));
}

TEST_F(ProcessEndToEnd, ASubmissionWhoseAnswerNeverCameIsStoredOnceWhenSentAgain) {
  DemoEnvironment demo({"--drop-after-body", "1"});
  const auto photo = makePhoto("photo.jpg", 24, 24, 30);
  testing::ChildProcess console(testing::binaryDirectory() / "instala-console",
                                {"--bundle", demo.bundle().string(), "--data", demo.dataDirectory().string(),
                                 "--manual-clock"});
  ASSERT_TRUE(console.started());
  // Runs the commands, then prints the screen and returns what it printed ("help" marks where it begins).
  auto screenAfter = [&](const std::vector<std::string>& commands) -> std::optional<std::string> {
    for (const auto& command : commands) {
      if (!console.writeLine(command)) return std::nullopt;
    }
    console.writeLine("help");
    if (!console.readUntil("commands:", std::chrono::seconds(60))) return std::nullopt;
    console.writeLine("show");
    return console.readUntil("loading: ", std::chrono::seconds(60));
  };
  auto screen = screenAfter(joined(signInAndCheckIn(), serviceWithPhoto(photo), std::vector<std::string>{"wait"}));
  ASSERT_TRUE(screen);
  // The server stored it but never answered. Unless the transport itself sent it again at once
  // (the key kept the server from storing it twice), the alert asks, and the retap sends it again.
  if (screen->find("alert: \"Error de servidor. Intentar nuevamente.\"") != std::string::npos) {
    screen = screenAfter({"answer Aceptar", "tap 0.23 customButton", "wait"});
    ASSERT_TRUE(screen);
  }
  console.writeLine("quit");
  console.closeInput();
  const std::string rest = console.readAll(std::chrono::seconds(60));
  EXPECT_EQ(console.wait(), 0) << rest;
  const auto lastScreen = screen->substr(screen->rfind("tabs: "));
  EXPECT_EQ(lastScreen.rfind("tabs: [Activos] Cerrados Búsqueda\nnavigation: \"Tickets activos\"", 0), 0u) << *screen;
  EXPECT_EQ(screen->find("error:"), std::string::npos) << *screen;
  EXPECT_EQ(storedServices(demo), (std::vector<std::pair<std::string, int>>{{"1042", 24}}));
}

}  // namespace
}  // namespace instala
