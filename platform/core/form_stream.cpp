#include "platform/core/form_stream.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "platform/core/properties.h"
#include "platform/core/stream.h"

namespace vx::plat {

namespace {

constexpr int kMaxNesting = 32;     // object blocks and dotted paths; a deeper file is refused
constexpr std::size_t kHexPerLine = 64;

bool SameAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

std::string Utf8(const String& s) { return StringToUtf8(s); }

[[noreturn]] void FormError(int line, const std::string& message) {
  throw EFormError("line " + std::to_string(line) + ": " + message);
}

// --- value text ------------------------------------------------------------

bool IsPlainChar(char16_t c) { return c >= 0x20 && c < 0x7F; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Printable characters go inside quotes (non-ASCII as UTF-8); control
// characters and lone surrogates as #n, so that every String survives.
std::string QuoteString(const String& s) {
  std::string out;
  bool quoted = false;
  auto open = [&] { if (!quoted) { out += '\''; quoted = true; } };
  auto close = [&] { if (quoted) { out += '\''; quoted = false; } };
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (IsPlainChar(c)) {
      open();
      out += c == u'\'' ? "''" : std::string(1, static_cast<char>(c));
    } else if (IsHighSurrogate(c) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) {
      open();
      out += StringToUtf8(s.substr(i, 2));
      ++i;
    } else if (c >= 0xA0 && !IsHighSurrogate(c) && !IsLowSurrogate(c)) {
      open();
      out += StringToUtf8(s.substr(i, 1));
    } else {
      close();
      out += '#' + std::to_string(static_cast<unsigned>(c));
    }
  }
  if (out.empty()) return "''";
  close();
  return out;
}

std::string FloatText(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Inf" : "Inf";
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, end);
}

// --- tokens ----------------------------------------------------------------

enum class TTokenKind { Ident, Integer, Float, String, Symbol, Binary, End };

struct TToken {
  TTokenKind Kind = TTokenKind::End;
  int Line = 0;
  std::string Text;  // identifier, number text or the symbol
  String Str;        // string value
  std::vector<std::uint8_t> Bytes;
};

class TTokenizer {
public:
  explicit TTokenizer(std::string_view text) : FText(text) {}

  TToken Next() {
    SkipBlanks();
    TToken t;
    t.Line = FLine;
    if (FPos >= FText.size()) return t;
    char c = FText[FPos];
    if (IsIdentStart(c)) {
      t.Kind = TTokenKind::Ident;
      while (FPos < FText.size() && IsIdentChar(FText[FPos])) t.Text += FText[FPos++];
    } else if (IsDigit(c) || c == '$' || ((c == '-' || c == '+') && (IsDigit(Peek(1)) || Peek(1) == '$'))) {
      ReadNumber(t);
    } else if (c == '\'' || c == '#') {
      ReadString(t);
    } else if (c == '{') {
      ReadBinary(t);
    } else if (std::string_view("=:[],.+-()").find(c) != std::string_view::npos) {
      t.Kind = TTokenKind::Symbol;
      t.Text = std::string(1, c);
      ++FPos;
    } else {
      FormError(FLine, "unexpected character '" + std::string(1, c) + "'");
    }
    return t;
  }

private:
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
  static bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
  static bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }
  char Peek(std::size_t ahead) const { return FPos + ahead < FText.size() ? FText[FPos + ahead] : '\0'; }

  // Blanks, line ends (CR LF, LF or CR) and // comments.
  void SkipBlanks() {
    while (FPos < FText.size()) {
      char c = FText[FPos];
      if (c == '\n' || (c == '\r' && Peek(1) != '\n')) {
        ++FLine;
        ++FPos;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++FPos;
      } else if (c == '/' && Peek(1) == '/') {
        while (FPos < FText.size() && FText[FPos] != '\n' && FText[FPos] != '\r') ++FPos;
      } else {
        break;
      }
    }
  }

