#include "platform/MimeType.h"

#include <gtest/gtest.h>

namespace instala::platform {
namespace {

struct MimeCase {
  std::string path;
  std::string expected;
};

void PrintTo(const MimeCase& c, std::ostream* os) { *os << c.path; }

class MimeTypeForPath : public ::testing::TestWithParam<MimeCase> {};

TEST_P(MimeTypeForPath, ComesFromTheFileName) { EXPECT_EQ(mimeTypeForPath(GetParam().path), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(SharedMimeDatabase, MimeTypeForPath,
                         ::testing::Values(MimeCase{"clip.mp4", "video/mp4"}, MimeCase{"x.mov", "video/quicktime"},
                                           MimeCase{"a.jpg", "image/jpeg"}, MimeCase{"A.JPG", "image/jpeg"},
                                           MimeCase{"a.jpeg", "image/jpeg"}, MimeCase{"shot.png", "image/png"},
                                           MimeCase{"/no/such/folder/clip.mp4", "video/mp4"},
                                           MimeCase{"noext", kOctetStreamMimeType},
                                           MimeCase{"file.zzunknownzz", kOctetStreamMimeType},
                                           MimeCase{"", kOctetStreamMimeType}));

}  // namespace
}  // namespace instala::platform
