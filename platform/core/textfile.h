// TTextFile: line-oriented text files of single-byte Windows-1252 text, read
// and written the classic way (tool-number map files use them).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/unicode.h"

namespace vx::plat {

class TFileStream;
class TSafeFileStream;

// Error codes of EInOutError raised by text files.
enum TInOutCode : int {
  ioFileNotFound = 2,        // "File not found"
  ioAccessDenied = 5,        // "Access denied"
  ioDiskWriteError = 101,    // "Disk write error"
  ioFileNotOpen = 103,       // "File not open"
  ioNotOpenForInput = 104,   // "File not open for input"
  ioNotOpenForOutput = 105,  // "File not open for output"
  ioInvalidInput = 106,      // "Invalid numeric input"
};

class TTextFile {
public:
  TTextFile();
  // Closes a file being read. A file being written that was not closed is
  // discarded: the previous file stays as it was.
  ~TTextFile();
  TTextFile(const TTextFile&) = delete;
  TTextFile& operator=(const TTextFile&) = delete;

  // Opens FileName for reading at its start; a missing file raises EInOutError
  // code 2 "File not found". Closes whatever was open before.
  void Reset(const std::string& FileName);
  // Goes back to the start of the file being read.
  void Reset();
  // Starts writing FileName. The text goes to a temporary file in the same
  // folder that Close renames over FileName, so a failed write never destroys
  // the previous file.
  void Rewrite(const std::string& FileName);
  // Ends reading, or finishes writing (replacing the target); raises EInOutError
  // code 101 when the written file cannot be completed.
  void Close();
  bool IsOpen() const;

  // True at the end of the file.
  bool Eof();
  // True at the end of a line or of the file.
  bool Eoln();
  // The rest of the current line; moves to the start of the next line. At the
  // end of the file: "". A line ends at CR LF, LF or a lone CR.
  String ReadLine();
  // Up to Count characters of the current line; stays on that line.
  String ReadChars(std::int32_t Count);
  // Skips blanks, tabs and line ends, then reads a decimal integer (optional
  // sign; "$" for hexadecimal). A malformed or missing number or one outside
  // Int32 raises EInOutError code 106 "Invalid numeric input".
  std::int32_t ReadInteger();
  // Moves to the start of the next line.
  void SkipLine();

  // Appends text to the current line; characters outside Windows-1252 become '?'.
  void Write(std::u16string_view Text);
  // Appends text and ends the line with CR LF.
  void WriteLine(std::u16string_view Text = {});

private:
  enum class TMode : std::uint8_t { Closed, Reading, Writing };
  int PeekByte();
  int NextByte();
  void Fill();
  void SkipLineEnd();
  void RequireInput();
  void RequireOutput();

  TMode FMode = TMode::Closed;
  std::unique_ptr<TFileStream> FInput;
  std::unique_ptr<TSafeFileStream> FOutput;
  std::vector<std::uint8_t> FBuffer;
  std::size_t FBufferPos = 0;
  std::string FFileName;
};

}  // namespace vx::plat
