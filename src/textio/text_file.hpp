#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace talvenor {

/// An output text file: a byte file written sequentially, one record per line,
/// every record ended by CR LF (the last one included). Writes are buffered and
/// only whole records are ever handed to the system. Closing cuts the file right
/// after the last record written, so a file written from its start is replaced
/// whole and a file opened after some lines keeps exactly the bytes of those lines.
/// Every failure (open, write, close) throws Error (file) naming the file's role,
/// its name and its channel:
///   "cannot write the listing '/dev/full' (unit 10): No space left on device".
/// The destructor flushes what is buffered and never throws.
class TextFile {
 public:
  /// Opens `path` for writing from its start: created when missing, replaced when present.
  /// `role` names the file in reports ("listing", "iteration log"); `channel` is its unit.
  TextFile(std::string path, int channel, std::string role);

  /// Opens the existing file `path`, reads its first `keep` lines (ended by LF or
  /// CR LF; a last line without an end gets CR LF added) and positions after them.
  /// A file with fewer lines is an Error naming the file and the lines it needs.
  static TextFile after_lines(std::string path, int channel, std::string role, int keep);

  TextFile(TextFile&& other) noexcept;
  TextFile& operator=(TextFile&&) = delete;
  TextFile(const TextFile&) = delete;
  ~TextFile();

  /// Appends one record: `bytes` followed by CR LF.
  void write_record(std::string_view bytes);

  /// Hands the buffered records to the system now.
  void flush();

  /// Flushes, cuts and closes; throws on failure. Further writes are not allowed.
  void close();

  const std::string& path() const { return path_; }

 private:
  TextFile(std::string path, int channel, std::string role, std::FILE* stream, bool cut_on_close);
  [[noreturn]] void fail(std::string_view operation) const;

  std::string path_;
  int channel_;
  std::string role_;
  std::FILE* stream_;
  bool cut_on_close_;
  long long position_ = 0;  // bytes of the file up to the end of the last record written
  std::vector<char> buffer_;

  friend class RecordWriter;
};

}  // namespace talvenor
