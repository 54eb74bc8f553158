#include "textio/text_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "system/error.hpp"
#include "system/platform.hpp"

namespace talvenor {
namespace {

// Records are handed to the system once this much is buffered; the slack lets the
// record that crosses the mark be built in place without an early hand-over.
constexpr std::size_t kHandOverBytes = std::size_t{1} << 16;
constexpr std::size_t kBufferBytes = kHandOverBytes + 4096;

/// What after_lines adds to a file's name for the new file that replaces it.
constexpr std::string_view kReplacementSuffix = ".talvenor-new";

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

/// Closes a C stream when it goes out of scope.
struct StreamCloser {
  void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;

}  // namespace

TextFile::TextFile(std::string path, int channel, std::string role)
    : TextFile(std::move(path), channel, std::move(role), nullptr) {
  stop_if_interrupted();
  stream_ = open_stream(path_, "wb");
  if (stream_ == nullptr) fail("open", errno);
}

TextFile TextFile::after_lines(std::string path, int channel, std::string role, int keep) {
  stop_if_interrupted();
  TextFile file(std::move(path), channel, std::move(role), nullptr);
  std::error_code error;
  // A FIFO would wait for a writer, a device would never end.
  if (std::filesystem::is_other(std::filesystem::status(file.path_, error))) {
    file.fail("use", "not a regular file");
  }
  // Opened for update, though only read: a template the run may not write is refused here.
  std::FILE* opened = open_stream(file.path_, "r+b");
  if (opened == nullptr && errno == ENOENT) opened = open_stream(file.path_, "w+b");
  if (opened == nullptr) file.fail("open", errno);
  const Stream source(opened);
  int lines = 0;
  bool ended = true;
  const unsigned long long length = measure_lines(source.get(), keep, lines, ended);
  if (std::ferror(source.get())) file.fail("read", errno);
  if (lines < keep) {
    file.fail("use", "expected at least " + std::to_string(keep) + " lines, found " +
                         std::to_string(lines));
  }

  file.open_replacement();
  std::rewind(source.get());
  char chunk[4096];
  for (unsigned long long left = length; left > 0;) {
    const std::size_t count = std::fread(chunk, 1, std::min<unsigned long long>(left, sizeof chunk),
                                         source.get());
    if (count == 0) file.fail("read", std::ferror(source.get()) ? errno : EIO);
    if (std::fwrite(chunk, 1, count, file.stream_) != count) file.fail("write", errno);
    left -= count;
  }
  file.position_ = length;
  if (!ended) file.commit(std::copy_n("\r\n", 2, file.reserve(2)));
  return file;
}

TextFile TextFile::replacing(std::string path, int channel, std::string role) {
  stop_if_interrupted();
  TextFile file(std::move(path), channel, std::move(role), nullptr);
  file.open_replacement();
  return file;
}

void TextFile::check_creatable(const std::string& path, int channel, const std::string& role) {
  TextFile file(path, channel, role, nullptr);
  std::error_code error;
  // symlink_status: a link is replaced, so what it leads to (perhaps nothing) does not matter.
  const std::filesystem::file_status place = std::filesystem::symlink_status(path, error);
  if (std::filesystem::is_directory(place)) file.fail("open", EISDIR);
  if (std::filesystem::is_regular_file(place)) {
    const Stream existing(open_stream(path, "ab"));
    if (!existing) file.fail("open", errno);
  }
  file.open_replacement();
  file.discard();
}

TextFile::TextFile(std::string path, int channel, std::string role, std::FILE* stream)
    : path_(std::move(path)),
      channel_(channel),
      role_(std::move(role)),
      stream_(stream),
      buffer_(kBufferBytes) {}

TextFile::TextFile(TextFile&& other) noexcept
    : path_(std::move(other.path_)),
      channel_(other.channel_),
      role_(std::move(other.role_)),
      stream_(std::exchange(other.stream_, nullptr)),
      replacement_(std::move(other.replacement_)),
      position_(other.position_),
      buffer_(std::move(other.buffer_)),
      used_(std::exchange(other.used_, 0)) {}

TextFile::~TextFile() {
  if (stream_ == nullptr) return;
  if (!replacement_.empty()) {
    discard();  // a replacement not closed must leave the file it was to replace as it was
    return;
  }
  try {
    close();
  } catch (...) {
    // close() has released the stream; a caller that needs to know of the failure
    // closes the file itself, and during unwinding the travelling error is the one.
  }
}

void TextFile::open_replacement() {
  const std::string replacement = path_ + std::string(kReplacementSuffix);
  std::error_code ignored;
  std::filesystem::remove(replacement, ignored);  // one left by a run that was killed
  stream_ = open_stream(replacement, "wb");
  if (stream_ == nullptr) fail("open", errno);
  replacement_ = replacement;
}

void TextFile::discard() {
  std::fclose(std::exchange(stream_, nullptr));
  std::error_code ignored;
  std::filesystem::remove(std::exchange(replacement_, {}), ignored);
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
  stop_if_interrupted();
  used_ = static_cast<std::size_t>(end - buffer_.data());
  if (used_ >= kHandOverBytes) flush();
}

void TextFile::write_record(std::string_view bytes) {
  char* out = reserve(bytes.size() + kRecordEnd.size());
  out = std::copy(bytes.begin(), bytes.end(), out);
  out = std::copy(kRecordEnd.begin(), kRecordEnd.end(), out);
  commit(out);
}

int TextFile::hand_over() {
  if (used_ == 0) return 0;
  const std::size_t written = std::fwrite(buffer_.data(), 1, used_, stream_);
  const int error_number = written == used_ ? 0 : errno;
  // The file keeps what the system took up to the last line end in it: whole records.
  const auto taken = std::make_reverse_iterator(buffer_.cbegin() + static_cast<std::ptrdiff_t>(written));
  const auto whole = static_cast<std::size_t>(
      std::find(taken, buffer_.crend(), '\n').base() - buffer_.cbegin());
  position_ += whole;
  used_ = 0;  // what could not be written is lost: the file is failing
  if (whole != written && replacement_.empty()) {
    std::error_code ignored;  // a device has nothing to cut
    std::filesystem::resize_file(path_, position_, ignored);
  }
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
  if (!replacement_.empty()) {
    const std::string replacement = std::exchange(replacement_, {});
    std::error_code error;
    if (write_error == 0 && close_error == 0) {
      // The replaced file's permissions go to the new one; a link's are its target's.
      const auto permissions = std::filesystem::status(path_, error).permissions();
      if (!error) std::filesystem::permissions(replacement, permissions, error);
      std::filesystem::rename(replacement, path_, error);
      if (!error) return;
    }
    std::error_code ignored;
    std::filesystem::remove(replacement, ignored);
    if (write_error == 0 && close_error == 0) fail("replace", error.message());
  }
  if (write_error != 0) fail("write", write_error);
  if (close_error != 0) fail("close", close_error);
}

void TextFile::stop_if_interrupted() {
  if (const std::optional<Error> stop = interruption()) throw *stop;
}

void TextFile::fail(std::string_view operation, int error_number) const {
  fail(operation, std::strerror(error_number));
}

void TextFile::fail(std::string_view operation, const std::string& reason) const {
  const std::string unit = channel_ == kNoUnit ? "" : " (unit " + std::to_string(channel_) + ")";
  throw Error(Error::Kind::file, "cannot " + std::string(operation) + " the " + role_ + " '" +
                                     path_ + "'" + unit + ": " + reason);
}

}  // namespace talvenor