  void ReadNumber(TToken& t) {
    t.Kind = TTokenKind::Integer;
    if (FText[FPos] == '-' || FText[FPos] == '+') t.Text += FText[FPos++];
    if (Peek(0) == '$') {
      t.Text += FText[FPos++];
      while (IsHex(Peek(0))) t.Text += FText[FPos++];
      return;
    }
    while (IsDigit(Peek(0))) t.Text += FText[FPos++];
    if (Peek(0) == '.' && IsDigit(Peek(1))) {
      t.Kind = TTokenKind::Float;
      t.Text += FText[FPos++];
      while (IsDigit(Peek(0))) t.Text += FText[FPos++];
    }
    if ((Peek(0) == 'e' || Peek(0) == 'E') &&
        (IsDigit(Peek(1)) || ((Peek(1) == '-' || Peek(1) == '+') && IsDigit(Peek(2))))) {
      t.Kind = TTokenKind::Float;
      t.Text += FText[FPos++];
      if (!IsDigit(Peek(0))) t.Text += FText[FPos++];
      while (IsDigit(Peek(0))) t.Text += FText[FPos++];
    }
  }

  // 'quoted' pieces and #n units follow each other without blanks.
  void ReadString(TToken& t) {
    t.Kind = TTokenKind::String;
    while (FPos < FText.size() && (FText[FPos] == '\'' || FText[FPos] == '#')) {
      if (FText[FPos] == '#') {
        ++FPos;
        int base = 10;
        if (Peek(0) == '$') {
          base = 16;
          ++FPos;
        }
        std::size_t start = FPos;
        while (base == 10 ? IsDigit(Peek(0)) : IsHex(Peek(0))) ++FPos;
        unsigned value = 0;
        auto [end, ec] = std::from_chars(FText.data() + start, FText.data() + FPos, value, base);
        if (start == FPos || ec != std::errc() || value > 0xFFFF)
          FormError(FLine, "invalid character code in a string");
        t.Str.push_back(static_cast<char16_t>(value));
        continue;
      }
      ++FPos;
      std::string piece;
      for (;;) {
        if (FPos >= FText.size() || FText[FPos] == '\n' || FText[FPos] == '\r')
          FormError(FLine, "unterminated string");
        char c = FText[FPos++];
        if (c == '\'') {
          if (Peek(0) != '\'') break;
          ++FPos;
        }
        piece += c;
      }
      t.Str += Utf8ToString(piece);
    }
  }

  void ReadBinary(TToken& t) {
    t.Kind = TTokenKind::Binary;
    int startLine = FLine;
    ++FPos;
    int high = -1;
    for (;;) {
      if (FPos >= FText.size()) FormError(startLine, "binary data without closing '}'");
      char c = FText[FPos++];
      if (c == '}') break;
      if (c == '\n' || (c == '\r' && Peek(0) != '\n')) {
        ++FLine;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r') continue;
      if (!IsHex(c)) FormError(FLine, "invalid character '" + std::string(1, c) + "' in binary data");
      int v = IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
      if (high < 0) {
        high = v;
      } else {
        t.Bytes.push_back(static_cast<std::uint8_t>(high * 16 + v));
        high = -1;
      }
    }
    if (high >= 0) FormError(FLine, "binary data with an odd number of hex digits");
  }

  std::string_view FText;
  std::size_t FPos = 0;
  int FLine = 1;
};

// --- syntax tree -------------------------------------------------------------

enum class TValueKind { Integer, Float, String, Ident, Set, Binary };

struct TValueNode {
  TValueKind Kind = TValueKind::Integer;
  int Line = 0;
  std::string Text;                // number text or identifier
  bool Negative = false;           // "-" before an identifier (-Inf)
  String Str;
  std::vector<std::string> Items;  // set members
  std::vector<std::uint8_t> Bytes;
};

struct TPropNode {
  int Line = 0;
  std::vector<std::string> Path;
  TValueNode Value;
};

struct TObjectNode {
  int Line = 0;
  std::string Name;
  std::string ClassName;
  std::vector<TPropNode> Props;
  std::vector<TObjectNode> Children;
};

class TParser {
public:
  explicit TParser(std::string_view text) : FTokens(text) { Advance(); }

