#include "platform/core/stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vx::plat {
namespace {

namespace fs = std::filesystem;

class TempDir : public ::testing::Test {
protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("vx_stream_test_" + std::to_string(::getpid()));
    fs::create_directories(FDir);
  }
  void TearDown() override {
    fs::permissions(FDir, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(FDir);
  }
  std::string Path(const char* name) const { return (FDir / name).string(); }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  fs::path FDir;
};

TEST(MemoryStream, ValuesAreLittleEndianAndSeekStaysInsideTheStream) {
  TMemoryStream s;
  s.WriteValue<std::int32_t>(0x01020304);
  s.WriteValue<std::uint16_t>(0xBEEF);
  EXPECT_EQ(s.GetSize(), 6);
  EXPECT_EQ(s.Bytes(), (std::vector<std::uint8_t>{4, 3, 2, 1, 0xEF, 0xBE}));
  s.Seek(-2, TSeekOrigin::soCurrent);
  EXPECT_EQ(s.ReadValue<std::uint16_t>(), 0xBEEF);
  EXPECT_EQ(s.Seek(-100, TSeekOrigin::soCurrent), 0);
  EXPECT_EQ(s.Seek(-1, TSeekOrigin::soEnd), 5);
  EXPECT_EQ(s.Remaining(), 1);
  s.SetPosition(10);  // past the end: nothing to read, nothing remaining
  EXPECT_EQ(s.Remaining(), 0);
  std::uint8_t b;
  EXPECT_EQ(s.Read(&b, 1), 0);
}

TEST(MemoryStream, ShortReadsRaiseTheStreamReadErrorAndWritesPastTheEndGrow) {
  TMemoryStream s;
  s.WriteValue<std::uint8_t>(7);
  s.SetPosition(0);
  try {
    s.ReadValue<std::int32_t>();
    ADD_FAILURE();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  s.SetPosition(4);
  s.WriteValue<std::uint8_t>(9);
  EXPECT_EQ(s.Bytes(), (std::vector<std::uint8_t>{7, 0, 0, 0, 9}));
  s.SetSize(2);
  EXPECT_EQ(s.GetPosition(), 2);
  s.Clear();
  EXPECT_EQ(s.GetSize(), 0);
}

TEST(MemoryStream, CopyFromZeroCopiesAllOfTheSource) {
  TMemoryStream source, dest;
  source.WriteBuffer("abcdef", 6);
  source.SetPosition(4);
  EXPECT_EQ(dest.CopyFrom(source, 0), 6);
  source.SetPosition(1);
  EXPECT_EQ(dest.CopyFrom(source, 2), 2);
  EXPECT_EQ(std::string(dest.Bytes().begin(), dest.Bytes().end()), "abcdefbc");
  source.SetPosition(5);
  EXPECT_THROW(dest.CopyFrom(source, 3), EReadError);
}

TEST_F(TempDir, FileStreamCreatesReplacesAndReportsMissingFiles) {
  std::string path = Path("data.bin");
  {
    TFileStream f(path, fmCreate);
    f.WriteValue<std::int32_t>(42);
  }
  {
    TFileStream f(path, fmCreate);  // replaces
    f.WriteValue<std::uint8_t>(1);
  }
  TFileStream f(path, fmOpenRead);
  EXPECT_EQ(f.GetSize(), 1);
  EXPECT_EQ(f.ReadValue<std::uint8_t>(), 1);
  EXPECT_THROW(f.ReadValue<std::uint8_t>(), EReadError);

  try {
    TFileStream missing(Path("nothing.bin"), fmOpenRead);
    ADD_FAILURE();
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message().find("nothing.bin"), std::string::npos) << e.Message();
  }
  EXPECT_THROW(TFileStream(FDir.string(), fmOpenRead), EFOpenError);  // a folder is no file
  EXPECT_THROW(TFileStream(Path("no/such/dir.bin"), fmCreate), EFCreateError);
}

TEST_F(TempDir, SafeSaveReplacesOnlyOnCommitAndLeavesNoTemporaryFile) {
  std::string path = Path("drawing.vx");
  {
    std::ofstream(path, std::ios::binary) << "old";
  }
  {
    TSafeFileStream f(path);
    f.WriteBuffer("new content", 11);
    EXPECT_EQ(Slurp(path), "old");  // nothing replaced before Commit
    // no Commit: as if the save had failed half-way
  }
  EXPECT_EQ(Slurp(path), "old");
  {
    TSafeFileStream f(path);
    f.WriteBuffer("new", 3);
    f.Commit();
  }
  EXPECT_EQ(Slurp(path), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(FDir), fs::directory_iterator()), 1);
}

TEST_F(TempDir, SaveToAFolderThatCannotBeWrittenKeepsThePreviousFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  std::string path = Path("keep.vx");
  std::ofstream(path, std::ios::binary) << "precious";
  fs::permissions(FDir, fs::perms::owner_write, fs::perm_options::remove);
  TMemoryStream data;
  data.WriteBuffer("x", 1);
  EXPECT_THROW(data.SaveToFile(path), EFCreateError);
  EXPECT_EQ(Slurp(path), "precious");
}

TEST_F(TempDir, MemoryStreamLoadsAndSavesFiles) {
  std::string path = Path("copy.bin");
  TMemoryStream out;
  out.WriteBuffer("\x00\x01\x02", 3);
  out.SaveToFile(path);
  TMemoryStream in;
  in.WriteBuffer("zz", 2);
  in.LoadFromFile(path);
  EXPECT_EQ(in.Bytes(), out.Bytes());
  EXPECT_EQ(in.GetPosition(), 0);
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(FileExists(FDir.string()));
}

}  // namespace
}  // namespace vx::plat
