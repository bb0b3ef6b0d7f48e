#include "platform/core/textfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/core/exceptions.h"

namespace vx::plat {
namespace {

namespace fs = std::filesystem;

class TextFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("vx_textfile_test_" + std::to_string(::getpid()));
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }
  std::string Write(const std::string& bytes) {
    std::string path = (FDir / "input.map").string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static int IoCode(const std::function<void()>& f) {
    try {
      f();
    } catch (const EInOutError& e) {
      return e.ErrorCode;
    }
    return 0;
  }
  fs::path FDir;
};

TEST_F(TextFileTest, ReadsAMapFileTheClassicWay) {
  // A name in 20 characters, then two numbers; the lines end in CR LF.
  std::string path = Write(
      "header\r\n"
      "map*********\r\n"
      "\r\n"
      "             Points1    3    5\r\n"
      "  Caf\xE9              12   -7\r\n");
  TTextFile f;
  f.Reset(path);
  EXPECT_EQ(f.ReadChars(6), u"header");
  EXPECT_TRUE(f.Eoln());
  f.SkipLine();
  EXPECT_EQ(f.ReadChars(6), u"map***");
  EXPECT_EQ(f.ReadLine(), u"******");
  EXPECT_EQ(f.ReadLine(), u"");
  EXPECT_EQ(f.ReadChars(20), u"             Points1");
  EXPECT_EQ(f.ReadInteger(), 3);
  EXPECT_EQ(f.ReadInteger(), 5);
  f.SkipLine();
  EXPECT_EQ(f.ReadChars(20), u"  Caf\u00e9              ");
  EXPECT_EQ(f.ReadInteger(), 12);
  EXPECT_EQ(f.ReadInteger(), -7);
  EXPECT_FALSE(f.Eof());  // the final line end is still there
  f.SkipLine();
  EXPECT_TRUE(f.Eof());
  EXPECT_TRUE(f.Eoln());
  EXPECT_EQ(f.ReadLine(), u"");
  f.Reset();  // back to the start
  EXPECT_EQ(f.ReadLine(), u"header");
  f.Close();
  EXPECT_FALSE(f.IsOpen());
}

TEST_F(TextFileTest, LineEndsMayBeCrLfLfOrCr) {
  TTextFile f;
  f.Reset(Write("a\nb\rc\r\nd"));
  for (const char16_t* line : {u"a", u"b", u"c", u"d"}) EXPECT_EQ(f.ReadLine(), line);
  EXPECT_TRUE(f.Eof());
}

TEST_F(TextFileTest, ReadIntegerSkipsLineEndsAndRejectsMalformedNumbers) {
  struct Case {
    const char* text;
    std::int32_t value;  // when ok
    bool ok;
  } cases[] = {
      {"  42", 42, true},          {"\r\n\r\n\t-17 x", -17, true}, {"+5", 5, true},
      {"$1F", 31, true},           {"2147483647", 2147483647, true}, {"-2147483648", -2147483647 - 1, true},
      {"2147483648", 0, false},    {"12abc", 0, false},           {"abc", 0, false},
      {"--5", 0, false},           {"-", 0, false},               {"   \r\n", 0, false},
      {"99999999999999999999999999999999999999999", 0, false},
  };
  for (const Case& c : cases) {
    TTextFile f;
    f.Reset(Write(c.text));
    if (c.ok) {
      EXPECT_EQ(f.ReadInteger(), c.value) << c.text;
    } else {
      try {
        f.ReadInteger();
        ADD_FAILURE() << c.text;
      } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 106) << c.text;
        EXPECT_EQ(e.Message(), "Invalid numeric input");
      }
    }
  }
}

TEST_F(TextFileTest, MissingFilesAndMisuseReportTheirCodes) {
  TTextFile f;
  std::string missing = (FDir / "nope.map").string();
  try {
    f.Reset(missing);
    ADD_FAILURE();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 2);
    EXPECT_EQ(e.Message(), "File not found");
  }
  EXPECT_EQ(IoCode([&] { f.Reset(FDir.string()); }), 2);  // a folder
  EXPECT_EQ(IoCode([&] { f.ReadLine(); }), 103);
  f.Rewrite((FDir / "out.map").string());
  EXPECT_EQ(IoCode([&] { f.ReadLine(); }), 104);
  f.Close();
  f.Reset(Write("x"));
  EXPECT_EQ(IoCode([&] { f.WriteLine(u"x"); }), 105);
  EXPECT_EQ(IoCode([&] { f.Rewrite((FDir / "no" / "such" / "dir.map").string()); }), 5);
}

TEST_F(TextFileTest, WritingUsesWindows1252AndCrLfAndReplacesTheFileOnlyAtClose) {
  std::string path = (FDir / "out.map").string();
  std::ofstream(path, std::ios::binary) << "previous";
  TTextFile f;
  f.Rewrite(path);
  f.Write(u"Caf\u00e9 \u20ac ");
  f.WriteLine(u"\u4e2d");
  f.WriteLine();
  EXPECT_EQ(Slurp(path), "previous");
  f.Close();
  EXPECT_EQ(Slurp(path), "Caf\xE9 \x80 ?\r\n\r\n");
}

TEST_F(TextFileTest, AFileWrittenButNeverClosedLeavesThePreviousFile) {
  std::string path = (FDir / "out.map").string();
  std::ofstream(path, std::ios::binary) << "previous";
  {
    TTextFile f;
    f.Rewrite(path);
    f.WriteLine(u"half a map");
  }
  EXPECT_EQ(Slurp(path), "previous");
  EXPECT_EQ(std::distance(fs::directory_iterator(FDir), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace vx::plat