  TObjectNode ParseForm() {
    if (FTok.Kind == TTokenKind::End) FormError(FTok.Line, "the form is empty");
    TObjectNode root = ParseObject(0);
    if (FTok.Kind != TTokenKind::End) FormError(FTok.Line, "text after the final 'end'");
    return root;
  }

private:
  void Advance() { FTok = FTokens.Next(); }
  bool IsSymbol(char c) const { return FTok.Kind == TTokenKind::Symbol && FTok.Text[0] == c; }
  bool IsKeyword(const char* word) const { return FTok.Kind == TTokenKind::Ident && SameAscii(FTok.Text, word); }
  std::string Describe() const {
    switch (FTok.Kind) {
      case TTokenKind::End: return "the end of the form";
      case TTokenKind::String: return "a string";
      case TTokenKind::Binary: return "binary data";
      default: return "'" + FTok.Text + "'";
    }
  }
  [[noreturn]] void Expected(const std::string& what) const {
    if (FTok.Kind == TTokenKind::End) FormError(FTok.Line, "unexpected end of the form: " + what + " expected");
    FormError(FTok.Line, what + " expected but " + Describe() + " found");
  }
  std::string TakeIdent(const char* what) {
    if (FTok.Kind != TTokenKind::Ident) Expected(what);
    std::string s = FTok.Text;
    Advance();
    return s;
  }

  TObjectNode ParseObject(int depth) {
    if (depth > kMaxNesting) FormError(FTok.Line, "objects nested too deeply");
    TObjectNode node;
    node.Line = FTok.Line;
    if (!IsKeyword("object")) Expected("'object'");
    Advance();
    std::string first = TakeIdent("a component name or class name");
    if (IsSymbol(':')) {
      Advance();
      node.Name = first;
      node.ClassName = TakeIdent("a class name");
    } else {
      node.ClassName = first;
    }
    for (;;) {
      if (IsKeyword("end")) {
        Advance();
        return node;
      }
      if (IsKeyword("object")) {
        node.Children.push_back(ParseObject(depth + 1));
        continue;
      }
      if (FTok.Kind != TTokenKind::Ident) Expected("a property name, 'object' or 'end'");
      node.Props.push_back(ParseProperty());
    }
  }

  TPropNode ParseProperty() {
    TPropNode prop;
    prop.Line = FTok.Line;
    prop.Path.push_back(TakeIdent("a property name"));
    while (IsSymbol('.')) {
      Advance();
      prop.Path.push_back(TakeIdent("a property name after '.'"));
      if (prop.Path.size() > kMaxNesting) FormError(prop.Line, "property path too long");
    }
    if (!IsSymbol('=')) Expected("'='");
    Advance();
    prop.Value = ParseValue();
    return prop;
  }

  TValueNode ParseValue() {
    TValueNode v;
    v.Line = FTok.Line;
    switch (FTok.Kind) {
      case TTokenKind::Integer:
      case TTokenKind::Float:
        v.Kind = FTok.Kind == TTokenKind::Integer ? TValueKind::Integer : TValueKind::Float;
        v.Text = FTok.Text;
        Advance();
        return v;
      case TTokenKind::String:
        v.Kind = TValueKind::String;
        v.Str = FTok.Str;
        Advance();
        // 'long' + 'text' joins pieces, also across lines
        while (IsSymbol('+')) {
          Advance();
          if (FTok.Kind != TTokenKind::String) Expected("a string after '+'");
          v.Str += FTok.Str;
          Advance();
        }
        return v;
      case TTokenKind::Binary:
        v.Kind = TValueKind::Binary;
        v.Bytes = std::move(FTok.Bytes);
        Advance();
        return v;
      case TTokenKind::Ident:
        v.Kind = TValueKind::Ident;
        v.Text = FTok.Text;
        Advance();
        if (IsSymbol('.')) FormError(v.Line, "references to components of other forms are not supported");
        return v;
      default:
        break;
    }
    if (IsSymbol('-')) {
      Advance();
      if (FTok.Kind != TTokenKind::Ident) Expected("a number");
      v.Kind = TValueKind::Ident;
      v.Negative = true;
      v.Text = FTok.Text;
      Advance();
      return v;
    }
    if (IsSymbol('[')) {
      v.Kind = TValueKind::Set;
      Advance();
      if (IsSymbol(']')) {
        Advance();
        return v;
      }
      for (;;) {
        v.Items.push_back(TakeIdent("a set member"));
        if (IsSymbol(']')) {
          Advance();
          return v;
        }
        if (!IsSymbol(',')) Expected("',' or ']'");
        Advance();
      }
    }
    Expected("a value");
  }

