#include "models/Documents.h"
#include "models/DynamicKey.h"
#include "models/Tickets.h"
#include "models/User.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace instala {
namespace {

Ticket decodeTicket(const char* text) {
  auto ticket = Ticket::decode(Json::parse(text));
  EXPECT_TRUE(ticket.ok()) << text;
  return ticket.ok() ? ticket.value() : Ticket();
}

struct IntegerCase {
  const char* json;
  std::optional<std::int64_t> id;
};

void PrintTo(const IntegerCase& c, std::ostream* os) { *os << c.json; }

class TicketIdDecoding : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(TicketIdDecoding, OnlyWholeNumbersThatFitBecomeTheId) {
  EXPECT_EQ(decodeTicket(GetParam().json).id(), GetParam().id) << GetParam().json;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TicketIdDecoding,
    ::testing::Values(IntegerCase{R"({"id": 7})", 7}, IntegerCase{R"({"id": 7.0})", 7},
                      IntegerCase{R"({"id": -3})", -3}, IntegerCase{R"({"id": "7"})", std::nullopt},
                      IntegerCase{R"({"id": 12.5})", std::nullopt}, IntegerCase{R"({"id": true})", std::nullopt},
                      IntegerCase{R"({"id": null})", std::nullopt}, IntegerCase{R"({})", std::nullopt},
                      IntegerCase{R"({"id": 9223372036854775807})", INT64_MAX},
                      IntegerCase{R"({"id": 9223372036854775808})", std::nullopt},
                      IntegerCase{R"({"id": -9223372036854775808})", INT64_MIN},
                      IntegerCase{R"({"id": 1e300})", std::nullopt}));

// Past the 64-bit range, whatever the spelling: a number read as a double at
// ±2^63 may stand for one out of range, so only the exact integer texts reach
// the ends. Inside the range a whole double counts, as 7.0 does.
INSTANTIATE_TEST_SUITE_P(
    Boundaries, TicketIdDecoding,
    ::testing::Values(IntegerCase{R"({"id": -9223372036854775809})", std::nullopt},
                      IntegerCase{R"({"id": -9223372036854775808.0})", std::nullopt},
                      IntegerCase{R"({"id": -9.3e18})", std::nullopt},
                      IntegerCase{R"({"id": 9223372036854775807.0})", std::nullopt},
                      IntegerCase{R"({"id": 9223372036854775809})", std::nullopt},
                      IntegerCase{R"({"id": 18446744073709551615})", std::nullopt},
                      IntegerCase{R"({"id": 18446744073709551616})", std::nullopt},
                      IntegerCase{R"({"id": -18446744073709551616})", std::nullopt},
                      IntegerCase{R"({"id": 9223372036854774784.0})", 9223372036854774784},
                      IntegerCase{R"({"id": -9223372036854774784.0})", -9223372036854774784},
                      IntegerCase{R"({"id": 9007199254740993})", 9007199254740993},
                      IntegerCase{R"({"id": 1e3})", 1000}, IntegerCase{R"({"id": -0.0})", 0},
                      IntegerCase{R"({"id": 0.5e1})", 5}, IntegerCase{R"({"id": 1e-300})", std::nullopt}));

TEST(Ticket, WrongTypedFieldIsAbsentAndTheRestStays) {
  Ticket ticket = decodeTicket(R"({"id": 7, "title": 5, "client": "Transportes del Norte", "extra": [1]})");
  EXPECT_EQ(ticket.id(), 7);
  EXPECT_FALSE(ticket.title());
  EXPECT_EQ(ticket.client(), "Transportes del Norte");
}

TEST(Ticket, UnitListRules) {
  struct Case {
    const char* json;
    std::optional<std::size_t> unitCount;
  } cases[] = {
      {R"({"id": 1, "unit": [{"model": "T800"}, null]})", std::nullopt},
      {R"({"id": 1, "unit": []})", 0},
      {R"({"id": 1, "unit": [{"model": "T800"}, {"brand": 3}]})", 2},
      {R"({"id": 1, "units": [{"model": "T800"}]})", std::nullopt},
      {R"({"id": 1, "unit": {"model": "T800"}})", std::nullopt},
  };
  for (const auto& c : cases) {
    Ticket ticket = decodeTicket(c.json);
    EXPECT_EQ(ticket.id(), 1) << c.json;
    if (c.unitCount) {
      ASSERT_TRUE(ticket.units()) << c.json;
      EXPECT_EQ(ticket.units()->size(), *c.unitCount) << c.json;
    } else {
      EXPECT_FALSE(ticket.units()) << c.json;
    }
  }
}

TEST(Unit, EconomicNumberComesOnlyFromTheServersSpelling) {
  auto unit = Unit::decode(Json::parse(R"({"economic_numer": "E-17", "economic_number": "X"})"));
  ASSERT_TRUE(unit.ok());
  EXPECT_EQ(unit->economicNumber(), "E-17");
  auto other = Unit::decode(Json::parse(R"({"economic_number": "X", "economicNumber": "Y"})"));
  EXPECT_FALSE(other->economicNumber());
}

TEST(Records, NonObjectsFailTheRecord) {
  for (const char* text : {"[]", "\"t\"", "3", "null", "true"}) {
    Json value = Json::parse(text);
    EXPECT_FALSE(Unit::decode(value).ok()) << text;
    EXPECT_FALSE(Ticket::decode(value).ok()) << text;
    EXPECT_FALSE(Tickets::decode(value).ok()) << text;
    EXPECT_FALSE(User::decode(value).ok()) << text;
    EXPECT_FALSE(Documents::decode(value).ok()) << text;
  }
}

TEST(Tickets, ListMemberOfTheWrongKindLeavesNoList) {
  for (const char* text : {R"({"tickets": {}})", R"({"tickets": null})", R"({})", R"({"tickets": [1]})"}) {
    auto tickets = Tickets::decode(Json::parse(text));
    ASSERT_TRUE(tickets.ok()) << text;
    EXPECT_FALSE(tickets->tickets()) << text;
  }
  auto one = Tickets::decode(Json::parse(R"({"tickets": [{"id": 3}]})"));
  ASSERT_TRUE(one->tickets());
  EXPECT_EQ(one->tickets()->at(0).id(), 3);
}

TEST(User, TokenComesFromAuthToken) {
  auto user = User::decode(Json::parse(R"({"name": "Ana", "auth_token": "tok"})"));
  EXPECT_EQ(user->authToken(), "tok");
  EXPECT_EQ(user->name(), "Ana");
  auto noToken = User::decode(Json::parse(R"({"token": "tok"})"));
  ASSERT_TRUE(noToken.ok());
  EXPECT_FALSE(noToken->authToken());
  EXPECT_FALSE(noToken->name());
  EXPECT_EQ(User::decode(Json::parse(R"({"auth_token": ""})"))->authToken(), "");
}

TEST(Documents, MembersButMessageInDocumentOrder) {
  auto docs = Documents::decode(Json::parse(R"({"z": "/a/b/c/z.pdf", "message": 3, "a": "/a/b/c/a.pdf"})"));
  ASSERT_TRUE(docs.ok());
  EXPECT_EQ(docs->documents(), (std::vector<std::optional<std::string>>{"/a/b/c/z.pdf", "/a/b/c/a.pdf"}));
  EXPECT_TRUE(Documents::decode(Json::parse(R"({"message": "ok"})"))->documents().empty());
  EXPECT_TRUE(Documents::decode(Json::parse(R"({})"))->documents().empty());
  for (const char* bad : {R"({"a": 1})", R"({"a": null})", R"({"a": "x", "b": {}})", R"({"a": []})",
                          R"({"a": false})"}) {
    EXPECT_FALSE(Documents::decode(Json::parse(bad)).ok()) << bad;
  }
}

// The request layer decodes a document it drops afterwards and moves the texts
// out of it; the record must be the same as from a document that stays.
TEST(Records, DecodingADocumentThatIsDroppedGivesTheSameRecord) {
  for (const char* text :
       {R"({"tickets": [{"id": 7, "title": "Instalación de GPS en tractocamión", "comments": 5,
            "unit": [{"id": 1, "economic_numer": "TCB-118-R", "model": "Cascadia", "imei": null}]},
           {"id": "8", "location": "Av. 5 de Febrero 1351, Querétaro", "unit": [{"model": "T800"}, null]}]})",
        R"({"tickets": [{"hour": "09:30"}, 3]})", R"({"tickets": null})"}) {
    Json kept = Json::parse(text);
    Json dropped = kept;
    auto fromKept = Tickets::decode(kept);
    auto fromDropped = Tickets::decode(std::move(dropped));
    ASSERT_TRUE(fromKept.ok() && fromDropped.ok()) << text;
    EXPECT_EQ(*fromDropped, *fromKept) << text;
    EXPECT_EQ(kept, Json::parse(text)) << "a kept document is left as it was";
  }
  Json user = Json::parse(R"({"name": "Carlos Hernández Ruiz", "auth_token": "a-long-token-that-is-not-inline"})");
  const Json copy = user;
  const auto fromDropped = User::decode(std::move(user));
  EXPECT_EQ(fromDropped->name(), "Carlos Hernández Ruiz");
  EXPECT_EQ(fromDropped->authToken(), User::decode(copy)->authToken());
}

TEST(DynamicKey, TextKeysOnly) {
  DynamicKey key("doc1");
  EXPECT_EQ(key.stringValue(), "doc1");
  EXPECT_FALSE(key.intValue());
  EXPECT_FALSE(DynamicKey::fromInt(3));
}

TEST(Records, EncodingLeavesAbsentFieldsOutAndRoundTrips) {
  const char* text =
      R"({"id":5,"client":"Cliente","date":"2024-03-05","unit":[{"id":1,"economic_numer":"E-17","model":"T800"}]})";
  Ticket ticket = decodeTicket(text);
  EXPECT_EQ(ticket.encode().dump(), text);
  Tickets list(std::vector<Ticket>{ticket});
  EXPECT_EQ(Tickets::decode(list.encode())->tickets()->at(0), ticket);
  EXPECT_EQ(Tickets().encode().dump(), "{}");
  EXPECT_EQ(User(std::nullopt, "t").encode().dump(), R"({"auth_token":"t"})");
  Ticket::Fields onlyUnits;
  onlyUnits.units = std::vector<Unit>{};
  EXPECT_EQ(Ticket(onlyUnits).encode().dump(), R"({"unit":[]})");
}

}  // namespace
}  // namespace instala
