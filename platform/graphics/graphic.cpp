#include "platform/graphics/graphic.h"

#include <algorithm>
#include <cctype>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/imaging/image.h"

namespace vx::plat {

VX_DEFINE_CLASS(TGraphic, TPersistent)

void TGraphic::SetSize(std::int32_t width, std::int32_t height) {
  SetWidth(width);
  SetHeight(height);
}

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed(this);
  else
    FModified = false;
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  TSafeFileStream stream(fileName);
  SaveToStream(stream);
  stream.Commit();
}

// ---------------------------------------------------------------------------
// The registry of file formats
// ---------------------------------------------------------------------------

namespace {

std::string NormaliseExtension(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  std::string r(extension);
  std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return r;
}

template <imaging::TImageFormat Format>
bool SniffFormat(std::span<const std::uint8_t> head) {
  return imaging::DetectFormat(head) == Format;
}

std::vector<TGraphicFileFormat> BuiltinFormats() {
  const auto& bitmap = TBitmap::StaticClass();
  const auto& icon = TIcon::StaticClass();
  const auto& jpeg = TJPEGImage::StaticClass();
  return {
      {"bmp", u"Bitmaps", &bitmap, &SniffFormat<imaging::TImageFormat::ifBmp>},
      {"png", u"Portable network graphics", &bitmap, &SniffFormat<imaging::TImageFormat::ifPng>},
      {"ico", u"Icons", &icon, &SniffFormat<imaging::TImageFormat::ifIco>},
      {"jpg", u"JPEG images", &jpeg, &SniffFormat<imaging::TImageFormat::ifJpeg>},
      {"jpeg", u"JPEG images", &jpeg, nullptr},
      {"jpe", u"JPEG images", &jpeg, nullptr},
      {"jfif", u"JPEG images", &jpeg, nullptr},
  };
}

// Built-in formats come first; the registry is made on first use so that no
// static initialisation order matters.
std::vector<TGraphicFileFormat>& Formats() {
  static std::vector<TGraphicFileFormat> formats = BuiltinFormats();
  return formats;
}

}  // namespace

void RegisterFileFormat(std::string_view extension, const String& description, const TGraphic::MetaClass& cls,
                        TGraphicSniffer sniffer) {
  auto& formats = Formats();
  const std::string ext = NormaliseExtension(extension);
  auto it = std::find_if(formats.begin(), formats.end(), [&](const auto& f) { return f.Extension == ext; });
  TGraphicFileFormat format{ext, description, &cls, sniffer};
  if (it != formats.end())
    *it = format;
  else
    formats.push_back(format);
}

void UnregisterGraphicClass(const TGraphic::MetaClass& cls) {
  std::erase_if(Formats(), [&](const auto& f) { return f.GraphicClass == &cls; });
}

const TGraphic::MetaClass* GraphicClassForExtension(std::string_view extension) {
  const std::string ext = NormaliseExtension(extension);
  for (const auto& f : Formats())
    if (f.Extension == ext) return f.GraphicClass;
  return nullptr;
}

const TGraphic::MetaClass* GraphicClassForContent(std::span<const std::uint8_t> head) {
  for (const auto& f : Formats())
    if (f.Sniffer && f.Sniffer(head)) return f.GraphicClass;
  return nullptr;
}

std::vector<TGraphicFileFormat> GraphicFileFormats() { return Formats(); }

String GraphicFilter(const TGraphic::MetaClass& cls) {
  String all;
  String entries;
  for (const auto& f : Formats()) {
    if (!f.GraphicClass->InheritsFrom(cls)) continue;
    const String mask = u"*." + Utf8ToString(f.Extension);
    if (!all.empty()) all += u';';
    all += mask;
    entries += u'|' + f.Description + u" (" + mask + u")|" + mask;
  }
  if (all.empty()) return {};
  return u"All (" + all + u")|" + all + entries;
}

std::string FileExtension(std::string_view fileName) {
  const auto dot = fileName.find_last_of('.');
  const auto slash = fileName.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return NormaliseExtension(fileName.substr(dot + 1));
}

}  // namespace vx::plat