  TTokenizer FTokens;
  TToken FTok;
};

}  // namespace

// --- writer -------------------------------------------------------------------

class TFormWriter {
public:
  explicit TFormWriter(TComponent& root) : FRoot(root) {}

  std::string Write() {
    std::vector<TComponent*> all{&FRoot};
    for (std::int32_t i = 0; i < FRoot.ComponentCount(); ++i) all.push_back(FRoot.Components(i));
    for (TComponent* c : all) c->SetState(csWriting, true);
    try {
      WriteObject(FRoot, 0, [this] {
        for (std::int32_t i = 0; i < FRoot.ComponentCount(); ++i) WriteObject(*FRoot.Components(i), 1, [] {});
      });
    } catch (...) {
      for (TComponent* c : all) c->SetState(csWriting, false);
      throw;
    }
    for (TComponent* c : all) c->SetState(csWriting, false);
    return std::move(FOut);
  }

private:
  template <class Body>
  void WriteObject(TComponent& c, int indent, Body body) {
    Line(indent, "object " + (c.Name().empty() ? "" : Utf8(c.Name()) + ": ") + c.ClassName());
    WriteProperties(c, "", indent + 1, 0);
    body();
    Line(indent, "end");
  }

  void Line(int indent, const std::string& text) {
    FOut.append(static_cast<std::size_t>(indent) * 2, ' ');
    FOut += text;
    FOut += "\r\n";
  }

  void WriteProperties(const TPersistent& obj, const std::string& prefix, int indent, int depth) {
    // A nested object that leads back to its owner would recurse forever.
    if (depth > kMaxNesting) throw EFormError("Objects nested too deeply below " + prefix);
    for (const auto& prop : PublishedInfo(obj).Properties()) {
      if (!prop->IsStored(obj)) continue;
      std::string path = prefix + prop->Name();
      if (prop->Kind() == TPropKind::Class) {
        WriteProperties(*prop->GetObject(obj), path + ".", indent, depth + 1);
        continue;
      }
      std::string value;
      if (!ValueText(obj, *prop, indent, value)) continue;
      Line(indent, path + " = " + value);
    }
  }

  // False when the value cannot be stored by name (and is left out).
  bool ValueText(const TPersistent& obj, const TPropInfo& prop, int indent, std::string& out) {
    switch (prop.Kind()) {
      case TPropKind::Integer:
      case TPropKind::Int64:
        out = std::to_string(prop.GetOrdinal(obj));
        return true;
      case TPropKind::Boolean:
        out = prop.GetOrdinal(obj) ? "True" : "False";
        return true;
      case TPropKind::Enumeration: {
        std::int64_t v = prop.GetOrdinal(obj);
        const auto& names = prop.ValueNames();
        out = v >= 0 && v < static_cast<std::int64_t>(names.size()) ? names[static_cast<std::size_t>(v)] : std::to_string(v);
        return true;
      }
      case TPropKind::Set: {
        auto bits = static_cast<std::uint64_t>(prop.GetOrdinal(obj));
        const auto& names = prop.ValueNames();
        out = "[";
        for (std::size_t i = 0; i < names.size() && i < 64; ++i)
          if (bits & (std::uint64_t(1) << i)) out += (out.size() > 1 ? ", " : "") + names[i];
        out += "]";
        return true;
      }
      case TPropKind::Float:
        out = FloatText(prop.GetFloat(obj));
        return true;
      case TPropKind::String:
        out = QuoteString(prop.GetString(obj));
        return true;
      case TPropKind::Component: {
        TComponent* c = prop.GetComponent(obj);
        if (c != &FRoot && c->Owner() != &FRoot) return false;
        if (c->Name().empty()) return false;
        out = Utf8(c->Name());
        return true;
      }
      case TPropKind::Method:
        out = prop.GetMethodName(obj, FRoot);
        return !out.empty();
      case TPropKind::Binary:
        out = HexBlock(obj, prop, indent);
        return true;
      case TPropKind::Class:
        break;
    }
    return false;
  }

