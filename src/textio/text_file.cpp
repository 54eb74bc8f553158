#include "textio/text_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "system/error.hpp"

namespace talvenor {
namespace {

// Records are handed to the system once this much is buffered; the slack lets the
// record that crosses the mark be built in place without an early hand-over.
constexpr std::size_t kHandOverBytes = std::size_t{1} << 16;
constexpr std::size_t kBufferBytes = kHandOverBytes + 4096;

// The stream is unbuffered: TextFile's own buffer holds whole records, so every
// fwrite goes to the system at once and a failure shows at the write that caused it.
std::FILE* open_stream(const std::string& path, const char* mode) {
  std::FILE* stream = std::fopen(path.c_str(), mode);
  if (stream != nullptr) std::setvbuf(stream, nullptr, _IONBF, 0);
  return stream;
}

/// The bytes at the start of `stream` that make up its first `keep` lines, each ended
/// by LF (CR LF included) except perhaps the file's last. Sets `lines` to the lines
/// found (at most `keep`) and `ended` to whether the last of them has its LF.
unsigned long long measure_lines(std::FILE* stream, int keep, int& lines, bool& ended) {
  unsigned long long length = 0;
  lines = 0;
  ended = true;
  char chunk[4096];
  while (lines < keep) {
    const std::size_t count = std::fread(chunk, 1, sizeof chunk, stream);
    if (count == 0) break;
    const char* c = chunk;
    const char* const end = chunk + count;
    while (lines < keep && c != end) {
      const char* line_end = static_cast<const char*>(std::memchr(c, '\n', end - c));
      if (line_end == nullptr) {
        length += static_cast<unsigned long long>(end - c);
        ended = false;
        c = end;
      } else {
        length += static_cast<unsigned long long>(line_end + 1 - c);
        ++lines;
        ended = true;
        c = line_end + 1;
      }
    }
  }
  if (lines < keep && !ended) ++lines;  // a last line without its line end
  return length;
}

}  // namespace

TextFile::TextFile(std::string path, int channel, std::string role)
    : TextFile(std::move(path), channel, std::move(role), nullptr, false) {
  stream_ = open_stream(path_, "wb");
  if (stream_ == nullptr) fail("open", errno);
}

TextFile TextFile::after_lines(std::string path, int channel, std::string role, int keep) {
  std::FILE* stream = open_stream(path, "r+b");
  if (stream == nullptr && errno == ENOENT) stream = open_stream(path, "w+b");
  TextFile file(std::move(path), channel, std::move(role), stream, false);
  if (stream == nullptr) file.fail("open", errno);
  int lines = 0;
  bool ended = true;
  file.position_ = measure_lines(stream, keep, lines, ended);
  if (std::ferror(stream)) file.fail("read", errno);
  if (lines < keep) {
    file.fail("use", "expected at least " + std::to_string(keep) + " lines, found " +
                         std::to_string(lines));
  }
  if (std::fseek(stream, static_cast<long>(file.position_), SEEK_SET) != 0) {
    file.fail("position", errno);
  }
  if (!ended) file.commit(std::copy_n("\r\n", 2, file.reserve(2)));
  file.cut_on_close_ = true;  // only now: a file that failed above stays as it was
  return file;
}

TextFile::TextFile(std::string path, int channel, std::string role, std::FILE* stream,
                   bool cut_on_close)
    : path_(std::move(path)),
      channel_(channel),
      role_(std::move(role)),
      stream_(stream),
      cut_on_close_(cut_on_close),
      buffer_(kBufferBytes) {}

TextFile::TextFile(TextFile&& other) noexcept
    : path_(std::move(other.path_)),
      channel_(other.channel_),
      role_(std::move(other.role_)),
      stream_(std::exchange(other.stream_, nullptr)),
      cut_on_close_(other.cut_on_close_),
      position_(other.position_),
      buffer_(std::move(other.buffer_)),
      used_(std::exchange(other.used_, 0)) {}

TextFile::~TextFile() {
  if (stream_ == nullptr) return;
  try {
    close();
  } catch (...) {
    // close() has released the stream; a caller that needs to know of the failure
    // closes the file itself, and during unwinding the travelling error is the one.
  }
}

char* TextFile::reserve(std::size_t bytes) {
  if (stream_ == nullptr) throw std::logic_error("write to the closed file '" + path_ + "'");
  if (used_ + bytes > buffer_.size()) {
    flush();
    if (bytes > buffer_.size()) buffer_.resize(bytes);
  }
  return buffer_.data() + used_;
}

void TextFile::commit(const char* end) {
  used_ = static_cast<std::size_t>(end - buffer_.data());
  if (used_ >= kHandOverBytes) flush();
}

void TextFile::write_record(std::string_view bytes) {
  char* out = reserve(bytes.size() + 2);
  out = std::copy(bytes.begin(), bytes.end(), out);
  *out++ = '\r';
  *out++ = '\n';
  commit(out);
}

int TextFile::hand_over() {
  if (used_ == 0) return 0;
  const std::size_t written = std::fwrite(buffer_.data(), 1, used_, stream_);
  position_ += written;
  const int error_number = written == used_ ? 0 : errno;
  used_ = 0;  // what could not be written is lost: the file is failing
  return error_number;
}

void TextFile::flush() {
  if (stream_ == nullptr) throw std::logic_error("flush of the closed file '" + path_ + "'");
  if (const int error_number = hand_over(); error_number != 0) fail("write", error_number);
}

void TextFile::close() {
  if (stream_ == nullptr) throw std::logic_error("second close of the file '" + path_ + "'");
  const int write_error = hand_over();
  const int close_error = std::fclose(std::exchange(stream_, nullptr)) == 0 ? 0 : errno;
  if (write_error != 0) fail("write", write_error);
  if (close_error != 0) fail("close", close_error);
  if (cut_on_close_) {
    std::error_code error;
    std::filesystem::resize_file(path_, position_, error);
    if (error) fail("cut", error.message());
  }
}

void TextFile::fail(std::string_view operation, int error_number) const {
  fail(operation, std::strerror(error_number));
}

void TextFile::fail(std::string_view operation, const std::string& reason) const {
  throw Error(Error::Kind::file, "cannot " + std::string(operation) + " the " + role_ + " '" +
                                     path_ + "' (unit " + std::to_string(channel_) +
                                     "): " + reason);
}

}  // namespace talvenor
