#include "platform/Image.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which uses FILE and size_t
#include <new>
#include <system_error>
#include <thread>

#include <jpeglib.h>

namespace instala::platform {
namespace {

// Rows handed over at a time: one block row of a 4:2:0 image.
constexpr JDIMENSION kRowBatch = 16;
// Each scan of a progressive file is another pass over the whole image; a
// crafted file can hold thousands.
constexpr int kMaxScans = 500;
constexpr std::size_t kFileBuffer = 64 * 1024;
constexpr std::size_t kFirstOutputBuffer = 64 * 1024;

int qualityLevel(double quality) { return std::clamp(static_cast<int>(std::lround(quality * 100.0)), 1, 100); }

// libjpeg's default error handling prints and calls exit(). Here an error, and
// also a warning (truncated or corrupt data), leaves the libjpeg call by
// longjmp to the guard around it, and nothing is printed.
struct ErrorManager {
  jpeg_error_mgr base{};
  std::jmp_buf jump{};
};

[[noreturn]] void jumpOut(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

void emitMessage(j_common_ptr info, int level) {
  if (level < 0) jumpOut(info);
}

void outputMessage(j_common_ptr) {}

void setUpErrors(ErrorManager& errors) {
  jpeg_std_error(&errors.base);
  errors.base.error_exit = jumpOut;
  errors.base.emit_message = emitMessage;
  errors.base.output_message = outputMessage;
}

// Runs `step`, a sequence of libjpeg calls, and returns false when libjpeg
// gave up. A libjpeg error leaves `step` by longjmp, so `step` must not hold
// objects with destructors.
template <typename Step>
bool guarded(ErrorManager& errors, const Step& step) {
  if (setjmp(errors.jump) != 0) return false;
  step();
  return true;
}

// A file opened for reading only when it is a regular file. O_NONBLOCK: a
// FIFO is refused at once instead of waiting for a writer.
class RegularFile {
 public:
  explicit RegularFile(const std::filesystem::path& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)) {
    struct stat status {};
    if (fd_ >= 0 && (fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode))) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~RegularFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  int fd() const { return fd_; }

 private:
  int fd_;
};

// Reads the file in large pieces. Its end before the end of the image is an
// error like any truncated data.
struct FileSource {
  jpeg_source_mgr base{};
  int fd = -1;
  Bytes buffer;
};

void startFile(j_decompress_ptr) {}

boolean fillFromFile(j_decompress_ptr info) {
  auto* source = reinterpret_cast<FileSource*>(info->src);
  ssize_t count = 0;
  do {
    count = ::read(source->fd, source->buffer.data(), source->buffer.size());
  } while (count < 0 && errno == EINTR);
  if (count <= 0) jumpOut(reinterpret_cast<j_common_ptr>(info));
  source->base.next_input_byte = source->buffer.data();
  source->base.bytes_in_buffer = static_cast<std::size_t>(count);
  return TRUE;
}

void skipInFile(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  auto& base = *info->src;
  auto remaining = static_cast<std::size_t>(count);
  while (remaining > base.bytes_in_buffer) {
    remaining -= base.bytes_in_buffer;
    fillFromFile(info);
  }
  base.next_input_byte += remaining;
  base.bytes_in_buffer -= remaining;
}

void endFile(j_decompress_ptr) {}

// Encoded bytes go straight into a growing Bytes.
struct BytesDestination {
  jpeg_destination_mgr base{};
  Bytes bytes;
};

// Out of memory leaves libjpeg through its error exit, outside the handler:
// no exception may cross libjpeg's C frames.
void resizeOrFail(j_compress_ptr info, Bytes& bytes, std::size_t size) {
  bool resized = true;
  try {
    bytes.resize(size);
  } catch (const std::bad_alloc&) {
    resized = false;
  }
  if (!resized) jumpOut(reinterpret_cast<j_common_ptr>(info));
}

void startBytes(j_compress_ptr info) {
  auto* destination = reinterpret_cast<BytesDestination*>(info->dest);
  resizeOrFail(info, destination->bytes, kFirstOutputBuffer);
  destination->base.next_output_byte = destination->bytes.data();
  destination->base.free_in_buffer = destination->bytes.size();
}

// Called when the whole buffer is full.
boolean growBytes(j_compress_ptr info) {
  auto* destination = reinterpret_cast<BytesDestination*>(info->dest);
  const std::size_t used = destination->bytes.size();
  resizeOrFail(info, destination->bytes, used * 2);
  destination->base.next_output_byte = destination->bytes.data() + used;
  destination->base.free_in_buffer = destination->bytes.size() - used;
  return TRUE;
}

void endBytes(j_compress_ptr info) {
  auto* destination = reinterpret_cast<BytesDestination*>(info->dest);
  destination->bytes.resize(destination->bytes.size() - destination->base.free_in_buffer);
}

void watchScans(j_common_ptr info) {
  if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
    jumpOut(info);
  }
}

// Decodes to 8-bit RGB rows, whatever the file's colour space (grey is
// spread to RGB; CMYK is refused), a batch of rows at a time.
class Decoder {
 public:
  Decoder() {
    setUpErrors(errors_);
    info_.err = &errors_.base;
    created_ = guarded(errors_, [this] { jpeg_create_decompress(&info_); });
    progress_.progress_monitor = watchScans;
    info_.progress = &progress_;
  }
  ~Decoder() { jpeg_destroy_decompress(&info_); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  bool start(const Bytes& bytes) {
    return created_ && !bytes.empty() &&
           guarded(errors_, [&] { jpeg_mem_src(&info_, bytes.data(), static_cast<unsigned long>(bytes.size())); }) &&
           start();
  }
  bool start(int fd) {
    if (!created_ || fd < 0) return false;
    file_.fd = fd;
    file_.buffer.resize(kFileBuffer);
    file_.base.init_source = startFile;
    file_.base.fill_input_buffer = fillFromFile;
    file_.base.skip_input_data = skipInFile;
    file_.base.resync_to_restart = jpeg_resync_to_restart;
    file_.base.term_source = endFile;
    info_.src = &file_.base;
    return start();
  }

  JDIMENSION width() const { return info_.output_width; }
  JDIMENSION height() const { return info_.output_height; }
  JDIMENSION nextRow() const { return info_.output_scanline; }

  // Up to `count` rows into `rows`; how many came, 0 on failure.
  JDIMENSION readRows(JSAMPROW* rows, JDIMENSION count) {
    JDIMENSION read = 0;
    if (!guarded(errors_, [&] { read = jpeg_read_scanlines(&info_, rows, count); })) return 0;
    return read;
  }
  // Reads to the end of the image: trailing damage counts too.
  bool finish() {
    return guarded(errors_, [this] { jpeg_finish_decompress(&info_); });
  }

 private:
  bool start() {
    if (!guarded(errors_, [this] { jpeg_read_header(&info_, TRUE); })) return false;
    // The pixel limit applies before libjpeg sets up anything the size of the image.
    if (static_cast<std::uint64_t>(info_.image_width) * info_.image_height > Image::kMaxPixels) return false;
    return guarded(errors_, [this] {
      info_.out_color_space = JCS_RGB;
      info_.dct_method = JDCT_ISLOW;
      jpeg_start_decompress(&info_);
    });
  }

  jpeg_decompress_struct info_{};
  ErrorManager errors_;
  jpeg_progress_mgr progress_{};
  FileSource file_;
  bool created_ = false;
};

// Encodes 8-bit RGB rows as baseline JPEG, 4:2:0, with the settings of
// libjpeg-turbo's TurboJPEG compressor, so both give the same bytes.
class Encoder {
 public:
  Encoder() {
    setUpErrors(errors_);
    info_.err = &errors_.base;
    created_ = guarded(errors_, [this] { jpeg_create_compress(&info_); });
    destination_.base.init_destination = startBytes;
    destination_.base.empty_output_buffer = growBytes;
    destination_.base.term_destination = endBytes;
    info_.dest = &destination_.base;
  }
  ~Encoder() { jpeg_destroy_compress(&info_); }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  bool start(JDIMENSION width, JDIMENSION height, double quality) {
    const int level = qualityLevel(quality);
    return created_ && guarded(errors_, [&] {
             info_.image_width = width;
             info_.image_height = height;
             info_.input_components = 3;
             info_.in_color_space = JCS_RGB;
             jpeg_set_defaults(&info_);
             jpeg_set_quality(&info_, level, TRUE);
             info_.dct_method = level >= 96 ? JDCT_ISLOW : JDCT_IFAST;
             jpeg_set_colorspace(&info_, JCS_YCbCr);
             info_.comp_info[0].h_samp_factor = 2;
             info_.comp_info[0].v_samp_factor = 2;
             for (int chroma : {1, 2}) {
               info_.comp_info[chroma].h_samp_factor = 1;
               info_.comp_info[chroma].v_samp_factor = 1;
             }
             jpeg_start_compress(&info_, TRUE);
           });
  }
  bool writeRows(JSAMPROW* rows, JDIMENSION count) {
    return guarded(errors_, [&] { jpeg_write_scanlines(&info_, rows, count); });
  }
  std::optional<Bytes> finish() {
    if (!guarded(errors_, [this] { jpeg_finish_compress(&info_); })) return std::nullopt;
    return std::move(destination_.bytes);
  }