  std::string HexBlock(const TPersistent& obj, const TPropInfo& prop, int indent) {
    TMemoryStream data;
    prop.WriteData(obj, data);
    static const char digits[] = "0123456789ABCDEF";
    const auto& bytes = data.Bytes();
    if (bytes.empty()) return "{}";
    std::string out = "{";
    std::string pad(static_cast<std::size_t>(indent + 1) * 2, ' ');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (i % (kHexPerLine / 2) == 0) out += "\r\n" + pad;
      out += digits[bytes[i] >> 4];
      out += digits[bytes[i] & 15];
    }
    return out + "}";
  }

  TComponent& FRoot;
  std::string FOut;
};

// --- reader -------------------------------------------------------------------

class TFormReader {
public:
  TFormReader(TComponent& root, const TObjectNode& form) : FRoot(root), FForm(form) {}

  void Read() {
    Validate();
    try {
      Apply();
    } catch (...) {
      Rollback();
      throw;
    }
    CallLoaded();
  }

private:
  struct TFixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    std::string Name;
    std::string Owner;  // for messages: the component whose property it is
    int Line;
  };
  struct TPlanned {
    const TObjectNode* Node;
    const TComponentClass* Class;
  };

  // Everything that can be checked without changing anything.
  void Validate() {
    bool fits = false;
    for (const TClass* c = &FRoot.ClassType(); c && !fits; c = c->ClassParent())
      fits = SameAscii(c->ClassName(), FForm.ClassName);
    if (!fits) FormError(FForm.Line, "the form is a " + FForm.ClassName + ", which " + FRoot.ClassName() + " is not");
    if (!FForm.Name.empty() && !IsValidIdent(Utf8ToString(FForm.Name)))
      FormError(FForm.Line, "'" + FForm.Name + "' is not a valid component name");
    std::set<std::string> names;
    PlanChildren(FForm, names);
  }

  void PlanChildren(const TObjectNode& parent, std::set<std::string>& names) {
    for (const TObjectNode& node : parent.Children) {
      const TClass* cls = FindClass(node.ClassName);
      if (!cls) FormError(node.Line, "unknown class '" + node.ClassName + "'");
      auto* componentClass = dynamic_cast<const TComponentClass*>(cls);
      if (!componentClass) FormError(node.Line, node.ClassName + " is not a component class");
      if (!node.Name.empty()) {
        String name = Utf8ToString(node.Name);
        if (!IsValidIdent(name)) FormError(node.Line, "'" + node.Name + "' is not a valid component name");
        if (!names.insert(Utf8(UpperCase(name))).second)
          FormError(node.Line, "a component named " + node.Name + " already exists");
        TComponent* existing = FRoot.FindComponent(name);
        if (existing && !existing->ClassType().InheritsFrom(*cls))
          FormError(node.Line, node.Name + " is a " + existing->ClassName() + ", not a " + node.ClassName);
      }
      if (componentClass->IsAbstract() && (node.Name.empty() || !FRoot.FindComponent(Utf8ToString(node.Name))))
        FormError(node.Line, "cannot create an instance of abstract class " + node.ClassName);
      FPlan.push_back({&node, componentClass});
      PlanChildren(node, names);
    }
  }

  void Apply() {
    Begin(FRoot);
    if (!FForm.Name.empty()) Rename(FRoot, FForm.Name, FForm.Line);
    ApplyProperties(FRoot, FForm);
    FRoot.SetState(csReading, false);
    for (const TPlanned& plan : FPlan) {
      TComponent* c = plan.Node->Name.empty() ? nullptr : FRoot.FindComponent(Utf8ToString(plan.Node->Name));
      if (!c) {
        c = plan.Class->Create(&FRoot);
        FCreated.push_back(c);
        if (!plan.Node->Name.empty()) Rename(*c, plan.Node->Name, plan.Node->Line);
      }
      Begin(*c);
      ApplyProperties(*c, *plan.Node);
      c->SetState(csReading, false);
    }
    ResolveFixups();
  }

  static void ClearState(const std::vector<TComponent*>& list, TComponentStateItem item) {
    for (TComponent* c : list) c->SetState(item, false);
  }

  void Begin(TComponent& c) {
    c.SetState(csLoading, true);
    c.SetState(csReading, true);
    FLoading.push_back(&c);
  }

  void Rename(TComponent& c, const std::string& name, int line) {
    try {
      c.SetName(Utf8ToString(name));
    } catch (const Exception& e) {
      FormError(line, e.Message());
    }
  }

  void Rollback() {
    ClearState(FLoading, csReading);
    ClearState(FLoading, csLoading);
    // Created components go last first, so that their removal notifications
    // reach only components that still exist.
    for (auto it = FCreated.rbegin(); it != FCreated.rend(); ++it) delete *it;
  }

  void CallLoaded() { RunLoaded(FRoot, FLoading); }

