#include "textio/text_file.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "system/error.hpp"

namespace talvenor {
namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

}  // namespace

TextFile::TextFile(std::string path, int channel, std::string role)
    : TextFile(std::move(path), channel, std::move(role), nullptr, false) {
  stream_ = std::fopen(path_.c_str(), "wb");
  if (stream_ == nullptr) fail("open");
}

TextFile TextFile::after_lines(std::string path, int channel, std::string role, int keep) {
  std::FILE* stream = std::fopen(path.c_str(), "r+b");
  TextFile file(std::move(path), channel, std::move(role), stream, true);
  if (stream == nullptr) file.fail("open");
  int lines = 0;
  int last = '\n';
  while (lines < keep) {
    int c = std::fgetc(stream);
    if (c == EOF) break;
    ++file.position_;
    if (c == '\n') ++lines;
    last = c;
  }
  if (std::ferror(stream)) file.fail("read");
  if (lines < keep && last != '\n') ++lines;  // a last line without its line end
  if (lines < keep) {
    throw Error(Error::Kind::file, "the " + file.role_ + " '" + file.path_ + "' (unit " +
                                       std::to_string(channel) + ") has " +
                                       std::to_string(lines) + " lines; it must have at least " +
                                       std::to_string(keep));
  }
  if (std::fseek(stream, static_cast<long>(file.position_), SEEK_SET) != 0) file.fail("position");
  if (last != '\n') file.buffer_.insert(file.buffer_.end(), {'\r', '\n'});
  return file;
}

TextFile::TextFile(std::string path, int channel, std::string role, std::FILE* stream,
                   bool cut_on_close)
    : path_(std::move(path)),
      channel_(channel),
      role_(std::move(role)),
      stream_(stream),
      cut_on_close_(cut_on_close) {
  buffer_.reserve(kBufferBytes);
}

TextFile::TextFile(TextFile&& other) noexcept
    : path_(std::move(other.path_)),
      channel_(other.channel_),
      role_(std::move(other.role_)),
      stream_(std::exchange(other.stream_, nullptr)),
      cut_on_close_(other.cut_on_close_),
      position_(other.position_),
      buffer_(std::move(other.buffer_)) {}

TextFile::~TextFile() {
  if (stream_ == nullptr) return;
  try {
    close();
  } catch (const Error&) {
    // Already failing: the error that is travelling is the one reported.
  }
}

void TextFile::write_record(std::string_view bytes) {
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  buffer_.push_back('\r');
  buffer_.push_back('\n');
  if (buffer_.size() >= kBufferBytes) flush();
}

void TextFile::flush() {
  if (buffer_.empty()) return;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size() ||
      std::fflush(stream_) != 0) {
    fail("write");
  }
  position_ += static_cast<long long>(buffer_.size());
  buffer_.clear();
}

void TextFile::close() {
  std::FILE* stream = stream_;
  flush();
  stream_ = nullptr;
  if (std::fclose(stream) != 0) fail("close");
  if (cut_on_close_) {
    std::error_code error;
    std::filesystem::resize_file(path_, static_cast<std::uintmax_t>(position_), error);
    if (error) {
      throw Error(Error::Kind::file, "cannot cut the " + role_ + " '" + path_ + "' (unit " +
                                         std::to_string(channel_) + "): " + error.message());
    }
  }
}

void TextFile::fail(std::string_view operation) const {
  throw Error(Error::Kind::file, "cannot " + std::string(operation) + " the " + role_ + " '" +
                                     path_ + "' (unit " + std::to_string(channel_) +
                                     "): " + std::strerror(errno));
}

}  // namespace talvenor