 private:
  jpeg_compress_struct info_{};
  ErrorManager errors_;
  BytesDestination destination_;
  bool created_ = false;
};

// Every row of the decoder's image into `pixels` (width × height × 3 bytes).
bool readAllRows(Decoder& decoder, Bytes& pixels) {
  const std::size_t rowBytes = static_cast<std::size_t>(decoder.width()) * 3;
  std::array<JSAMPROW, kRowBatch> rows{};
  while (decoder.nextRow() < decoder.height()) {
    const JDIMENSION first = decoder.nextRow();
    const JDIMENSION count = std::min(kRowBatch, decoder.height() - first);
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = pixels.data() + (first + i) * rowBytes;
    if (decoder.readRows(rows.data(), count) == 0) return false;
  }
  return decoder.finish();
}

std::optional<Image> decodeImage(Decoder& decoder) {
  const auto width = static_cast<int>(decoder.width());
  const auto height = static_cast<int>(decoder.height());
  Bytes pixels;
  try {
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (!readAllRows(decoder, pixels)) return std::nullopt;
  return Image::fromRGB(width, height, std::move(pixels));
}

// The threads of transcodeJPEGFiles are CPU-bound work somebody waits for:
// they leave the batch policy inherited from the encoding queue. (A nice
// value, or SCHED_IDLE, could not be undone here without privileges.)
void useNormalPolicy() {
  sched_param parameters{};
  pthread_setschedparam(pthread_self(), SCHED_OTHER, &parameters);
}

}  // namespace

std::optional<Image> Image::fromRGB(int width, int height, Bytes pixels) {
  if (width <= 0 || height <= 0) return std::nullopt;
  const auto count = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  if (count > kMaxPixels || pixels.size() != count * 3) return std::nullopt;
  return Image(width, height, std::move(pixels));
}

std::optional<Image> Image::decodeJPEG(const Bytes& bytes) {
  Decoder decoder;
  if (!decoder.start(bytes)) return std::nullopt;
  return decodeImage(decoder);
}

std::optional<Image> Image::loadFile(const std::filesystem::path& path) {
  RegularFile file(path);
  Decoder decoder;
  if (!decoder.start(file.fd())) return std::nullopt;
  return decodeImage(decoder);
}

std::optional<Bytes> Image::encodeJPEG(double quality) const {
  Encoder encoder;
  if (!encoder.start(static_cast<JDIMENSION>(width_), static_cast<JDIMENSION>(height_), quality)) return std::nullopt;
  const std::size_t rowBytes = static_cast<std::size_t>(width_) * 3;
  std::array<JSAMPROW, kRowBatch> rows{};
  for (int first = 0; first < height_; first += static_cast<int>(kRowBatch)) {
    const auto count = static_cast<JDIMENSION>(std::min(static_cast<int>(kRowBatch), height_ - first));
    for (JDIMENSION i = 0; i < count; ++i) {
      // libjpeg takes non-const rows but only reads them.
      rows[i] = const_cast<JSAMPLE*>(pixels_.data() + (static_cast<std::size_t>(first) + i) * rowBytes);
    }
    if (!encoder.writeRows(rows.data(), count)) return std::nullopt;
  }
  return encoder.finish();
}

std::optional<Bytes> transcodeJPEGFile(const std::filesystem::path& path, double quality) {
  RegularFile file(path);
  Decoder decoder;
  Encoder encoder;
  if (!decoder.start(file.fd()) || !encoder.start(decoder.width(), decoder.height(), quality)) return std::nullopt;
  const std::size_t rowBytes = static_cast<std::size_t>(decoder.width()) * 3;
  Bytes strip(rowBytes * kRowBatch);
  std::array<JSAMPROW, kRowBatch> rows{};
  for (JDIMENSION i = 0; i < kRowBatch; ++i) rows[i] = strip.data() + i * rowBytes;
  while (decoder.nextRow() < decoder.height()) {
    const JDIMENSION count = decoder.readRows(rows.data(), kRowBatch);
    if (count == 0 || !encoder.writeRows(rows.data(), count)) return std::nullopt;
  }
  if (!decoder.finish()) return std::nullopt;
  return encoder.finish();
}

std::vector<std::optional<Bytes>> transcodeJPEGFiles(const std::vector<std::filesystem::path>& paths,
                                                     double quality) {
  std::vector<std::optional<Bytes>> results(paths.size());
  std::atomic<std::size_t> next = 0;
  auto work = [&] {
    for (std::size_t i = next++; i < paths.size(); i = next++) results[i] = transcodeJPEGFile(paths[i], quality);
  };
  // One thread per photo, up to a handful: the scheduler then shares the
  // cores evenly among them. As many threads as cores would leave the odd
  // photo to run alone at the end (five photos on two cores: three photo
  // times instead of two and a half). A thread holds only a few rows.
  const std::size_t wanted =
      std::min(paths.size(), std::max<std::size_t>(8, std::thread::hardware_concurrency()));
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < wanted; ++i) {
    try {
      threads.emplace_back([&work] {
        useNormalPolicy();
        work();
      });
    } catch (const std::system_error&) {
      break;
    }
  }
  if (threads.empty()) work();
  for (auto& thread : threads) thread.join();
  return results;
}

}  // namespace instala::platform
