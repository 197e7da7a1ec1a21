#pragma once
// A multipart/form-data body, built part by part and then encoded once, in
// memory or as pieces that are read as the body is sent:
//
//   --B CRLF  headers CRLF  content        (first part)
//   CRLF --B CRLF  headers CRLF  content   (each later part)
//   CRLF --B-- CRLF                        (after the last part)
//
// A form without parts encodes as an empty body.

#include "networking/BodyPart.h"
#include "networking/RequestError.h"
#include "platform/PropertyList.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace instala {

class MultipartFormData {
 public:
  // A fresh boundary: "instala.boundary." and two random 32-bit numbers in hex.
  MultipartFormData();

  const std::string& boundary() const { return boundary_; }
  // "multipart/form-data; boundary=<boundary>"
  std::string contentType() const;
  const std::vector<BodyPart>& bodyParts() const { return bodyParts_; }
  // The first failure met while adding a part; later ones do not replace it.
  const std::optional<RequestError>& bodyPartError() const { return bodyPartError_; }
  // Sum of the parts' content lengths; the framing is not counted.
  std::uint64_t contentLength() const;

  // Content-Disposition: form-data; name="<name>"
  void addDataPart(std::string data, const std::string& name);
  void addDataPart(const platform::Bytes& data, const std::string& name);
  // Content-Disposition: form-data; name="<name>"; filename="<fileName>"
  // Content-Type: <mimeType>
  void addFilePart(std::string data, const std::string& name, const std::string& fileName, const std::string& mimeType);
  void addFilePart(const platform::Bytes& data, const std::string& name, const std::string& fileName,
                   const std::string& mimeType);
  // As addFilePart, with the content read from the file when the body is
  // encoded or sent. The file must then still be the one added here (same
  // file, size and modification time). Adds nothing and records the failure
  // when the path is not a readable regular file.
  void addFilePart(const std::filesystem::path& file, const std::string& name, const std::string& fileName,
                   const std::string& mimeType);
  // As the file variant of addFilePart, with the file name taken from the
  // path's last component and the MIME type from the shared MIME database.
  // Adds nothing and records the failure when the name has no extension.
  void addFileURLPart(const std::filesystem::path& fileURL, const std::string& name);

  // The whole body. Fails only when a file part cannot be read or has changed.
  std::variant<std::string, RequestError> encode() const;
  // The body as pieces for RequestBody::open: framing and contents in memory
  // (moved out of the form), file contents by reference. Leaves no parts.
  std::vector<RequestBody::Piece> bodyPieces() &&;
  // The exact size encode() produces, framing included.
  std::uint64_t encodedLength() const;

  // Names and file names are written between double quotes: a double quote, CR
  // or LF in them is written as %22, %0D, %0A, so that no text can end the
  // header early or add one of its own.
  static std::string escapedParameter(std::string_view text);

 private:
  void append(BodyPart part);
  void addFile(const std::filesystem::path& file, const std::string& name, const std::string& fileName,
               const std::string& mimeType);
  void fail(std::string message);

  std::string boundary_;
  std::vector<BodyPart> bodyParts_;
  std::optional<RequestError> bodyPartError_;
};

}  // namespace instala
