#include "platform/core/textfile.h"

#include <charconv>
#include <cstdint>
#include <sys/stat.h>

#include "platform/core/stream.h"

namespace vx::plat {

namespace {

constexpr std::size_t kChunk = 4096;

[[noreturn]] void InOutError(TInOutCode code, const char* message) { throw EInOutError(message, code); }

bool IsBlank(int c) { return c >= 0 && c <= ' '; }

}  // namespace

TTextFile::TTextFile() = default;

TTextFile::~TTextFile() = default;  // the safe stream removes an uncommitted temporary file

bool TTextFile::IsOpen() const { return FMode != TMode::Closed; }

void TTextFile::Reset(const std::string& FileName) {
  FMode = TMode::Closed;
  FInput.reset();
  FOutput.reset();
  try {
    FInput = std::make_unique<TFileStream>(FileName, fmOpenRead);
  } catch (const EFOpenError&) {
    struct stat st {};
    bool exists = stat(FileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    if (exists) InOutError(ioAccessDenied, "Access denied");
    InOutError(ioFileNotFound, "File not found");
  }
  FFileName = FileName;
  FMode = TMode::Reading;
  FBuffer.clear();
  FBufferPos = 0;
}

void TTextFile::Reset() {
  RequireInput();
  FInput->SetPosition(0);
  FBuffer.clear();
  FBufferPos = 0;
}

void TTextFile::Rewrite(const std::string& FileName) {
  FMode = TMode::Closed;
  FInput.reset();
  FOutput.reset();
  try {
    FOutput = std::make_unique<TSafeFileStream>(FileName);
  } catch (const EFCreateError& e) {
    throw EInOutError(e.Message(), ioAccessDenied);
  }
  FFileName = FileName;
  FMode = TMode::Writing;
}

void TTextFile::Close() {
  TMode mode = FMode;
  FMode = TMode::Closed;
  FInput.reset();
  if (mode != TMode::Writing) return;
  std::unique_ptr<TSafeFileStream> output = std::move(FOutput);
  try {
    output->Commit();
  } catch (const EStreamError& e) {
    throw EInOutError(e.Message(), ioDiskWriteError);
  }
}

void TTextFile::RequireInput() {
  if (FMode == TMode::Closed) InOutError(ioFileNotOpen, "File not open");
  if (FMode != TMode::Reading) InOutError(ioNotOpenForInput, "File not open for input");
}

void TTextFile::RequireOutput() {
  if (FMode == TMode::Closed) InOutError(ioFileNotOpen, "File not open");
  if (FMode != TMode::Writing) InOutError(ioNotOpenForOutput, "File not open for output");
}

void TTextFile::Fill() {
  FBuffer.resize(kChunk);
  std::int32_t got = FInput->Read(FBuffer.data(), static_cast<std::int32_t>(kChunk));
  FBuffer.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  FBufferPos = 0;
}

int TTextFile::PeekByte() {
  if (FBufferPos >= FBuffer.size()) Fill();
  return FBufferPos < FBuffer.size() ? FBuffer[FBufferPos] : -1;
}

int TTextFile::NextByte() {
  int c = PeekByte();
  if (c >= 0) ++FBufferPos;
  return c;
}

void TTextFile::SkipLineEnd() {
  int c = PeekByte();
  if (c == '\r') {
    NextByte();
    if (PeekByte() == '\n') NextByte();
  } else if (c == '\n') {
    NextByte();
  }
}

bool TTextFile::Eof() {
  RequireInput();
  return PeekByte() < 0;
}

bool TTextFile::Eoln() {
  RequireInput();
  int c = PeekByte();
  return c < 0 || c == '\r' || c == '\n';
}

String TTextFile::ReadLine() {
  RequireInput();
  std::string bytes;
  for (int c = PeekByte(); c >= 0 && c != '\r' && c != '\n'; c = PeekByte()) bytes.push_back(static_cast<char>(NextByte()));
  SkipLineEnd();
  return AnsiToString(bytes);
}

String TTextFile::ReadChars(std::int32_t Count) {
  RequireInput();
  std::string bytes;
  while (static_cast<std::int32_t>(bytes.size()) < Count) {
    int c = PeekByte();
    if (c < 0 || c == '\r' || c == '\n') break;
    bytes.push_back(static_cast<char>(NextByte()));
  }
  return AnsiToString(bytes);
}

void TTextFile::SkipLine() {
  RequireInput();
  for (int c = PeekByte(); c >= 0 && c != '\r' && c != '\n'; c = PeekByte()) NextByte();
  SkipLineEnd();
}

std::int32_t TTextFile::ReadInteger() {
  RequireInput();
  while (IsBlank(PeekByte())) NextByte();
  std::string token;
  // A number longer than this is out of range anyway; the limit keeps a
  // corrupt file from growing the token without end.
  while (PeekByte() >= 0 && !IsBlank(PeekByte()) && token.size() < 32) token.push_back(static_cast<char>(NextByte()));
  std::string_view digits = token;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  int base = 10;
  if (!digits.empty() && digits[0] == '$') {
    base = 16;
    digits.remove_prefix(1);
  }
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || digits[0] == '-' || ec != std::errc() || end != digits.data() + digits.size())
    InOutError(ioInvalidInput, "Invalid numeric input");
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) InOutError(ioInvalidInput, "Invalid numeric input");
  return static_cast<std::int32_t>(value);
}

void TTextFile::Write(std::u16string_view Text) {
  RequireOutput();
  std::string bytes = StringToAnsi(Text);
  try {
    FOutput->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  } catch (const EStreamError& e) {
    throw EInOutError(e.Message(), ioDiskWriteError);
  }
}

void TTextFile::WriteLine(std::u16string_view Text) {
  Write(Text);
  Write(u"\r\n");
}

}  // namespace vx::plat
