#include "platform/graphics/picture.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/metafile.h"

namespace vx::plat {

VX_DEFINE_CLASS(TPicture, TPersistent)
VX_PUBLISH(TPicture)

void TPicture::RegisterProperties(TPropertyRegistry<TPicture>& r) {
  r.Binary("Data", &TPicture::ReadData, &TPicture::WriteData).Stored(&TPicture::HasGraphic);
}

namespace {

// The first bytes of the stream (up to 64), position kept.
std::vector<std::uint8_t> PeekHead(TStream& stream) {
  const std::int64_t start = stream.GetPosition();
  std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::int64_t>(64, stream.Remaining())));
  if (!head.empty()) stream.ReadBuffer(head.data(), std::int64_t(head.size()));
  stream.SetPosition(start);
  return head;
}

std::unique_ptr<TGraphic> NewGraphic(const TGraphic::MetaClass& cls) {
  return std::unique_ptr<TGraphic>(cls.Create());
}

}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::GraphicChanged(TObject*) { Changed(this); }

void TPicture::Install(std::unique_ptr<TGraphic> graphic) {
  if (graphic) graphic->OnChange = TNotifyEvent(this, &TPicture::GraphicChanged);
  FGraphic = std::move(graphic);
  Changed(this);
}

void TPicture::SetGraphic(const TGraphic* value) {
  if (value == FGraphic.get()) return;
  if (!value) {
    Install(nullptr);
    return;
  }
  auto copy = NewGraphic(static_cast<const TGraphic::MetaClass&>(value->ClassType()));
  copy->Assign(value);
  Install(std::move(copy));
}

TGraphic& TPicture::ForceType(const TGraphic::MetaClass& cls) {
  if (!FGraphic || !FGraphic->InheritsFrom(cls)) Install(NewGraphic(cls));
  return *FGraphic;
}

TBitmap& TPicture::GetBitmap() { return static_cast<TBitmap&>(ForceType(TBitmap::StaticClass())); }

TIcon& TPicture::GetIcon() { return static_cast<TIcon&>(ForceType(TIcon::StaticClass())); }

TMetafile& TPicture::GetMetafile() { return static_cast<TMetafile&>(ForceType(TMetafile::StaticClass())); }

std::int32_t TPicture::GetWidth() const { return FGraphic ? FGraphic->GetWidth() : 0; }

std::int32_t TPicture::GetHeight() const { return FGraphic ? FGraphic->GetHeight() : 0; }

std::unique_ptr<TGraphic> TPicture::ReadGraphic(const TGraphic::MetaClass& cls, TStream& stream) {
  auto graphic = NewGraphic(cls);
  graphic->LoadFromStream(stream);
  return graphic;
}

void TPicture::LoadFromFile(const std::string& fileName) {
  TMemoryStream data;
  data.LoadFromFile(fileName);
  const auto head = PeekHead(data);
  const TGraphic::MetaClass* cls = GraphicClassForContent(head);
  if (!cls) cls = GraphicClassForExtension(FileExtension(fileName));
  if (!cls) {
    const std::string ext = FileExtension(fileName);
    throw EInvalidGraphic(ext.empty() ? "Unknown picture file type: " + fileName
                                      : "Unknown picture file extension (." + ext + ")");
  }
  Install(ReadGraphic(*cls, data));
}

void TPicture::LoadFromStream(TStream& stream) {
  const TGraphic::MetaClass* cls = GraphicClassForContent(PeekHead(stream));
  if (!cls) throw EInvalidGraphic("Unknown picture format");
  Install(ReadGraphic(*cls, stream));
}

void TPicture::SaveToFile(const std::string& fileName) {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::SaveToStream(TStream& stream) {
  if (FGraphic) FGraphic->SaveToStream(stream);
}

void TPicture::WriteData(TStream& stream) {
  if (!FGraphic) {
    stream.WriteValue<std::uint8_t>(0);
    return;
  }
  const std::string& name = FGraphic->ClassName();
  stream.WriteValue<std::uint8_t>(std::uint8_t(std::min<std::size_t>(name.size(), 255)));
  stream.WriteBuffer(name.data(), std::int64_t(std::min<std::size_t>(name.size(), 255)));
  FGraphic->SaveToStream(stream);
}

void TPicture::ReadData(TStream& stream) {
  const auto length = stream.ReadValue<std::uint8_t>();
  if (length == 0) {
    Install(nullptr);
    return;
  }
  std::string name(length, '\0');
  stream.ReadBuffer(name.data(), length);
  const TClass* cls = FindClass(name);
  if (!cls || !cls->InheritsFrom(TGraphic::StaticClass()) || cls->IsAbstract())
    throw EInvalidGraphic("Unknown picture class " + name);
  Install(ReadGraphic(static_cast<const TGraphic::MetaClass&>(*cls), stream));
}

void TPicture::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    SetGraphic(nullptr);
    return;
  }
  if (auto* picture = dynamic_cast<const TPicture*>(Source)) {
    SetGraphic(picture->FGraphic.get());
    return;
  }
  if (auto* graphic = dynamic_cast<const TGraphic*>(Source)) {
    SetGraphic(graphic);
    return;
  }
  TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) const {
  if (FGraphic && Dest && Dest->InheritsFrom(TGraphic::StaticClass())) {
    Dest->Assign(FGraphic.get());
    return;
  }
  TPersistent::AssignTo(Dest);
}

}  // namespace vx::plat
