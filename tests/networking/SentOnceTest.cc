// A keep-alive connection that the server closes after reading a whole
// request, before answering: what reached the server must not reach it twice.

#include "models/User.h"
#include "networking/RequestLayer.h"
#include "networking/UploadRequest.h"

#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>

namespace instala {
namespace {

using namespace std::chrono_literals;
using testing::RecordedRequest;
using testing::RecordingServer;
using testing::Reply;
using testing::TempDir;

constexpr std::uint64_t kStreamingThreshold = 10'000'000;

// What the exchange under test ended with.
struct Ending {
  std::optional<RequestError> error;
  std::optional<int> status;
};

using Send = std::function<Ending(Session&, const std::string& url, const TempDir&)>;

Ending performed(Session& session, const std::string& url, HTTPMethod method,
                 const std::optional<Parameters>& parameters) {
  std::optional<Ending> ending;
  performRequest<User>(session, url, method, HTTPHeaders{{"Content-Type", "application/json"}}, parameters, true,
                       [&](std::optional<RequestError> error, std::optional<User>, std::optional<int> status) {
                         ending = Ending{error, status};
                       });
  EXPECT_TRUE(testing::pumpMainLoopUntil([&] { return ending.has_value(); }, 60s));
  return ending.value_or(Ending{});
}

Ending uploaded(Session& session, const std::string& url, FormBuilder builder) {
  std::optional<Ending> ending;
  uploadMultipart(
      session, std::move(builder), kStreamingThreshold, url, HTTPMethod::POST, std::nullopt,
      [&](const MultipartFormDataEncodingResult& result) {
        if (!result.isSuccess()) {
          ending = Ending{result.error, std::nullopt};
          return;
        }
        result.request->responseJSON([&](auto error, auto, auto status) { ending = Ending{error, status}; });
      });
  EXPECT_TRUE(testing::pumpMainLoopUntil([&] { return ending.has_value(); }, 60s));
  return ending.value_or(Ending{});
}

struct SentOnceCase {
  std::string name;
  Send send;
  std::size_t copies;  // requests the server read in full
  std::optional<int> status;
};

void PrintTo(const SentOnceCase& c, std::ostream* os) { *os << c.name; }

class ClosedAfterTheRequest : public ::testing::TestWithParam<SentOnceCase> {};

// The first request of the connection is answered; the second is read in full
// and the connection is closed without an answer; any later one is answered.
TEST_P(ClosedAfterTheRequest, ReachesTheServerAsOftenAsTheTableSays) {
  std::atomic<int> seen{0};
  RecordingServer server([&](const RecordedRequest&) {
    return ++seen == 2 ? Reply::dropConnection() : Reply::json(200, R"({"auth_token":"t"})");
  });
  Session session{SessionConfiguration{}};
  TempDir folder;
  ASSERT_EQ(performed(session, server.url("/first"), HTTPMethod::GET, std::nullopt).status, 200);

  const Ending ending = GetParam().send(session, server.url("/second"), folder);
  testing::drainMainLoop();

  const auto requests = server.requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[1].connection, requests[0].connection) << "the second request did not reuse the connection";
  EXPECT_EQ(requests.size() - 1, GetParam().copies);
  for (std::size_t i = 2; i < requests.size(); ++i) EXPECT_EQ(requests[i].raw(), requests[1].raw());
  EXPECT_EQ(ending.status, GetParam().status);
  if (GetParam().status) {
    EXPECT_FALSE(ending.error) << *ending.error;
  } else {
    ASSERT_TRUE(ending.error);
    EXPECT_EQ(ending.error->kind, RequestError::Kind::transport) << *ending.error;
  }
}

FormBuilder fileForm(const TempDir& folder, std::uint64_t size) {
  std::string content(size, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
  const auto file = folder.write("clip.mp4", content);
  return [file](MultipartFormData& form) {
    form.addDataPart(std::string("1042"), "ticket_id");
    form.addFileURLPart(file, "video");
  };
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ClosedAfterTheRequest,
    ::testing::Values(
        SentOnceCase{"SignInPostWithJSONBody",
                     [](Session& s, const std::string& url, const TempDir&) {
                       return performed(s, url, HTTPMethod::POST,
                                        Parameters{{"email", "tecnico@instala.mx"}, {"password", "clave"}});
                     },
                     1, std::nullopt},
        SentOnceCase{"SignOutDeleteWithoutBody",
                     [](Session& s, const std::string& url, const TempDir&) {
                       return performed(s, url, HTTPMethod::DELETE, std::nullopt);
                     },
                     1, std::nullopt},
        SentOnceCase{"PostWithoutBody",
                     [](Session& s, const std::string& url, const TempDir&) {
                       return performed(s, url, HTTPMethod::POST, std::nullopt);
                     },
                     1, std::nullopt},
        SentOnceCase{"SubmissionBuiltInMemory",
                     [](Session& s, const std::string& url, const TempDir& folder) {
                       return uploaded(s, url, fileForm(folder, 300'000));
                     },
                     1, std::nullopt},
        SentOnceCase{"SubmissionStreamedFromItsFile",
                     [](Session& s, const std::string& url, const TempDir& folder) {
                       return uploaded(s, url, fileForm(folder, kStreamingThreshold));
                     },
                     1, std::nullopt},
        // A GET changes nothing on the server: it is sent again on a fresh connection.
        SentOnceCase{"ListGetIsSentAgain",
                     [](Session& s, const std::string& url, const TempDir&) {
                       return performed(s, url, HTTPMethod::GET, std::nullopt);
                     },
                     2, 200}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala
