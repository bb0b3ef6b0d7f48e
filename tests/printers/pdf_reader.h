// Reads back the PDF files the printer writes, checking their structure on
// the way: header, cross-reference table (every offset must point at its
// "n 0 obj"), trailer, page tree, media boxes and the page images.
#pragma once

#include <gtest/gtest.h>
#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vx::plat::testing {

// zlib's uncompress, looked up at run time: the tests are not linked against
// zlib themselves, and the check must not go through the printer's own code.
inline int Uncompress(std::uint8_t* dest, unsigned long* destSize, const std::uint8_t* source,
                      unsigned long sourceSize) {
  using Fn = int (*)(std::uint8_t*, unsigned long*, const std::uint8_t*, unsigned long);
  static Fn fn = [] {
    void* lib = dlopen("libz.so.1", RTLD_NOW | RTLD_LOCAL);
    return lib ? reinterpret_cast<Fn>(dlsym(lib, "uncompress")) : nullptr;
  }();
  if (!fn) {
    ADD_FAILURE() << "zlib not found";
    return -1;
  }
  return fn(dest, destSize, source, sourceSize);
}

struct PdfImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Rgb;  // decompressed, top row first

  // 0xRRGGBB of pixel (x, y).
  std::uint32_t Pixel(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * Width + x) * 3;
    return (std::uint32_t{Rgb[i]} << 16) | (std::uint32_t{Rgb[i + 1]} << 8) | Rgb[i + 2];
  }
};

struct PdfPage {
  double MediaWidth = 0;
  double MediaHeight = 0;
  std::string Contents;  // the content stream's text
  PdfImage Image;
};

class PdfFile {
public:
  // Parses the file; failures are reported through gtest and leave Ok() false.
  explicit PdfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    FData = s.str();
    FOk = Parse();
  }

  bool Ok() const { return FOk; }
  const std::string& Data() const { return FData; }
  const std::vector<PdfPage>& Pages() const { return FPages; }
  int DeclaredPageCount() const { return FDeclaredCount; }
  // The text of object `n` between "n 0 obj" and "endobj".
  std::string Object(int n) const {
    auto it = FOffsets.find(n);
    if (it == FOffsets.end()) return {};
    const std::size_t end = FData.find("endobj", it->second);
    return FData.substr(it->second, end - it->second);
  }
  int RootObject() const { return FRoot; }
  int InfoObject() const { return FInfo; }

  // The number after `key` in `text` (e.g. "/Width 100"), or -1.
  static double NumberAfter(const std::string& text, const std::string& key) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos) return -1;
    return std::strtod(text.c_str() + at + key.size(), nullptr);
  }
  // The object number of the reference after `key` ("/Pages 2 0 R" -> 2), or -1.
  static int RefAfter(const std::string& text, const std::string& key) {
    const double n = NumberAfter(text, key);
    return static_cast<int>(n);
  }

