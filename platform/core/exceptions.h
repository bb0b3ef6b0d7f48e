// The exception family of the platform: every error the platform or the library
// raises derives from Exception and carries a message a user can read.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vx::plat {

// Base of all platform and library errors; Message() is UTF-8 text.
class Exception : public std::exception {
public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const char* what() const noexcept override { return FMessage.c_str(); }
  const std::string& Message() const noexcept { return FMessage; }

private:
  std::string FMessage;
};

// The silent abort: a host's default handler never shows it to the user.
class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
};

// Raises the silent abort.
[[noreturn]] void Abort();

// Index, capacity and count errors of lists.
class EListError : public Exception {
public:
  using Exception::Exception;
};
[[noreturn]] void ListIndexError(std::int64_t index);     // "List index out of bounds (%d)"
[[noreturn]] void ListCapacityError(std::int64_t value);  // "List capacity out of bounds (%d)"
[[noreturn]] void ListCountError(std::int64_t value);     // "List count out of bounds (%d)"

// Stream errors: a read that ends early raises EReadError ("Stream read error").
class EStreamError : public Exception {
public:
  using Exception::Exception;
};
class EReadError : public EStreamError {
public:
  explicit EReadError(std::string message = "Stream read error") : EStreamError(std::move(message)) {}
};
class EWriteError : public EStreamError {
public:
  explicit EWriteError(std::string message = "Stream write error") : EStreamError(std::move(message)) {}
};
class EFOpenError : public EStreamError {
public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
  using EStreamError::EStreamError;
};

// Input/output errors of text files carry a numeric code (106: invalid numeric input).
class EInOutError : public Exception {
public:
  EInOutError(std::string message, int errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};

class EOutOfMemory : public Exception {
public:
  EOutOfMemory() : Exception("Out of memory") {}
};

// Default Assign failure: "Cannot assign a X to a Y".
class EConvertError : public Exception {
public:
  using Exception::Exception;
};

// Errors of the text form format (unknown class or property, malformed line).
class EFormError : public Exception {
public:
  using Exception::Exception;
};

// Errors of decoders (pictures, metafiles): the message says what was wrong.
class EInvalidGraphic : public Exception {
public:
  using Exception::Exception;
};

}  // namespace vx::plat