public:
  // Loaded for the components in Loading, in component order, then for the
  // root. An error in one Loaded still clears the loading state of the others.
  static void RunLoaded(TComponent& Root, const std::vector<TComponent*>& Loading) {
    std::set<TComponent*> loading(Loading.begin(), Loading.end());
    std::vector<TComponent*> order;
    for (std::int32_t i = 0; i < Root.ComponentCount(); ++i)
      if (loading.count(Root.Components(i))) order.push_back(Root.Components(i));
    order.push_back(&Root);
    try {
      for (TComponent* c : order) c->Loaded();
    } catch (...) {
      ClearState(order, csLoading);
      throw;
    }
  }

  static void FinishBuiltInCode(TComponent& Root) {
    std::vector<TComponent*> all;
    for (std::int32_t i = 0; i < Root.ComponentCount(); ++i) all.push_back(Root.Components(i));
    for (TComponent* c : all) c->SetState(csLoading, true);
    Root.SetState(csLoading, true);
    RunLoaded(Root, all);
  }

private:

  void ApplyProperties(TComponent& c, const TObjectNode& node) {
    for (const TPropNode& prop : node.Props) ApplyProperty(c, prop);
  }

  void ApplyProperty(TComponent& owner, const TPropNode& node) {
    TPersistent* obj = &owner;
    for (std::size_t i = 0; i + 1 < node.Path.size(); ++i) {
      const TPropInfo& prop = FindProperty(*obj, node.Path[i], node.Line);
      if (prop.Kind() != TPropKind::Class)
        FormError(node.Line, "property '" + node.Path[i] + "' of " + obj->ClassName() + " has no properties");
      obj = prop.GetObject(*obj);
      if (!obj) FormError(node.Line, "property '" + node.Path[i] + "' of " + owner.ClassName() + " holds no object");
    }
    const TPropInfo& prop = FindProperty(*obj, node.Path.back(), node.Line);
    try {
      SetValue(*obj, prop, node.Value, owner);
    } catch (const EFormError&) {
      throw;
    } catch (const Exception& e) {
      FormError(node.Line, "invalid value for property '" + prop.Name() + "' of " + obj->ClassName() + ": " + e.Message());
    }
  }

  const TPropInfo& FindProperty(const TPersistent& obj, const std::string& name, int line) {
    const TPropInfo* prop = PublishedInfo(obj).FindProperty(name);
    if (!prop) FormError(line, "unknown property '" + name + "' of " + obj.ClassName());
    return *prop;
  }

  [[noreturn]] static void BadValue(const TPropInfo& prop, const TPersistent& obj, const TValueNode& v,
                                    const std::string& why) {
    FormError(v.Line, "invalid value for property '" + prop.Name() + "' of " + obj.ClassName() + ": " + why);
  }

  static std::int64_t IntegerValue(const TPropInfo& prop, const TPersistent& obj, const TValueNode& v) {
    if (v.Kind != TValueKind::Integer) BadValue(prop, obj, v, "an integer is expected");
    std::string_view text = v.Text;
    bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
    int base = 10;
    if (!text.empty() && text[0] == '$') {
      base = 16;
      text.remove_prefix(1);
    }
    std::uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    const std::uint64_t limit = negative ? std::uint64_t(1) << 63 : (std::uint64_t(1) << 63) - 1;
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || magnitude > limit)
      BadValue(prop, obj, v, v.Text + " is not a valid 64-bit integer");
    return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  }

  static std::int64_t NamedOrdinal(const TPropInfo& prop, const TPersistent& obj, const TValueNode& v,
                                   const std::string& name) {
    int index = prop.FindValueName(name);
    if (index < 0) {
      std::string all;
      for (const auto& n : prop.ValueNames()) all += (all.empty() ? "" : ", ") + n;
      BadValue(prop, obj, v, "'" + name + "' is not one of " + all);
    }
    return index;
  }

  void SetValue(TPersistent& obj, const TPropInfo& prop, const TValueNode& v, TComponent& owner) {
    auto isIdent = [&] { return v.Kind == TValueKind::Ident && !v.Negative; };
    switch (prop.Kind()) {
      case TPropKind::Integer:
      case TPropKind::Int64:
        prop.SetOrdinal(obj, IntegerValue(prop, obj, v));
        return;
      case TPropKind::Boolean:
        if (!isIdent()) BadValue(prop, obj, v, "True or False is expected");
        prop.SetOrdinal(obj, NamedOrdinal(prop, obj, v, v.Text));
        return;
      case TPropKind::Enumeration:
        prop.SetOrdinal(obj, isIdent() ? NamedOrdinal(prop, obj, v, v.Text) : IntegerValue(prop, obj, v));
        return;
      case TPropKind::Set: {
        if (v.Kind != TValueKind::Set) BadValue(prop, obj, v, "a set such as [a, b] is expected");
        std::uint64_t bits = 0;
        for (const auto& item : v.Items) bits |= std::uint64_t(1) << NamedOrdinal(prop, obj, v, item);
        prop.SetOrdinal(obj, static_cast<std::int64_t>(bits));
        return;
      }
      case TPropKind::Float:
        prop.SetFloat(obj, FloatValue(prop, obj, v));
        return;
      case TPropKind::String:
        if (v.Kind != TValueKind::String) BadValue(prop, obj, v, "a quoted string is expected");
        prop.SetString(obj, v.Str);
        return;
      case TPropKind::Class:
        BadValue(prop, obj, v, "it is an object; set its properties (" + prop.Name() + ".Name = ...)");
      case TPropKind::Component:
        if (!isIdent()) BadValue(prop, obj, v, "a component name is expected");
        if (prop.IsReadOnly()) BadValue(prop, obj, v, "the property is read-only");
        if (SameAscii(v.Text, "nil"))
          prop.SetComponent(obj, nullptr);
        else
          FFixups.push_back({&obj, &prop, v.Text, Utf8(owner.Name()), v.Line});
        return;
      case TPropKind::Method:
        if (!isIdent()) BadValue(prop, obj, v, "a method name is expected");
        BindMethod(obj, prop, v, owner);
        return;
      case TPropKind::Binary: {
        if (v.Kind != TValueKind::Binary) BadValue(prop, obj, v, "binary data in braces is expected");
        TMemoryStream data;
        data.WriteBuffer(v.Bytes.data(), static_cast<std::int64_t>(v.Bytes.size()));
        data.SetPosition(0);
        prop.ReadData(obj, data);
        return;
      }
    }
  }

  static double FloatValue(const TPropInfo& prop, const TPersistent& obj, const TValueNode& v) {
    if (v.Kind == TValueKind::Ident) {
      if (SameAscii(v.Text, "NaN") && !v.Negative) return std::nan("");
      if (SameAscii(v.Text, "Inf")) return v.Negative ? -HUGE_VAL : HUGE_VAL;
    }
    if (v.Kind != TValueKind::Integer && v.Kind != TValueKind::Float) BadValue(prop, obj, v, "a number is expected");
    if (v.Text.find('$') != std::string::npos) return static_cast<double>(IntegerValue(prop, obj, v));
    std::string_view text = v.Text;
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) BadValue(prop, obj, v, v.Text + " is not a valid number");
    return value;
  }

  void BindMethod(TPersistent& obj, const TPropInfo& prop, const TValueNode& v, TComponent& owner) {
    if (SameAscii(v.Text, "nil")) {
      prop.SetMethod(obj, FRoot, nullptr);
      return;
    }
    const TMethodInfo* method = PublishedInfo(FRoot).FindMethod(v.Text);
    std::string where = "event '" + prop.Name() + "' of " + (owner.Name().empty() ? owner.ClassName() : Utf8(owner.Name()));
    if (!method) FormError(v.Line, "method '" + v.Text + "' not found in " + FRoot.ClassName() + " (" + where + ")");
    if (method->Signature() != prop.EventSignature())
      FormError(v.Line, "method '" + v.Text + "' of " + FRoot.ClassName() + " does not match " + where);
    prop.SetMethod(obj, FRoot, method);
  }

  void ResolveFixups() {
    for (const TFixup& f : FFixups) {
      TComponent* target = SameAscii(Utf8(FRoot.Name()), f.Name) && !f.Name.empty()
                               ? &FRoot
                               : FRoot.FindComponent(Utf8ToString(f.Name));
      std::string where = "property '" + f.Prop->Name() + "' of " + (f.Owner.empty() ? std::string("a component") : f.Owner);
      if (!target) FormError(f.Line, "component '" + f.Name + "' not found (" + where + ")");
      if (!f.Prop->AcceptsComponent(target))
        FormError(f.Line, where + " needs a " + f.Prop->ComponentClass().ClassName() + "; " + f.Name + " is a " +
                              target->ClassName());
      try {
        f.Prop->SetComponent(*f.Instance, target);
      } catch (const Exception& e) {
        FormError(f.Line, "invalid value for " + where + ": " + e.Message());
      }
    }
  }

  TComponent& FRoot;
  const TObjectNode& FForm;
  std::vector<TPlanned> FPlan;
  std::vector<TComponent*> FCreated;
  std::vector<TComponent*> FLoading;
  std::vector<TFixup> FFixups;
};

