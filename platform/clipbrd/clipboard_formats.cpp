#include "platform/clipbrd/clipboard_formats.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace vx::plat {

namespace {

constexpr std::size_t kMaxNameLength = 255;
constexpr std::size_t kMaxRegistered = kLastRegisteredFormat - kFirstRegisteredFormat + 1;
// Far above what 0x4000 names of 255 units can take, so a bigger file is not ours.
constexpr off_t kMaxRegistryBytes = 16 << 20;
constexpr char kRegistryHeader[] = "vexalith clipboard formats 1\n";

// Names are written one per line; a backslash escapes the characters that
// would break the line structure.
std::string EscapeName(const String& name) {
  std::string out;
  for (char c : StringToUtf8(name)) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

String UnescapeName(std::string_view line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\\' && i + 1 < line.size()) {
      char n = line[++i];
      out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    } else {
      out += c;
    }
  }
  return Utf8ToString(out);
}

// A descriptor closed on every path.
class FileDescriptor {
public:
  explicit FileDescriptor(int fd) : FFd(fd) {}
  ~FileDescriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return FFd; }
  bool Valid() const { return FFd >= 0; }

private:
  int FFd;
};

// Holds the whole-file write lock for a scope (released with the descriptor too).
class FileLock {
public:
  explicit FileLock(int fd) : FFd(fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    int rc;
    do rc = ::fcntl(fd, F_SETLKW, &fl);
    while (rc != 0 && errno == EINTR);
    FLocked = rc == 0;
  }
  ~FileLock() {
    if (!FLocked) return;
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    ::fcntl(FFd, F_SETLK, &fl);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Locked() const { return FLocked; }

private:
  int FFd;
  bool FLocked = false;
};

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::optional<std::string> ReadAll(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxRegistryBytes) return std::nullopt;
  std::string data(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < data.size()) {
    ssize_t n = ::pread(fd, data.data() + got, data.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  data.resize(got);
  return data;
}

// A private folder under /tmp: created with mode 0700, accepted only when it
// is a real folder of this user that nobody else may write to.
std::string PrivateTmpFolder() {
  std::string dir = "/tmp/vexalith-" + std::to_string(::getuid());
  ::mkdir(dir.c_str(), 0700);
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & 0022) != 0)
    return {};
  return dir;
}

std::string RegistryPath() {
  if (const char* p = std::getenv("VX_CLIPBOARD_FORMATS"); p && *p) return p;
  if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run)
    return std::string(run) + "/vexalith-clipboard-formats";
  std::string dir = PrivateTmpFolder();
  return dir.empty() ? std::string() : dir + "/clipboard-formats";
}

// The names of the registry file, in number order; nullopt when the file is
// not a registry.
std::optional<std::vector<String>> ParseRegistry(std::string_view data) {
  const std::string_view header = kRegistryHeader;
  if (data.substr(0, header.size()) != header) return std::nullopt;
  data.remove_prefix(header.size());
  std::vector<String> names;
  while (!data.empty() && names.size() < kMaxRegistered) {
    std::size_t end = data.find('\n');
    if (end == std::string_view::npos) break;  // a line cut off by a crashed writer
    names.push_back(UnescapeName(data.substr(0, end)));
    data.remove_prefix(end + 1);
  }
  return names;
}

// The process's view of the numbers: what it learnt from the registry file,
// or its own table when there is no usable file.
class FormatTable {
public:
  std::mutex Mutex;

  std::uint32_t Register(const String& name) {
    const String key = UpperCase(name);
    if (auto it = FByKey.find(key); it != FByKey.end()) return it->second;
    std::uint32_t number = RegisterInFile(name, key);
    if (number == 0 && !FFileUsable) number = RegisterLocally(key);
    if (number != 0) Remember(name, key, number);
    return number;
  }

