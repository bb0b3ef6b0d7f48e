#include "platform/clipbrd/clipboard_formats.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vx::plat {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every test of this program uses its own registry file in a fresh folder, so
// runs never see each other's names.
class ClipboardFormats : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/vx-clipfmt-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Folder = pattern;
    UseRegistry(Folder / "formats");
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(Folder, ec);
  }
  static void UseRegistry(const fs::path& file) { ::setenv("VX_CLIPBOARD_FORMATS", file.c_str(), 1); }

  static fs::path Folder;
};
fs::path ClipboardFormats::Folder;

TEST_F(ClipboardFormats, SameNameGivesSameNumberIgnoringCase) {
  const std::uint32_t a = RegisterClipboardFormat(u"-1Form1_Drawbox1");
  EXPECT_GE(a, kFirstRegisteredFormat);
  EXPECT_LE(a, kLastRegisteredFormat);
  EXPECT_EQ(RegisterClipboardFormat(u"-1Form1_Drawbox1"), a);
  EXPECT_EQ(RegisterClipboardFormat(u"-1FORM1_DRAWBOX1"), a);
  EXPECT_NE(RegisterClipboardFormat(u"-1Form1_Drawbox2"), a);
  EXPECT_EQ(GetClipboardFormatName(a), u"-1Form1_Drawbox1") << "the first spelling is kept";
  EXPECT_EQ(ClipboardFormatRegistryPath(), (Folder / "formats").string());
}

TEST_F(ClipboardFormats, UnusableNamesGiveZero) {
  EXPECT_EQ(RegisterClipboardFormat(u""), 0u);
  EXPECT_EQ(RegisterClipboardFormat(String(256, u'x')), 0u);
  EXPECT_NE(RegisterClipboardFormat(String(255, u'x')), 0u);
}

TEST_F(ClipboardFormats, StandardAndUnknownNumbersHaveNoName) {
  for (std::uint32_t f : {CF_TEXT, CF_BITMAP, CF_DIB, CF_UNICODETEXT, CF_ENHMETAFILE, 0u, 0xFFFFu})
    EXPECT_EQ(GetClipboardFormatName(f), u"") << f;
}

TEST_F(ClipboardFormats, NamesWithLineBreaksAndNonAsciiSurviveTheFile) {
  const String odd = u"Zeichnung\nÄ\\n€";
  const std::uint32_t n = RegisterClipboardFormat(odd);
  ASSERT_NE(n, 0u);
  const std::uint32_t next = RegisterClipboardFormat(u"after the odd one");
  EXPECT_EQ(next, n + 1) << "an escaped name takes exactly one line";
}

// Runs `work` in a child process and returns the number it reports.
template <class F>
std::uint32_t InChildProcess(F work) {
  int fds[2];
  EXPECT_EQ(::pipe(fds), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    std::uint32_t n = work();
    ssize_t written = ::write(fds[1], &n, sizeof n);
    ::_exit(written == sizeof n ? 0 : 1);
  }
  ::close(fds[1]);
  std::uint32_t n = 0;
  EXPECT_EQ(::read(fds[0], &n, sizeof n), static_cast<ssize_t>(sizeof n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  return n;
}

TEST_F(ClipboardFormats, AnotherProcessGetsTheSameNumber) {
  const std::uint32_t mine = RegisterClipboardFormat(u"-1MainForm_Box");
  // The child registers a name this process has never seen, and one it has.
  const std::uint32_t theirs = InChildProcess([] { return RegisterClipboardFormat(u"-1OtherForm_Box"); });
  const std::uint32_t shared = InChildProcess([] { return RegisterClipboardFormat(u"-1MainForm_Box"); });
  EXPECT_EQ(shared, mine);
  ASSERT_NE(theirs, 0u);
  EXPECT_NE(theirs, mine);
  EXPECT_EQ(RegisterClipboardFormat(u"-1OtherForm_Box"), theirs) << "learnt from the shared registry";
  EXPECT_EQ(GetClipboardFormatName(theirs), u"-1OtherForm_Box");
}

TEST_F(ClipboardFormats, CutOffLastLineIsDroppedBeforeAppending) {
  const fs::path file = Folder / "cut";
  {
    std::ofstream out(file, std::ios::binary);
    out << "vexalith clipboard formats 1\nFirst\nSeco";  // a writer died mid-line
  }
  UseRegistry(file);
  EXPECT_EQ(RegisterClipboardFormat(u"cut-test First"), kFirstRegisteredFormat + 1);
  EXPECT_EQ(ReadText(file), "vexalith clipboard formats 1\nFirst\ncut-test First\n");
  UseRegistry(Folder / "formats");
}

TEST_F(ClipboardFormats, ForeignFileIsLeftAloneAndNumbersStayStableInTheProcess) {
  const fs::path file = Folder / "foreign";
  const std::string foreign = "this is somebody else's file\n";
  {
    std::ofstream out(file, std::ios::binary);
    out << foreign;
  }
  UseRegistry(file);
  const std::uint32_t n = RegisterClipboardFormat(u"foreign-test name");
  EXPECT_GE(n, kFirstRegisteredFormat);
  EXPECT_EQ(RegisterClipboardFormat(u"FOREIGN-TEST NAME"), n);
  EXPECT_NE(RegisterClipboardFormat(u"foreign-test other"), n);
  EXPECT_EQ(ReadText(file), foreign);
  EXPECT_EQ(ClipboardFormatRegistryPath(), "");
  UseRegistry(Folder / "formats");
}

}  // namespace
}  // namespace vx::plat
