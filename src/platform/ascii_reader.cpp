#include "platform/ascii_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/application.h"
#include "platform/component.h"
#include "platform/message_server.h"
#include "runtime/class_registry.h"
#include "runtime/message.h"
#include "runtime/number_text.h"

namespace zv {
namespace {

// Sections being read by every reader of the process; references into
// other files nest readers, and this bounds them together.
int& ProcessNesting() {
    static int depth = 0;
    return depth;
}

class TNesting {
public:
    explicit TNesting(int& depth) : depth_(depth) {
        if (ProcessNesting() >= kMaxStreamNesting)
            throw EReadError("Sections nested deeper than " + std::to_string(kMaxStreamNesting) + " levels");
        ++depth_;
        ++ProcessNesting();
    }
    ~TNesting() {
        --depth_;
        --ProcessNesting();
    }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;

private:
    int& depth_;
};

std::string TrimRight(const std::string& s) {
    size_t end = s.find_last_not_of(" \t");
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

bool IsSectionLine(const std::string& line, const char* key) {
    return UpperCaseName(TrimRight(line)) == std::string(key) + "=";
}

bool IsAnySectionLine(const std::string& line) {
    return IsSectionLine(line, "BEGINCLASS") || IsSectionLine(line, "ENDCLASS");
}

std::string NameOf(const std::string& line) { return line.substr(0, line.find('=')); }

std::string ValueOf(const std::string& line) {
    size_t cut = line.find('=');
    return cut == std::string::npos ? std::string() : line.substr(cut + 1);
}

std::string Replaced(std::string s, char from, char to) {
    std::replace(s.begin(), s.end(), from, to);
    return s;
}

void NotFound(const std::string& key) { ShowMessage(" Field " + key + " nicht gefunden"); }

template <class T>
void FillArray(TPointArray& a, const std::vector<T>& values) {
    if (values.size() > static_cast<size_t>(kMaxStreamItems)) throw EReadError("Too many items in one array");
    TPointArray fresh{};
    int32_t count = static_cast<int32_t>(values.size());
    ArrayInit(fresh, static_cast<int32_t>(sizeof(T)), count);
    ArraySetCount(fresh, count);
    if (count > 0) std::memcpy(fresh.Data, values.data(), values.size() * sizeof(T));
    ArrayClear(a);
    a = fresh;
    a.SelfRef = &a;
}

template <class T, class Parse>
std::vector<T> ParseItems(const std::string& text, Parse parse) {
    std::vector<T> values;
    for (const std::string& item : ArrayItems(text)) values.push_back(parse(item));
    return values;
}

}  // namespace

// Hears of every framework component that dies while an outermost read
// runs, so that the reader never touches one that was freed.
class TReadWatch : public Tzvreceiver {
public:
    TAsciireader* Reader = nullptr;
    void Receive(TzvServer*, int32_t message, TComponent* data) override {
        if (message == zvmDestroyed && Reader && data) Reader->Died(data);
    }

protected:
    friend class TComponent;
    explicit TReadWatch(TComponent* owner) : Tzvreceiver(owner) {}
};

TAsciireader::TWatchScope::TWatchScope(TAsciireader& reader, bool active) : reader_(reader), active_(active) {
    if (!active) return;
    TReadWatch* watch = TComponent::Create<TReadWatch>(nullptr);
    watch->Reader = &reader;
    GlobalMessageServer()->AddReceiver(watch);
    reader.watch_ = watch;
}

TAsciireader::TWatchScope::~TWatchScope() {
    if (!active_ || !reader_.watch_) return;
    GlobalMessageServer()->RemoveReceiver(reader_.watch_);
    reader_.watch_->Free();
    reader_.watch_ = nullptr;
}

const TClass& TAsciireader::Class() {
    static const TClass info("TAsciireader", &TZVReader::Class(), &NewInstance<TAsciireader>);
    return info;
}
const TClass& TAsciireader::ClassType() const { return Class(); }

// The stream is left where reading ended.
TAsciireader::~TAsciireader() {
    DropLinksIf(true, [](const TlinkItem&) { return true; });
    try {
        if (stream_) stream_->Seek(GetPosition());
    } catch (const std::exception&) {
    }
}

void TAsciireader::CreateOnStream(TStream* stream) {
    stream_ = stream;
    buffer_.clear();
    bufferAt_ = 0;
    bufferStart_ = stream ? stream->Position() : 0;
    lineNumber_ = 0;
    lineStart_ = bufferStart_;
}

// ---- lines -----------------------------------------------------------------

bool TAsciireader::Refill() {
    bufferStart_ += static_cast<int64_t>(buffer_.size());
    buffer_.resize(size_t{1} << 16);
    buffer_.resize(stream_->Read(buffer_.data(), buffer_.size()));
    bufferAt_ = 0;
    return !buffer_.empty();
}

bool TAsciireader::NextLineOrEnd(std::string& line) {
    if (!stream_) throw EReadError("The reader has no stream");
    line.clear();
    lineStart_ = GetPosition();
    bool any = false;
    for (;;) {
        if (bufferAt_ == buffer_.size() && !Refill()) break;
        any = true;
        const char* begin = buffer_.data() + bufferAt_;
        const size_t available = buffer_.size() - bufferAt_;
        const char* end = static_cast<const char*>(std::memchr(begin, '\n', available));
        const size_t take = end ? static_cast<size_t>(end - begin) : available;
        if (line.size() + take > kMaxStreamLine)
            throw EReadError("Line " + std::to_string(lineNumber_ + 1) + " is longer than " +
                             std::to_string(kMaxStreamLine) + " bytes");
        line.append(begin, take);
        bufferAt_ += take;
        if (end) {
            ++bufferAt_;
            break;
        }
    }
    if (!any) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++lineNumber_;
    return true;
}

std::string TAsciireader::NextLine() {
    std::string line;
    if (!NextLineOrEnd(line))
        throw EReadError("The stream ends inside a section after line " + std::to_string(lineNumber_));
    return line;
}

void TAsciireader::PushBack() { MoveTo(lineStart_, lineNumber_ - 1); }

// Within the buffered bytes only the buffer moves.
void TAsciireader::MoveTo(int64_t position, int64_t lineNumber) {
    if (position >= bufferStart_ && position <= bufferStart_ + static_cast<int64_t>(buffer_.size())) {
        bufferAt_ = static_cast<size_t>(position - bufferStart_);
    } else {
        stream_->Seek(position);
        buffer_.clear();
        bufferAt_ = 0;
        bufferStart_ = position;
    }
    lineStart_ = position;
    lineNumber_ = lineNumber;
}

int64_t TAsciireader::GetPosition() const { return bufferStart_ + static_cast<int64_t>(bufferAt_); }

void TAsciireader::SetPosition(int64_t position) {
    if (!stream_) throw EReadError("The reader has no stream");
    MoveTo(0, 0);
    std::string line;
    while (GetPosition() < position && NextLineOrEnd(line)) {
    }
    MoveTo(position, lineNumber_);
}

TAsciireader::TLineKind TAsciireader::FindValue(const std::string& key, std::string& value) {
    std::string line = NextLine();
    if (line.find('=') != std::string::npos && SameName(NameOf(line), key)) {
        value = ValueOf(line);
        return TLineKind::kFound;
    }
    NotFound(key);
    if (IsAnySectionLine(line)) {
        PushBack();
        return TLineKind::kSection;
    }
    value = line;
    return TLineKind::kOther;
}

template <class T, class Parse, class Format>
void TAsciireader::ReadTyped(const std::string& name, T& out, Parse parse, Format format) {
    std::string value;
    if (FindValue(name, value) != TLineKind::kFound) return;
    out = parse(value);
    Report(name, format(out));
}

// ---- values ----------------------------------------------------------------

void TAsciireader::ReadBoolean(const std::string& name, bool& b) { ReadTyped(name, b, BooleanFromText, BooleanText); }

void TAsciireader::ReadBooleanByte(const std::string& name, uint8_t& b) {
    ReadTyped(
        name, b, [](const std::string& v) { return static_cast<uint8_t>(BooleanFromText(v)); },
        [](uint8_t v) { return BooleanText(v != 0); });
}

void TAsciireader::ReadFloat(const std::string& name, double& d) { ReadTyped(name, d, ParseFloat, FloatText); }

void TAsciireader::ReadInteger(const std::string& name, int32_t& i) {
    ReadTyped(name, i, ParseInteger, [](int32_t v) { return std::to_string(v); });
}

void TAsciireader::ReadString(const std::string& name, std::string& s) {
    std::string value;
    if (FindValue(name, value) == TLineKind::kSection) return;
    s = value;
    Report(name, s);
}

void TAsciireader::ReadCharBuffer(const std::string& name, char* buffer, size_t size) {
    std::string s;
    ReadString(name, s);
    if (!buffer || size == 0) return;
    size_t n = std::min(s.size(), size - 1);
    std::memcpy(buffer, s.data(), n);
    buffer[n] = '\0';
}

void TAsciireader::ReadBuffer(const std::string&, void* buffer, int32_t size) {
    if (!stream_) throw EReadError("The reader has no stream");
    if (size <= 0) return;
    const int64_t start = GetPosition();
    stream_->Seek(start);
    buffer_.clear();
    bufferAt_ = 0;
    bufferStart_ = start;
    stream_->ReadExact(buffer, static_cast<size_t>(size));
    bufferStart_ = start + size;
}

void TAsciireader::ReadPoint2D(const std::string& name, TXY& p) { ReadTyped(name, p, StrToXY, Point2DText); }
void TAsciireader::ReadPoint3D(const std::string& name, TXYZ& p) { ReadTyped(name, p, StrToXYZ, Point3DText); }
void TAsciireader::ReadIntPoint(const std::string& name, TXYi& p) {
    ReadTyped(name, p, IntPointFromText, IntPointText);
}
void TAsciireader::ReadIntPoint3D(const std::string& name, TXYZi& p) {
    ReadTyped(name, p, IntPoint3DFromText, IntPoint3DText);
}

void TAsciireader::ReadPointArray2D(const std::string& name, TPointArray& a) {
    std::string value;
    if (FindValue(name, value) != TLineKind::kFound) return;
    FillArray(a, ParseItems<TXY>(value, StrToXY));
    Report(name, Point2DArrayText(a));
}

void TAsciireader::ReadIntArray(const std::string& name, TPointArray& a) {
    std::string value;
    if (FindValue(name, value) != TLineKind::kFound) return;
    FillArray(a, ParseItems<int32_t>(value, ParseInteger));
    Report(name, IntArrayText(a));
}

void TAsciireader::ReadDoubleArray(const std::string& name, TPointArray& a) {
    std::string value;
    if (FindValue(name, value) != TLineKind::kFound) return;
    FillArray(a, ParseItems<double>(value, ParseFloat));
    Report(name, DoubleArrayText(a));
}

// "Name={p1", then "p2", ..., then "}"; also "Name={}" and lines that carry
// the field name.
void TAsciireader::ReadPointArray3D(const std::string& name, TPointArray& a) {
    std::string text;
    if (FindValue(name, text) != TLineKind::kFound) return;
    if (text.empty() || text[0] != '{') throw EConvertError("'" + text + "' is not a valid point array");
    text.erase(0, 1);
    std::vector<TXYZ> points;
    for (;;) {
        bool last = !text.empty() && TrimRight(text).back() == '}';
        if (last) text = TrimRight(text).substr(0, TrimRight(text).size() - 1);
        if (text.find_first_not_of(" \t") != std::string::npos) points.push_back(StrToXYZ(text));
        if (last) break;
        if (points.size() >= static_cast<size_t>(kMaxStreamItems)) throw EReadError("Too many items in one array");
        text = NextLine();
        if (text.find('=') != std::string::npos && SameName(NameOf(text), name)) text = ValueOf(text);
    }
    FillArray(a, points);
    std::string shown = "{";
    for (size_t i = 0; i < points.size(); ++i) shown += (i ? ";" : "") + Point3DText(points[i]);
    Report(name, shown + "}");
}

void TAsciireader::ReadReserved(const std::string& name, int32_t&) {
    std::string value;
    if (FindValue(name, value) == TLineKind::kFound) Report(name, value);
}

void TAsciireader::ReadBinary(const std::string& name, int32_t& size, std::vector<uint8_t>& data) {
    std::string sizeText, hex;
    if (FindValue(name + " size", sizeText) != TLineKind::kFound) return;
    int32_t n = ParseInteger(sizeText);
    if (n < 0 || n > kMaxStreamBlock) throw EReadError("A block of " + sizeText + " bytes cannot be read");
    if (FindValue(name + " data", hex) != TLineKind::kFound) return;
    data = BytesFromHex(hex, n);
    size = n;
    Report(name + " size", std::to_string(n));
    Report(name + " data", hex);
}

void TAsciireader::ReadStringList(const std::string& name, std::vector<std::string>& list) {
    std::string value;
    TLineKind kind = FindValue(name, value);
    if (kind == TLineKind::kSection) return;
    if (kind != TLineKind::kFound || value != "[") {
        ShowMessage("error stringlist ");
        return;
    }
    std::vector<std::string> items;
    for (;;) {
        std::string line = NextLine();
        if (IsAnySectionLine(line)) {
            PushBack();
            ShowMessage("error stringlist ");
            break;
        }
        bool named = line.find('=') != std::string::npos && SameName(NameOf(line), name);
        if (named && ValueOf(line) == "]") break;
        if (items.size() >= static_cast<size_t>(kMaxStreamItems)) throw EReadError("Too many items in one list");
        if (line.starts_with("=") || named) {
            items.push_back(ValueOf(line));
        } else {
            NotFound(name);
            items.push_back(line);
        }
    }
    list = std::move(items);
    std::string shown = "[";
    for (size_t i = 0; i < list.size(); ++i) shown += (i ? "," : "") + list[i];
    Report(name, shown + "]");
}

// ---- sections --------------------------------------------------------------

bool TAsciireader::ReadBeginClass(std::string& className, std::string& name) {
    std::string line;
    if (!NextLineOrEnd(line)) {
        NotFound("BEGINCLASS");
        return false;
    }
    if (!IsSectionLine(line, "BEGINCLASS")) {
        NotFound("BEGINCLASS");
        PushBack();
        return false;
    }
    std::string value;
    if (FindValue("ZvNAme", value) != TLineKind::kSection) name = value;
    if (FindValue("Classname", value) != TLineKind::kSection) className = value;
    return true;
}

// Consumes lines up to the end of the section that depth levels enclose.
void TAsciireader::SkipSection(int depth) {
    while (depth > 0) {
        std::string line = NextLine();
        if (IsSectionLine(line, "BEGINCLASS")) {
            if (depth >= kMaxStreamNesting)
                throw EReadError("Sections nested too deeply at line " + std::to_string(lineNumber_));
            ++depth;
        } else if (IsSectionLine(line, "ENDCLASS")) {
            --depth;
        }
    }
}

void TAsciireader::ReadEndClass() {
    std::string line = NextLine();
    if (IsSectionLine(line, "ENDCLASS")) return;
    NotFound("ENDCLASS");
    SkipSection(IsSectionLine(line, "BEGINCLASS") ? 2 : 1);
}

bool TAsciireader::AtEndOfSection() {
    std::string line;
    if (!NextLineOrEnd(line)) return true;
    PushBack();
    return IsSectionLine(line, "ENDCLASS");
}

TlinkList& TAsciireader::PendingLinks() {
    TStdApplication* app = Application();
    return app ? app->Links() : Links();
}

void TAsciireader::ReadComponent(const std::string&, TZvComponent*& comp) {
    TNesting nesting(depth_);
    std::string className, zvName, parentName;
    if (!ReadBeginClass(className, zvName)) return;
    std::string value;
    if (FindValue("Parent", value) == TLineKind::kFound) parentName = value;
    const TClass* cls = GetClass(className);
    if (!cls || !cls->InheritsFrom(TZvComponent::Class()) || !cls->CanCreate()) {
        ShowMessage("Class " + className + " not found");
        SkipSection(1);
        return;
    }
    const bool outermost = depth_ == 1;
    const size_t readMark = Links().Read.size();
    TWatchScope watching(*this, outermost);
    auto* made = static_cast<TZvComponent*>(cls->CreateInstance(nullptr));
    Links().Read.push_back(made);
    readSet_.insert(made);
    if (TStdApplication* app = Application()) app->Links().Read.push_back(made);
    try {
        made->Loading();
        made->SetReading(true);
        made->SetZvName(zvName);
        reading_.push_back(made);
        made->ReadFromStream(*this);
        reading_.pop_back();
        made->SetReading(false);
        if (outermost) made->SetParent(dynamic_cast<TZvComponent*>(ReadContext()));
        ReadEndClass();
        if (outermost) FinishRead();
    } catch (...) {
        if (!reading_.empty() && reading_.back() == made) reading_.pop_back();
        Abandon(readMark);
        try {
            made->Free();
        } catch (const std::exception& e) {
            ShowMessage(e.what());
        }
        throw;
    }
    comp = made;
}

void TAsciireader::ReadRoot(TZvComponent*& comp) {
    SetPosition(0);
    ReadComponent("Root", comp);
}

void TAsciireader::ReadGroup(const std::string& name, TZvComponent*& comp) {
    std::string value;
    if (FindValue(name, value) == TLineKind::kSection) return;
    if (TrimRight(value) != "{") {
        ShowMessage(" falsches Gruppenformat ");
        return;
    }
    if (comp) comp->SetParent(current_);
    TZvComponent* previous = current_;
    current_ = comp;
    try {
        for (;;) {
            std::string line;
            if (!NextLineOrEnd(line)) break;
            if (TrimRight(line) == "}") break;
            PushBack();
            TZvComponent* member = nullptr;
            ReadComponent("", member);
            if (!member) break;
            if (comp) member->SetParent(comp);
        }
    } catch (...) {
        current_ = previous;
        throw;
    }
    current_ = previous;
}

// ---- links -----------------------------------------------------------------

// Takes the components of gone out of the lists of what was read and drops
// the references that they hold.
void TAsciireader::Forget(const std::unordered_set<const TComponent*>& gone) {
    auto isGone = [&](const TZvComponent* c) { return gone.count(c) > 0; };
    std::erase_if(Links().Read, isGone);
    if (TStdApplication* app = Application()) std::erase_if(app->Links().Read, isGone);
    std::erase_if(reading_, isGone);
    for (const TComponent* c : gone) readSet_.erase(c);
    DropLinksIf(false, [&](const TlinkItem& link) { return gone.count(link.Holder) > 0; });
}

// Drops the waiting references of this reader that drop says, reporting
// each when asked to.
template <class Drop>
void TAsciireader::DropLinksIf(bool report, Drop drop) {
    for (TlinkList* list : {&Links(), &PendingLinks()}) {
        TOpenlinks& open = list->Open;
        for (int32_t i = open.Count() - 1; i >= 0; --i) {
            TlinkItem& link = open.Items(i);
            if (link.Reader != this || !drop(link)) continue;
            if (report) ShowMessage(link.Path + " konnte nicht gefunden werden ");
            open.Delete(i);
        }
    }
}

// A failed read: what it made is about to be freed.
void TAsciireader::Abandon(size_t readMark) {
    std::vector<TZvComponent*>& read = Links().Read;
    Forget(std::unordered_set<const TComponent*>(read.begin() + static_cast<std::ptrdiff_t>(readMark), read.end()));
    if (depth_ == 1) DropLinksIf(false, [](const TlinkItem&) { return true; });
}

void TAsciireader::FinishRead() {
    PendingLinks().Resolve(this);
    Links().Resolve(this);
    DropLinksIf(true, [](const TlinkItem&) { return true; });
    std::vector<TZvComponent*> made = Links().Read;
    Forget(std::unordered_set<const TComponent*>(made.begin(), made.end()));
    for (TZvComponent* comp : made) comp->Loaded();
}

// A component made by this read dies before the read ends.
void TAsciireader::Died(const TComponent* component) {
    if (readSet_.count(component)) Forget({component});
}

void TAsciireader::ReadReference(const std::string& name, TZvComponent*& comp) {
    std::string value;
    if (FindValue("REFZVNAME", value) != TLineKind::kFound) return;
    Report(name.empty() ? "REFZVNAME" : name, value);
    if (UpperCaseName(value) == "NIL") {
        comp = nullptr;
        return;
    }
    const std::string externals = "\\ZVEXTERNAS\\";
    if (UpperCaseName(value.substr(0, externals.size())) == externals) value.erase(0, externals.size());
    size_t hash = value.find('#');
    std::string file = hash == std::string::npos ? std::string() : Replaced(value.substr(0, hash), '@', '\\');
    std::string path = Replaced(hash == std::string::npos ? value : value.substr(hash + 1), '@', '\\');
    if (!file.empty() || External()) {
        if (file.empty()) file = FileName();
        comp = ReadExternal(file, path, file + "#" + Replaced(path, '\\', '@'));
        return;
    }
    TStdApplication* app = Application();
    if (TZvComponent* found = app ? app->FindByPath(path) : nullptr) {
        comp = found;
        return;
    }
    PendingLinks().Open.Add(TlinkItem{false, &comp, nullptr, path, this, Reading()});
}

TZvComponent* TAsciireader::ReadExternal(const std::string& file, const std::string& path, const std::string& key) {
    TZvComponent* root = ApplicationExternalsRoot();
    if (!root) return nullptr;
    for (int32_t i = 0; i < root->ChildCount(); ++i)
        if (SameName(root->ChildAt(i)->GetZvName(), key)) return root->ChildAt(i);
    TZVReader* reader = this;
    TZVReader* own = nullptr;
    if (file != FileName()) {
        const TClass& cls = Application()->ReaderClass();
        if (!cls.InheritsFrom(TZVReader::Class())) throw Exception("No readerClass registered");
        own = static_cast<TZVReader*>(cls.CreateInstance(nullptr));
        reader = own;
    }
    TZvComponent* comp = nullptr;
    const bool wasExternal = External();
    const int64_t saved = GetPosition(), savedLine = lineNumber_;
    try {
        if (own) own->OpenFile(file);
        reader->SetExternal(true);
        if (reader->SeekPath(path)) reader->ReadComponent("", comp);
    } catch (const EFOpenError&) {
        comp = nullptr;
    } catch (...) {
        if (own) own->Free();
        SetExternal(wasExternal);
        MoveTo(saved, savedLine);
        throw;
    }
    SetExternal(wasExternal);
    if (reader == this) MoveTo(saved, savedLine);
    if (own) own->Free();
    if (!comp) {
        ShowMessage(path + " konnte nicht gefunden werden ");
        return nullptr;
    }
    comp->SetParent(root);
    comp->SetZvName(key);
    return comp;
}

// ---- positions -------------------------------------------------------------

void TAsciireader::IndexSection(const std::string& path, TSectionIndex& list) {
    const int64_t savedPosition = GetPosition(), savedLine = lineNumber_, savedStart = lineStart_;
    const int target = path == "\\" ? 1 : 2;
    int depth = 0;
    int64_t sectionStart = -1;
    std::string line;
    while (NextLineOrEnd(line)) {
        if (IsSectionLine(line, "BEGINCLASS")) {
            if (++depth == target) sectionStart = lineStart_;
        } else if (IsSectionLine(line, "ENDCLASS")) {
            --depth;
            if (depth < 0 || (target == 2 && depth == 0)) break;
        } else if (depth == target && line.find('=') != std::string::npos && SameName(NameOf(line), "ZvNAme")) {
            list.emplace_back(ValueOf(line), sectionStart);
        }
    }
    MoveTo(savedPosition, savedLine);
    lineStart_ = savedStart;
}

bool TAsciireader::SeekPath(const std::string& path) {
    const int64_t savedPosition = GetPosition(), savedLine = lineNumber_;
    size_t start = path.find_first_not_of(" \t");
    std::string rest = start == std::string::npos ? std::string() : path.substr(start);
    bool top = GetPosition() == 0;
    if (!rest.empty() && rest[0] == '\\') {
        SetPosition(0);
        top = true;
    }
    size_t at = 0;
    while (at <= rest.size()) {
        size_t cut = rest.find('\\', at);
        std::string part = rest.substr(at, cut == std::string::npos ? std::string::npos : cut - at);
        at = cut == std::string::npos ? rest.size() + 1 : cut + 1;
        if (part.empty()) continue;
        TSectionIndex index;
        IndexSection(top ? "\\" : "", index);
        auto found = std::find_if(index.begin(), index.end(), [&](const auto& e) { return SameName(e.first, part); });
        if (found == index.end()) {
            MoveTo(savedPosition, savedLine);
            return false;
        }
        SetPosition(found->second);
        top = false;
    }
    return true;
}

int64_t TAsciireader::PathPosition(const std::string& path) {
    const int64_t savedPosition = GetPosition(), savedLine = lineNumber_;
    int64_t result = SeekPath(path) ? GetPosition() : -1;
    MoveTo(savedPosition, savedLine);
    return result;
}

}  // namespace zv
