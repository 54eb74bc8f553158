#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace talvenor {

/// The end of every record of a TextFile.
inline constexpr std::string_view kRecordEnd = "\r\n";

/// An output text file: a byte file written sequentially, one record per line,
/// every record ended by CR LF (the last one included). Writes are buffered and
/// only whole records are ever handed to the system; a write that the system takes
/// only in part (a full disk) is cut back to the last record that reached the file
/// whole, so a failing file still ends with CR LF. A file written after some lines
/// of an existing one, or written to replace it whole, is built beside it and
/// takes its place only when closed: until then, and after any failure, the
/// existing file is exactly as it was.
/// An interruption noted by the system layer (see defer_interruptions) stops the
/// writing at the next record: opening or committing a record throws its Error.
/// Every failure (open, read, write, close) throws Error (file) naming the file's role,
/// its name and its channel, which only talvenor's own files have (kNoUnit: none):
///   "cannot write the listing '/dev/full' (unit 10): No space left on device".
/// The destructor flushes what is buffered and closes, but never throws: it is for
/// unwinding, and a file whose failure matters is closed with close().
/// The channel of a file that has no unit number (a study's): reports leave it out.
inline constexpr int kNoUnit = 0;

class TextFile {
 public:
  /// Opens `path` for writing from its start: created when missing, replaced when present.
  /// `role` names the file in reports ("listing", "iteration log"); `channel` is its unit.
  TextFile(std::string path, int channel, std::string role);

  /// Writes a new file of the bytes of the first `keep` lines of the existing file
  /// `path` (ended by LF or CR LF; a last line without an end gets CR LF added),
  /// then the records written; close() puts it in place of `path` (a symbolic link
  /// is replaced, the file it leads to is never written), and a TextFile destroyed
  /// without close() removes it and leaves `path` as it was.
  ///   "a\nb\r\nold\r\n", keep 2, write_record("new") -> "a\nb\r\nnew\r\n"
  /// The new file is `path` + ".talvenor-new", in the same folder. A file with
  /// fewer lines, or that is not a regular file (a FIFO, a device), is an Error
  /// naming the file; a missing file is created empty first, so it is reported as
  /// having 0 lines.
  static TextFile after_lines(std::string path, int channel, std::string role, int keep);

  /// Writes a new file that takes the place of `path` whole, or not at all: it is
  /// built beside it as `path` + ".talvenor-new" and close() renames it over `path`
  /// (a symbolic link there is replaced, the file it leads to is never written or
  /// created). Until then, and when the TextFile is destroyed without close() (an
  /// interruption, a full disk), `path` is exactly as it was, missing or not, and
  /// the new file is removed.
  ///   put "old\r\n"; replacing(...), write_record("new"), interrupted -> "old\r\n"
  static TextFile replacing(std::string path, int channel, std::string role);

  /// Throws the Error that writing `path` with replacing() would throw on opening,
  /// and leaves the folder as it was: the new file beside it is created and
  /// removed; a folder in the place of `path` is refused ("Is a directory"), and so
  /// is a regular file there that the run may not write (opened for appending and
  /// closed). A symbolic link in the place is never followed.
  ///   check_creatable("nowhere/x.csv", kNoUnit, "study table") -> "cannot open the
  ///   study table 'nowhere/x.csv': No such file or directory"
  static void check_creatable(const std::string& path, int channel, const std::string& role);

  TextFile(TextFile&& other) noexcept;
  TextFile& operator=(TextFile&&) = delete;
  TextFile(const TextFile&) = delete;
  ~TextFile();

  /// Appends one record: `bytes` followed by CR LF.
  void write_record(std::string_view bytes);

  /// Hands the buffered records to the system now.
  void flush();

  /// Flushes, closes and, for a file of after_lines or replacing, puts it in place;
  /// throws on failure, and the stream is released either way. Further writes,
  /// flushes or closes are programming errors (std::logic_error).
  void close();

  const std::string& path() const { return path_; }

 private:
  TextFile(std::string path, int channel, std::string role, std::FILE* stream);
  void open_replacement();  // opens the new file that close() renames over path_
  void discard();           // closes and removes the new file of after_lines and replacing
  static void stop_if_interrupted();
  [[noreturn]] void fail(std::string_view operation, int error_number) const;
  [[noreturn]] void fail(std::string_view operation, const std::string& reason) const;

  // Record writers place whole records straight into the buffer: reserve() returns room
  // for at least `bytes` after the records already there, commit() takes what was
  // placed up to `end`. Nothing placed counts until it is committed.
  char* reserve(std::size_t bytes);
  void commit(const char* end);
  int hand_over();  // writes the committed records to the stream; 0 or the errno

  std::string path_;
  int channel_;
  std::string role_;
  std::FILE* stream_;
  std::string replacement_;          // the new file that replaces path_ on close; empty: path_ itself
  unsigned long long position_ = 0;  // bytes of the file up to the last record handed over
  std::vector<char> buffer_;
  std::size_t used_ = 0;  // committed bytes at the start of buffer_

  friend class RecordWriter;
};

}  // namespace talvenor