  String Name(std::uint32_t format) {
    if (auto it = FByNumber.find(format); it != FByNumber.end()) return it->second;
    if (format >= kFirstRegisteredFormat && format <= kLastRegisteredFormat) {
      // Another process may have registered it: look it up in the file.
      if (auto names = ReadRegistry(); names && format - kFirstRegisteredFormat < names->size()) {
        const String& name = (*names)[format - kFirstRegisteredFormat];
        Remember(name, UpperCase(name), format);
        return name;
      }
    }
    return {};
  }

  std::string Path() {
    std::string path = RegistryPath();
    return FFileUsable && !path.empty() ? path : std::string();
  }

private:
  void Remember(const String& name, const String& key, std::uint32_t number) {
    FByKey.emplace(key, number);
    FByNumber.emplace(number, name);
  }

  std::optional<std::vector<String>> ReadRegistry() {
    const std::string path = RegistryPath();
    if (path.empty()) return std::nullopt;
    FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.Valid()) return std::nullopt;
    FileLock lock(fd.Get());
    if (!lock.Locked()) return std::nullopt;
    auto data = ReadAll(fd.Get());
    return data ? ParseRegistry(*data) : std::nullopt;
  }

  // 0 with FFileUsable false when the file cannot be used, 0 with it true
  // when the registry is full.
  std::uint32_t RegisterInFile(const String& name, const String& key) {
    FFileUsable = false;
    const std::string path = RegistryPath();
    if (path.empty()) return 0;
    FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid()) return 0;
    FileLock lock(fd.Get());
    if (!lock.Locked()) return 0;
    auto data = ReadAll(fd.Get());
    if (!data) return 0;
    if (data->empty()) {
      if (!WriteAll(fd.Get(), kRegistryHeader)) return 0;
      *data = kRegistryHeader;
    }
    auto names = ParseRegistry(*data);
    if (!names) return 0;
    FFileUsable = true;
    for (std::size_t i = 0; i < names->size(); ++i)
      if (UpperCase((*names)[i]) == key) return kFirstRegisteredFormat + static_cast<std::uint32_t>(i);
    if (names->size() >= kMaxRegistered) return 0;
    // Drop a cut-off last line before appending, so the numbering stays intact.
    const std::size_t whole = data->rfind('\n') + 1;
    if (whole != data->size() && ::ftruncate(fd.Get(), static_cast<off_t>(whole)) != 0) return 0;
    if (::lseek(fd.Get(), 0, SEEK_END) < 0 || !WriteAll(fd.Get(), EscapeName(name) + "\n")) {
      FFileUsable = false;
      return 0;
    }
    return kFirstRegisteredFormat + static_cast<std::uint32_t>(names->size());
  }

  // Without a file: a number derived from the name (so that it does not
  // depend on the order of registration), moved on past numbers in use.
  std::uint32_t RegisterLocally(const String& key) {
    if (FByNumber.size() >= kMaxRegistered) return 0;
    std::uint32_t hash = 2166136261u;
    for (char16_t c : key) hash = (hash ^ c) * 16777619u;
    std::uint32_t offset = hash % kMaxRegistered;
    while (FByNumber.count(kFirstRegisteredFormat + offset)) offset = (offset + 1) % kMaxRegistered;
    return kFirstRegisteredFormat + offset;
  }

  std::map<String, std::uint32_t> FByKey;
  std::map<std::uint32_t, String> FByNumber;
  bool FFileUsable = false;
};

FormatTable& Formats() {
  static FormatTable* table = new FormatTable;
  return *table;
}

}  // namespace

std::uint32_t RegisterClipboardFormat(const String& name) {
  if (name.empty() || name.size() > kMaxNameLength) return 0;
  FormatTable& t = Formats();
  std::lock_guard lock(t.Mutex);
  return t.Register(name);
}

String GetClipboardFormatName(std::uint32_t format) {
  FormatTable& t = Formats();
  std::lock_guard lock(t.Mutex);
  return t.Name(format);
}

std::string ClipboardFormatRegistryPath() {
  FormatTable& t = Formats();
  std::lock_guard lock(t.Mutex);
  return t.Path();
}

}  // namespace vx::plat