namespace {

std::string ReadAll(TStream& Stream) {
  std::string text(static_cast<std::size_t>(Stream.Remaining()), '\0');
  Stream.ReadBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  return text;
}

std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return text;
}

TComponent& RequireRoot(TComponent* Root) {
  if (!Root) throw EFormError("No component to read the form into");
  return *Root;
}

}  // namespace

// --- entry points ---------------------------------------------------------------

std::string FormToText(TComponent* Root) { return TFormWriter(RequireRoot(Root)).Write(); }

void WriteForm(TStream& Stream, TComponent* Root) {
  std::string text = FormToText(Root);
  Stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

void SaveFormToFile(const std::string& FileName, TComponent* Root) {
  std::string text = FormToText(Root);
  TSafeFileStream file(FileName);
  file.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  file.Commit();
}

void FormFromText(std::string_view Text, TComponent* Root) {
  TComponent& root = RequireRoot(Root);
  TObjectNode form = TParser(WithoutByteOrderMark(Text)).ParseForm();
  TFormReader(root, form).Read();
}

void ReadForm(TStream& Stream, TComponent* Root) { FormFromText(ReadAll(Stream), Root); }

void LoadFormFromFile(const std::string& FileName, TComponent* Root) {
  TFileStream file(FileName, fmOpenRead);
  ReadForm(file, Root);
}

void FinishLoading(TComponent* Root) { TFormReader::FinishBuiltInCode(RequireRoot(Root)); }

TComponent* CreateFormFromStream(TStream& Stream, TComponent* Owner) {
  std::string text = ReadAll(Stream);
  TObjectNode form = TParser(WithoutByteOrderMark(text)).ParseForm();
  const TClass* cls = FindClass(form.ClassName);
  auto* componentClass = dynamic_cast<const TComponentClass*>(cls);
  if (!componentClass) FormError(form.Line, "unknown component class '" + form.ClassName + "'");
  if (componentClass->IsAbstract()) FormError(form.Line, "cannot create an instance of abstract class " + form.ClassName);
  std::unique_ptr<TComponent> root(componentClass->Create(Owner));
  TFormReader(*root, form).Read();
  return root.release();
}

}  // namespace vx::plat
