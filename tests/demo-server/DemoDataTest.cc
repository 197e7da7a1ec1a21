#include "DemoData.h"
#include "TextFolding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace instala::demo {
namespace {

const CivilDay kStart(2024, 2, 27);  // two days before a leap day

DemoData shippedData(const CivilDay& start = kStart) {
  auto data = DemoData::load(INSTALA_DEMO_DATA_FILE, start);
  EXPECT_TRUE(data.ok()) << (data.ok() ? "" : data.error().message);
  return std::move(data).value();
}

TEST(CivilDayTest, AddsDaysAcrossMonthsYearsAndLeapDays) {
  EXPECT_EQ(kStart.plusDays(2).text(), "2024-02-29");
  EXPECT_EQ(kStart.plusDays(3).text(), "2024-03-01");
  EXPECT_EQ(CivilDay(2023, 12, 31).plusDays(1).text(), "2024-01-01");
  EXPECT_EQ(CivilDay(2024, 1, 3).plusDays(-5).text(), "2023-12-29");
  EXPECT_EQ(CivilDay(2026, 3, 5).text(), "2026-03-05");
}

TEST(DemoDataTest, ShipsEnoughActiveAndClosedTickets) {
  auto data = shippedData();
  EXPECT_GE(data.activeTickets()["tickets"].size(), 8u);
  EXPECT_GE(data.closedTickets()["tickets"].size(), 5u);
  EXPECT_FALSE(data.technician().empty());
}

TEST(DemoDataTest, TicketsCarryEveryKeyWithItsTypeAndRealisticUnits) {
  auto data = shippedData();
  const std::vector<std::string> ticketKeys = {"id",       "title", "user", "comments", "client",
                                               "category", "date",  "hour", "location", "unit"};
  const std::regex date("[0-9]{4}-[0-9]{2}-[0-9]{2}"), hour("[0-9]{2}:[0-9]{2}");
  const std::regex imei("[0-9]{15}"), iccid("[0-9]{19,20}");
  for (const auto* list : {&data.activeTickets(), &data.closedTickets()}) {
    for (const auto& ticket : (*list)["tickets"]) {
      std::vector<std::string> keys;
      for (const auto& [key, value] : ticket.items()) keys.push_back(key);
      EXPECT_EQ(keys, ticketKeys);
      EXPECT_TRUE(ticket["id"].is_number_integer());
      for (const char* key : {"title", "user", "comments", "client", "category", "date", "hour", "location"}) {
        EXPECT_TRUE(ticket[key].is_string() && !ticket[key].get<std::string>().empty()) << key;
      }
      EXPECT_TRUE(std::regex_match(ticket["date"].get<std::string>(), date));
      EXPECT_TRUE(std::regex_match(ticket["hour"].get<std::string>(), hour));
      ASSERT_TRUE(ticket["unit"].is_array());
      ASSERT_FALSE(ticket["unit"].empty());
      for (const auto& unit : ticket["unit"]) {
        EXPECT_TRUE(unit["id"].is_number_integer());
        for (const char* key :
             {"economic_numer", "brand", "model", "unit_type", "license_plate", "color", "gps_model"}) {
          EXPECT_TRUE(unit[key].is_string() && !unit[key].get<std::string>().empty()) << key;
        }
        EXPECT_TRUE(std::regex_match(unit["imei"].get<std::string>(), imei)) << unit["imei"];
        EXPECT_TRUE(std::regex_match(unit["iccid"].get<std::string>(), iccid)) << unit["iccid"];
      }
    }
  }
}

TEST(DemoDataTest, DatesCountFromTheStartDaySoSomeLieAheadAndSomeBehind) {
  auto data = shippedData();
  int ahead = 0, behind = 0;
  for (const auto& ticket : data.activeTickets()["tickets"]) {
    const auto text = ticket["date"].get<std::string>();
    ahead += text > kStart.text();
    behind += text < kStart.text();
  }
  EXPECT_GE(ahead, 2);
  EXPECT_GE(behind, 1);
  for (const auto& ticket : data.closedTickets()["tickets"])
    EXPECT_LT(ticket["date"].get<std::string>(), kStart.text());

  // The same file started a day later moves every date by one day.
  auto later = shippedData(kStart.plusDays(1));
  const auto& first = data.activeTickets()["tickets"][0];
  const auto& moved = later.activeTickets()["tickets"][0];
  CivilDay day(std::stoi(first["date"].get<std::string>().substr(0, 4)),
               std::stoi(first["date"].get<std::string>().substr(5, 2)),
               std::stoi(first["date"].get<std::string>().substr(8, 2)));
  EXPECT_EQ(moved["date"], day.plusDays(1).text());
}

TEST(DemoDataTest, DocumentPathsHaveThreeFoldersBeforeTheFileName) {
  auto data = shippedData();
  ASSERT_GE(data.documents().size(), 5u);
  for (const auto& document : data.documents()) {
    EXPECT_EQ(std::count(document.path.begin(), document.path.end(), '/'), 4) << document.path;
    EXPECT_EQ(document.path.front(), '/');
  }
}

struct SearchCase {
  std::string text;
  std::vector<std::string> expectedPaths;  // empty: compare with "all documents"
  bool all = false;
};
void PrintTo(const SearchCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class DemoDataSearchTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(DemoDataSearchTest, MatchesTitlesAndPathsIgnoringCaseAndAccents) {
  auto data = shippedData();
  std::vector<std::string> paths;
  for (const auto& document : data.search(GetParam().text)) paths.push_back(document.path);
  if (GetParam().all) {
    EXPECT_EQ(paths.size(), data.documents().size());
  } else {
    EXPECT_EQ(paths, GetParam().expectedPaths);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DemoDataSearchTest,
    ::testing::Values(SearchCase{"", {}, true}, SearchCase{"   ", {}, true},
                      SearchCase{"GT06N", {"/docs/manuales/gps/manual-instalacion-gt06n.pdf"}},
                      SearchCase{"instalacion queclink", {"/docs/manuales/gps/manual-instalacion-gv300.pdf"}},
                      SearchCase{"CALIBRACIÓN", {"/docs/manuales/accesorios/sensor-combustible.pdf"}},
                      SearchCase{"1049", {"/docs/tickets/1049/permiso-acceso-1049.pdf"}},
                      SearchCase{"inexistente", {}}));

TEST(DemoDataTest, GeocodesEveryTicketAddressAndNothingElse) {
  auto data = shippedData();
  for (const auto* list : {&data.activeTickets(), &data.closedTickets()}) {
    for (const auto& ticket : (*list)["tickets"]) {
      auto place = data.geocode(ticket["location"].get<std::string>());
      ASSERT_TRUE(place) << ticket["location"];
      // Mexico lies between these parallels and meridians.
      EXPECT_GT(place->latitude, 14.0);
      EXPECT_LT(place->latitude, 33.0);
      EXPECT_GT(place->longitude, -118.0);
      EXPECT_LT(place->longitude, -86.0);
    }
  }
  auto place = data.geocode("  av. VALLARTA 3233,  vallarta poniente, 44110 guadalajara, jal. ");
  ASSERT_TRUE(place);
  EXPECT_EQ(place->address, "Av. Vallarta 3233, Vallarta Poniente, 44110 Guadalajara, Jal.");
  EXPECT_FALSE(data.geocode("Calle Falsa 123, Springfield"));
  EXPECT_FALSE(data.geocode(""));
}

TEST(TextFoldingTest, FoldsCaseAccentsAndBlanks) {
  EXPECT_EQ(foldForMatch("  Instalación\t DE  GPS "), "instalacion de gps");
  EXPECT_EQ(foldForMatch("Reubicación Ñandú"), "reubicacion nandu");
  EXPECT_EQ(foldedWords(" a  b "), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(foldForMatch("\xff\xfe").empty());  // invalid UTF-8 becomes replacement characters
}

struct BadDataCase {
  std::string name;
  std::string json;
  std::string expectedProblem;
};
void PrintTo(const BadDataCase& c, std::ostream* os) { *os << c.name; }

class DemoDataRejectsTest : public ::testing::TestWithParam<BadDataCase> {};

TEST_P(DemoDataRejectsTest, NamesWhatIsWrong) {
  auto data = DemoData::parse(GetParam().json, kStart);
  ASSERT_FALSE(data.ok());
  EXPECT_NE(data.error().message.find(GetParam().expectedProblem), std::string::npos) << data.error().message;
}

const std::string kUnit =
    R"({"id":1,"economic_numer":"E","brand":"B","model":"M","unit_type":"T","license_plate":"P","color":"C",)"
    R"("gps_model":"G","imei":"123456789012345","iccid":"8952000000000000000"})";
std::string ticketWith(const std::string& hour, const std::string& unit = kUnit) {
  return R"({"id":1,"title":"t","user":"u","comments":"c","client":"c","category":"c","day_offset":1,"hour":")" + hour +
         R"(","location":"l","lat":1,"lon":2,"unit":[)" + unit + "]}";
}
std::string fileWith(const std::string& ticket, const std::string& documents = "[]") {
  return R"({"technician":"T","active":[)" + ticket + R"(],"closed":[],"documents":)" + documents + "}";
}

INSTANTIATE_TEST_SUITE_P(
    Files, DemoDataRejectsTest,
    ::testing::Values(
        BadDataCase{"NotJson", "{", "not a JSON object"},
        BadDataCase{"NoTechnician", R"({"active":[],"closed":[],"documents":[]})", "\"technician\""},
        BadDataCase{"NoClosedList", R"({"technician":"T","active":[],"documents":[]})", "\"closed\""},
        BadDataCase{"BadHour", fileWith(ticketWith("9:30")), "active ticket 1: \"hour\" must be HH:mm"},
        BadDataCase{"TitleNotText", fileWith(R"({"id":1,"title":5})"), "active ticket 1: \"title\" must be a text"},
        BadDataCase{"IdTooLarge", fileWith(R"({"id":9223372036854775808})"), "\"id\" must be an integer"},
        BadDataCase{"UnitNotObject", fileWith(ticketWith("09:30", "null")), "unit 1: a unit must be an object"},
        BadDataCase{"ShallowDocumentPath", fileWith(ticketWith("09:30"), R"([{"path":"/docs/a.pdf","title":"A"}])"),
                    "document 1: \"path\" must look like"},
        BadDataCase{"DuplicateDocument",
                    fileWith(ticketWith("09:30"),
                             R"([{"path":"/a/b/c/d.pdf","title":"A"},{"path":"/a/b/c/d.pdf","title":"B"}])"),
                    "document 2: \"path\" appears twice"}),
    [](const auto& info) { return info.param.name; });

TEST(DemoDataTest, AMissingFileIsAnError) {
  auto data = DemoData::load("/nonexistent/tickets.json", kStart);
  ASSERT_FALSE(data.ok());
  EXPECT_NE(data.error().message.find("/nonexistent/tickets.json"), std::string::npos);
}

}  // namespace
}  // namespace instala::demo
