#include "networking/RequestLayer.h"

#include "models/User.h"
#include "support/MainLoop.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace instala {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;

// A certificate for 127.0.0.1 that nobody vouches for: the only thing wrong with it is trust.
void writeSelfSignedCertificate(const std::filesystem::path& certificateFile, const std::filesystem::path& keyFile) {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  X509* certificate = X509_new();
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate), -60);
  X509_gmtime_adj(X509_getm_notAfter(certificate), 3600);
  X509_set_pubkey(certificate, key);
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(certificate, name);
  X509_EXTENSION* alternativeName = X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, "IP:127.0.0.1");
  X509_add_ext(certificate, alternativeName, -1);
  X509_EXTENSION_free(alternativeName);
  X509_sign(certificate, key, EVP_sha256());
  FILE* out = std::fopen(certificateFile.c_str(), "w");
  PEM_write_X509(out, certificate);
  std::fclose(out);
  out = std::fopen(keyFile.c_str(), "w");
  PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr);
  std::fclose(out);
  X509_free(certificate);
  EVP_PKEY_free(key);
}

TEST(TLS, CertificateNobodyVouchesForIsRefused) {
  TempDir folder;
  writeSelfSignedCertificate(folder / "cert.pem", folder / "key.pem");
  httplib::SSLServer server((folder / "cert.pem").c_str(), (folder / "key.pem").c_str());
  ASSERT_TRUE(server.is_valid());
  std::atomic<int> served{0};
  server.Get("/user", [&](const httplib::Request&, httplib::Response& response) {
    ++served;
    response.set_content(R"({"auth_token":"t"})", "application/json");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::sleep_for(5ms);

  Session session{SessionConfiguration{}};
  bool done = false;
  std::optional<RequestError> error;
  std::optional<int> status;
  performRequest<User>(session, "https://127.0.0.1:" + std::to_string(port) + "/user", HTTPMethod::GET, std::nullopt,
                       std::nullopt, false, [&](auto e, auto, auto s) {
                         done = true;
                         error = e;
                         status = s;
                       });
  const bool finished = testing::pumpMainLoopUntil([&] { return done; });
  server.stop();
  thread.join();
  ASSERT_TRUE(finished);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind, RequestError::Kind::transport);
  EXPECT_NE(error->message.find("certificate"), std::string::npos) << error->message;
  EXPECT_FALSE(status);
  EXPECT_EQ(served, 0);
}

}  // namespace
}  // namespace instala
