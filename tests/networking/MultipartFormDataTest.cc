#include "networking/MultipartFormData.h"

#include "support/Boundary.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace instala {
namespace {

using testing::TempDir;

std::string encoded(const MultipartFormData& form) {
  auto result = form.encode();
  if (auto* error = std::get_if<RequestError>(&result)) {
    ADD_FAILURE() << *error;
    return "";
  }
  return std::get<std::string>(result);
}

TEST(MultipartFormData, BoundaryIsTwoRandomHexNumbers) {
  MultipartFormData first;
  MultipartFormData second;
  EXPECT_TRUE(testing::isFormBoundary(first.boundary())) << first.boundary();
  EXPECT_NE(first.boundary(), second.boundary());
  EXPECT_EQ(first.contentType(), "multipart/form-data; boundary=" + first.boundary());
}

TEST(MultipartFormData, EmptyFormIsAnEmptyBody) {
  MultipartFormData form;
  EXPECT_EQ(encoded(form), "");
  EXPECT_EQ(form.encodedLength(), 0u);
  EXPECT_EQ(form.contentLength(), 0u);
}

TEST(MultipartFormData, ThreePartsByteForByte) {
  TempDir folder;
  const auto video = folder.write("clip.mp4", std::string("\x00\x00\x00\x18"
                                                          "ftypmp42",
                                                          12));
  MultipartFormData form;
  form.addDataPart(std::string("1234"), "ticket_id");
  form.addFilePart(std::string("\xff\xd8\xff\xe0JPEG", 8), "image", "image", "image/png");
  form.addFileURLPart(video, "video");
  ASSERT_FALSE(form.bodyPartError());
  const std::string b = form.boundary();
  const std::string expected = "--" + b + "\r\n" +
                               "Content-Disposition: form-data; name=\"ticket_id\"\r\n"
                               "\r\n"
                               "1234"
                               "\r\n--" +
                               b + "\r\n" +
                               "Content-Disposition: form-data; name=\"image\"; filename=\"image\"\r\n"
                               "Content-Type: image/png\r\n"
                               "\r\n" +
                               std::string("\xff\xd8\xff\xe0JPEG", 8) + "\r\n--" + b + "\r\n" +
                               "Content-Disposition: form-data; name=\"video\"; filename=\"clip.mp4\"\r\n"
                               "Content-Type: video/mp4\r\n"
                               "\r\n" +
                               std::string(
                                   "\x00\x00\x00\x18"
                                   "ftypmp42",
                                   12) +
                               "\r\n--" + b + "--\r\n";
  EXPECT_EQ(encoded(form), expected);
  EXPECT_EQ(form.encodedLength(), expected.size());
  EXPECT_EQ(form.contentLength(), 4u + 8u + 12u);
}

TEST(MultipartFormData, FilePartFromAFileKeepsTheGivenNameAndType) {
  TempDir folder;
  const auto photo = folder.write("Outbox/entry/img-1", std::string("\xff\xd8\xff\xe0", 4));
  MultipartFormData form;
  form.addFilePart(photo, "image", "image", "image/png");
  ASSERT_FALSE(form.bodyPartError());
  ASSERT_EQ(form.bodyParts().size(), 1u);
  const BodyPart& part = form.bodyParts()[0];
  EXPECT_EQ(part.headers, (std::vector<std::pair<std::string, std::string>>{
                              {"Content-Disposition", "form-data; name=\"image\"; filename=\"image\""},
                              {"Content-Type", "image/png"}}));
  EXPECT_EQ(part.bodyContentLength, 4u);
  EXPECT_EQ(encoded(form), "--" + form.boundary() +
                               "\r\nContent-Disposition: form-data; name=\"image\"; filename=\"image\"\r\n"
                               "Content-Type: image/png\r\n\r\n\xff\xd8\xff\xe0\r\n--" +
                               form.boundary() + "--\r\n");
}

TEST(MultipartFormData, QuotesAndLineBreaksInNamesAreEscaped) {
  MultipartFormData form;
  form.addFilePart(std::string("x"), "na\"me\r\nX-Evil: 1", "evil\".jpg\"\r\nContent-Type: text/html", "image/jpeg");
  const std::string body = encoded(form);
  EXPECT_NE(body.find("Content-Disposition: form-data; name=\"na%22me%0D%0AX-Evil: 1\"; "
                      "filename=\"evil%22.jpg%22%0D%0AContent-Type: text/html\"\r\n"),
            std::string::npos)
      << body;
  EXPECT_EQ(body.find("\r\nX-Evil"), std::string::npos);
}

TEST(MultipartFormData, OtherCharactersAreWrittenUnchanged) {
  EXPECT_EQ(MultipartFormData::escapedParameter("vídeo 100% ;=\\'"), "vídeo 100% ;=\\'");
}

TEST(MultipartFormData, BytesOverloadsCarryBinaryContent) {
  MultipartFormData form;
  form.addDataPart(platform::Bytes{0, 1, 2}, "a");
  form.addFilePart(platform::Bytes{0xff, 0}, "b", "b.jpg", "image/jpeg");
  EXPECT_EQ(form.contentLength(), 5u);
  const std::string body = encoded(form);
  EXPECT_NE(body.find(std::string("\r\n\r\n\x00\x01\x02\r\n--", 11)), std::string::npos);
}

struct FileFailure {
  std::string name;
  std::function<std::filesystem::path(const TempDir&)> location;
};

void PrintTo(const FileFailure& c, std::ostream* os) { *os << c.name; }

class AddFileURLPartFails : public ::testing::TestWithParam<FileFailure> {};

TEST_P(AddFileURLPartFails, RecordsTheFailureAndAddsNothing) {
  TempDir folder;
  MultipartFormData form;
  form.addFileURLPart(GetParam().location(folder), "video");
  EXPECT_TRUE(form.bodyParts().empty());
  ASSERT_TRUE(form.bodyPartError());
  EXPECT_EQ(form.bodyPartError()->kind, RequestError::Kind::bodyPart);
}

// The same checks hold for a file part with a name and type of its own, except
// the file name, which is not taken from the path.
class AddFilePartFromAFileFails : public ::testing::TestWithParam<FileFailure> {};

TEST_P(AddFilePartFromAFileFails, RecordsTheFailureAndAddsNothing) {
  TempDir folder;
  MultipartFormData form;
  form.addFilePart(GetParam().location(folder), "image", "image", "image/png");
  EXPECT_TRUE(form.bodyParts().empty());
  ASSERT_TRUE(form.bodyPartError());
  EXPECT_EQ(form.bodyPartError()->kind, RequestError::Kind::bodyPart);
}

INSTANTIATE_TEST_SUITE_P(
    Locations, AddFileURLPartFails,
    ::testing::Values(FileFailure{"NoExtension", [](const TempDir& d) { return d.write("video", "x"); }},
                      FileFailure{"EmptyExtension", [](const TempDir& d) { return d.write("video.", "x"); }},
                      FileFailure{"NoLastComponent", [](const TempDir& d) { return d.path() / ""; }},
                      FileFailure{"Missing", [](const TempDir& d) { return d / "missing.mp4"; }},
                      FileFailure{"InsideAFile",
                                  [](const TempDir& d) { return d.write("plain.txt", "x") / "clip.mp4"; }},
                      FileFailure{"Directory",
                                  [](const TempDir& d) {
                                    std::filesystem::create_directory(d / "folder.mp4");
                                    return d / "folder.mp4";
                                  }},
                      FileFailure{"NotARegularFile",
                                  [](const TempDir& d) {
                                    ::mkfifo((d / "pipe.mp4").c_str(), 0600);
                                    return d / "pipe.mp4";
                                  }}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Locations, AddFilePartFromAFileFails,
    ::testing::Values(FileFailure{"Missing", [](const TempDir& d) { return d / "img-1"; }},
                      FileFailure{"InsideAFile", [](const TempDir& d) { return d.write("plain.txt", "x") / "img-1"; }},
                      FileFailure{"Directory",
                                  [](const TempDir& d) {
                                    std::filesystem::create_directory(d / "img-1");
                                    return d / "img-1";
                                  }},
                      FileFailure{"NotARegularFile",
                                  [](const TempDir& d) {
                                    ::mkfifo((d / "img-1").c_str(), 0600);
                                    return d / "img-1";
                                  }}),
    [](const auto& info) { return info.param.name; });

TEST(MultipartFormData, UnreadableFileFails) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TempDir folder;
  const auto file = folder.write("locked.mp4", "x");
  std::filesystem::permissions(file, std::filesystem::perms::none);
  MultipartFormData form;
  form.addFileURLPart(file, "video");
  EXPECT_TRUE(form.bodyParts().empty());
  EXPECT_TRUE(form.bodyPartError());
}

TEST(MultipartFormData, FirstFailureIsKept) {
  TempDir folder;
  MultipartFormData form;
  form.addFileURLPart(folder / "first.mp4", "a");
  form.addFileURLPart(folder.write("second", "x"), "b");
  form.addDataPart(std::string("still added"), "c");
  ASSERT_TRUE(form.bodyPartError());
  EXPECT_NE(form.bodyPartError()->message.find("first.mp4"), std::string::npos) << form.bodyPartError()->message;
  EXPECT_EQ(form.bodyParts().size(), 1u);
}

TEST(MultipartFormData, FilePartTakesNameTypeAndSizeFromTheFile) {
  TempDir folder;
  const auto file = folder.write("Toma 1.MOV", std::string(777, 'v'));
  MultipartFormData form;
  form.addFileURLPart(file, "video");
  ASSERT_EQ(form.bodyParts().size(), 1u);
  const BodyPart& part = form.bodyParts()[0];
  EXPECT_EQ(part.headers[0].second, "form-data; name=\"video\"; filename=\"Toma 1.MOV\"");
  EXPECT_EQ(part.headers[1], (std::pair<std::string, std::string>{"Content-Type", "video/quicktime"}));
  EXPECT_EQ(part.bodyContentLength, 777u);
}

TEST(MultipartFormData, UnknownExtensionIsOctetStream) {
  TempDir folder;
  MultipartFormData form;
  form.addFileURLPart(folder.write("data.zzunknownzz", "x"), "file");
  ASSERT_EQ(form.bodyParts().size(), 1u);
  EXPECT_EQ(form.bodyParts()[0].headers[1].second, "application/octet-stream");
}

TEST(MultipartFormData, FileThatIsTouchedAfterBeingAddedFailsTheBody) {
  TempDir folder;
  const auto file = folder.write("clip.mp4", std::string(100, 'v'));
  MultipartFormData form;
  form.addFileURLPart(file, "video");
  std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(1));
  auto result = form.encode();
  ASSERT_TRUE(std::holds_alternative<RequestError>(result));
  EXPECT_EQ(std::get<RequestError>(result).kind, RequestError::Kind::bodyEncoding);
}

TEST(MultipartFormData, FileThatChangesSizeAfterBeingAddedFailsTheBody) {
  TempDir folder;
  const auto file = folder.write("clip.mp4", std::string(100, 'v'));
  MultipartFormData shrinking;
  shrinking.addFileURLPart(file, "video");
  MultipartFormData growing;
  folder.write("clip.mp4", std::string(50, 'v'));
  growing.addFileURLPart(file, "video");
  folder.write("clip.mp4", std::string(75, 'v'));
  for (const auto* form : {&shrinking, &growing}) {
    auto result = form->encode();
    ASSERT_TRUE(std::holds_alternative<RequestError>(result));
    EXPECT_EQ(std::get<RequestError>(result).kind, RequestError::Kind::bodyEncoding);
  }
}

}  // namespace
}  // namespace instala