private:
  bool Parse() {
    if (FData.rfind("%PDF-1.4\n", 0) != 0) {
      ADD_FAILURE() << "no PDF 1.4 header";
      return false;
    }
    const std::size_t startxref = FData.rfind("startxref\n");
    if (startxref == std::string::npos || FData.find("%%EOF", startxref) == std::string::npos) {
      ADD_FAILURE() << "no startxref / %%EOF";
      return false;
    }
    const std::size_t xref = std::strtoull(FData.c_str() + startxref + 10, nullptr, 10);
    if (FData.compare(xref, 5, "xref\n") != 0) {
      ADD_FAILURE() << "startxref does not point at the xref table";
      return false;
    }
    char* end = nullptr;
    const char* p = FData.c_str() + xref + 5;
    const long first = std::strtol(p, &end, 10);
    const long count = std::strtol(end, &end, 10);
    if (first != 0 || count < 1 || *end != '\n') {
      ADD_FAILURE() << "bad xref subsection header";
      return false;
    }
    const std::size_t entries = static_cast<std::size_t>(end + 1 - FData.c_str());
    for (long i = 0; i < count; ++i) {
      const std::string entry = FData.substr(entries + static_cast<std::size_t>(i) * 20, 20);
      if (entry.size() != 20 || entry[10] != ' ' || entry[16] != ' ' || entry.substr(18) != " \n") {
        ADD_FAILURE() << "xref entry " << i << " is not 20 bytes: " << entry;
        return false;
      }
      if (i == 0) {
        EXPECT_EQ(entry, "0000000000 65535 f \n");
        continue;
      }
      EXPECT_EQ(entry[17], 'n');
      const std::size_t offset = std::strtoull(entry.c_str(), nullptr, 10);
      const std::string header = std::to_string(i) + " 0 obj";
      if (FData.compare(offset, header.size(), header) != 0) {
        ADD_FAILURE() << "xref offset of object " << i << " does not point at \"" << header << "\"";
        return false;
      }
      FOffsets[static_cast<int>(i)] = offset;
    }
    const std::size_t trailer = FData.find("trailer", entries + static_cast<std::size_t>(count) * 20);
    if (trailer == std::string::npos) {
      ADD_FAILURE() << "no trailer";
      return false;
    }
    const std::string t = FData.substr(trailer, startxref - trailer);
    EXPECT_EQ(NumberAfter(t, "/Size "), count);
    FRoot = RefAfter(t, "/Root ");
    FInfo = RefAfter(t, "/Info ");
    const std::string catalog = Object(FRoot);
    EXPECT_NE(catalog.find("/Type /Catalog"), std::string::npos);
    const std::string tree = Object(RefAfter(catalog, "/Pages "));
    EXPECT_NE(tree.find("/Type /Pages"), std::string::npos);
    FDeclaredCount = static_cast<int>(NumberAfter(tree, "/Count "));
    std::size_t kid = tree.find("/Kids [");
    if (kid == std::string::npos) {
      ADD_FAILURE() << "no /Kids";
      return false;
    }
    const char* k = tree.c_str() + kid + 7;
    while (true) {
      char* after = nullptr;
      const long n = std::strtol(k, &after, 10);
      if (after == k) break;
      FPages.push_back(ReadPage(static_cast<int>(n)));
      k = after;
      while (*k == ' ' || *k == '0' || *k == 'R') {
        if (*k == 'R') {
          ++k;
          break;
        }
        ++k;
      }
    }
    return !::testing::Test::HasFailure();
  }

  std::string StreamBytes(int n) const {
    const std::string obj = Object(n);
    const std::size_t length = static_cast<std::size_t>(NumberAfter(obj, "/Length "));
    const std::size_t start = FOffsets.at(n) + obj.find("stream\n") + 7;
    EXPECT_EQ(FData.compare(start + length, 10, "\nendstream"), 0) << "stream " << n << " /Length is wrong";
    return FData.substr(start, length);
  }

  PdfPage ReadPage(int n) {
    PdfPage page;
    const std::string obj = Object(n);
    EXPECT_NE(obj.find("/Type /Page "), std::string::npos);
    const std::size_t box = obj.find("/MediaBox [0 0 ");
    EXPECT_NE(box, std::string::npos);
    char* end = nullptr;
    page.MediaWidth = std::strtod(obj.c_str() + box + 15, &end);
    page.MediaHeight = std::strtod(end, nullptr);
    page.Contents = StreamBytes(RefAfter(obj, "/Contents "));
    const int image = RefAfter(obj, "/Im1 ");
    const std::string dict = Object(image);
    EXPECT_NE(dict.find("/Subtype /Image"), std::string::npos);
    EXPECT_NE(dict.find("/Filter /FlateDecode"), std::string::npos);
    EXPECT_NE(dict.find("/ColorSpace /DeviceRGB /BitsPerComponent 8"), std::string::npos);
    page.Image.Width = static_cast<int>(NumberAfter(dict, "/Width "));
    page.Image.Height = static_cast<int>(NumberAfter(dict, "/Height "));
    const std::string packed = StreamBytes(image);
    unsigned long size = static_cast<unsigned long>(page.Image.Width) * page.Image.Height * 3;
    page.Image.Rgb.resize(size);
    EXPECT_EQ(Uncompress(page.Image.Rgb.data(), &size, reinterpret_cast<const std::uint8_t*>(packed.data()),
                         packed.size()),
              0);
    EXPECT_EQ(size, page.Image.Rgb.size());
    return page;
  }

  std::string FData;
  bool FOk = false;
  std::map<int, std::size_t> FOffsets;
  std::vector<PdfPage> FPages;
  int FDeclaredCount = 0;
  int FRoot = 0;
  int FInfo = 0;
};

}  // namespace vx::plat::testing
