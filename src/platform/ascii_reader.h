// TAsciireader: reads the text form of the object stream that TAsciiWriter
// writes. Lines end with CR LF or LF.
//
// Reading is strictly sequential: every field read consumes one line. A
// line whose name is not the expected one is reported (" Field <name> nicht
// gefunden") and consumed; a text field then takes the whole line, another
// field keeps its value. A line that begins or ends a section is never
// consumed by a field, so a section that lacks fields still ends where it
// should. A malformed number raises EConvertError; a stream that ends
// inside a section, a line longer than kMaxStreamLine or sections nested
// deeper than kMaxStreamNesting raise EReadError. A read that raises frees
// every component it made and leaves no reference waiting.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/stream_reader.h"
#include "runtime/event.h"

namespace zv {

class TReadWatch;

class TAsciireader : public TZVReader {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    void CreateOnStream(TStream* stream) override;
    bool ReadBeginClass(std::string& className, std::string& name) override;
    void ReadEndClass() override;
    // True exactly when the upper-cased value is "TRUE".
    void ReadBoolean(const std::string& name, bool& b) override;
    void ReadBooleanByte(const std::string& name, uint8_t& b) override;
    // The value "{", then sections until a line "}" or a read that yields
    // none; each component read becomes a child of comp.
    void ReadGroup(const std::string& name, TZvComponent*& comp) override;
    void ReadFloat(const std::string& name, double& d) override;
    void ReadInteger(const std::string& name, int32_t& i) override;
    void ReadString(const std::string& name, std::string& s) override;
    void ReadCharBuffer(const std::string& name, char* buffer, size_t size) override;
    void ReadBuffer(const std::string& name, void* buffer, int32_t size) override;
    void ReadPoint2D(const std::string& name, TXY& p) override;
    void ReadPoint3D(const std::string& name, TXYZ& p) override;
    void ReadIntPoint(const std::string& name, TXYi& p) override;
    void ReadIntPoint3D(const std::string& name, TXYZi& p) override;
    // The arrays must be initialised (or all zero); they get a new block.
    void ReadPointArray2D(const std::string& name, TPointArray& a) override;
    void ReadPointArray3D(const std::string& name, TPointArray& a) override;
    void ReadReserved(const std::string& name, int32_t& x) override;
    void ReadIntArray(const std::string& name, TPointArray& a) override;
    void ReadDoubleArray(const std::string& name, TPointArray& a) override;
    void ReadBinary(const std::string& name, int32_t& size, std::vector<uint8_t>& data) override;
    // "Name=[", items "=" + item (or "Name=" + item), "Name=]".
    void ReadStringList(const std::string& name, std::vector<std::string>& list) override;
    // A section of a registered class that descends from TZvComponent makes
    // a new component without owner; the outermost one of a read is given
    // the read context as parent, the ones inside it are placed by their
    // parents. Any other section is reported ("Class <name> not found") and
    // skipped to its end. When the outermost read ends, the references that
    // wait are resolved (a path not found is reported: "<path> konnte nicht
    // gefunden werden ") and every component made gets Loaded.
    void ReadComponent(const std::string& name, TZvComponent*& comp) override;
    void SetCurrent(TZvComponent* current) override { current_ = current; }
    TZvComponent* GetCurrent() const override { return current_; }
    void ReadRoot(TZvComponent*& comp) override;
    bool SeekPath(const std::string& path) override;
    int64_t PathPosition(const std::string& path) override;
    int64_t GetPosition() const override;
    void SetPosition(int64_t position) override;
    void IndexSection(const std::string& path, TSectionIndex& list) override;
    // "NIL" for none; a path (a leading "\ZVExternas\" is dropped, "@"
    // stands for "\"), found now through the application or filled in when
    // the outermost read ends; or "file#path": the component at the path in
    // that file, read once and kept under "ZVExternas". comp must outlive
    // the read.
    void ReadReference(const std::string& name, TZvComponent*& comp) override;
    bool AtEndOfSection() override;

    TStream* Stream() const { return stream_; }
    // Number of the last line read (1 for the first line).
    int64_t LineNumber() const { return lineNumber_; }
    // Called with each field's name and its value as read back.
    TEvent<const std::string&, const std::string&> OnValue;

protected:
    friend class TComponent;
    explicit TAsciireader(TComponent* owner) : TZVReader(owner) {}
    // Reports the references that still wait and drops them.
    ~TAsciireader() override;

private:
    enum class TLineKind { kFound, kOther, kSection };

    bool Refill();
    bool NextLineOrEnd(std::string& line);
    std::string NextLine();
    void PushBack();
    void MoveTo(int64_t position, int64_t lineNumber);
    TLineKind FindValue(const std::string& key, std::string& value);
    template <class T, class Parse, class Format>
    void ReadTyped(const std::string& name, T& out, Parse parse, Format format);
    void Report(const std::string& name, const std::string& text) { OnValue(name, text); }
    void SkipSection(int depth);
    TZvComponent* ReadExternal(const std::string& file, const std::string& path, const std::string& key);
    TlinkList& PendingLinks();
    void Abandon(size_t readMark);
    void FinishRead();
    template <class Drop>
    void DropLinksIf(bool report, Drop drop);
    void Forget(const std::unordered_set<const TComponent*>& gone);
    friend class TReadWatch;
    void Died(const TComponent* component);

    // Subscribes a watch to the framework messages for an outermost read.
    class TWatchScope {
    public:
        TWatchScope(TAsciireader& reader, bool active);
        ~TWatchScope();
        TWatchScope(const TWatchScope&) = delete;
        TWatchScope& operator=(const TWatchScope&) = delete;

    private:
        TAsciireader& reader_;
        bool active_;
    };

    TZvComponent* current_ = nullptr;
    TStream* stream_ = nullptr;
    // Bytes read ahead from the stream; bufferStart_ is the stream position
    // of the first one, and bufferAt_ the next one to read.
    std::string buffer_;
    size_t bufferAt_ = 0;
    int64_t bufferStart_ = 0;
    int64_t lineNumber_ = 0;
    int64_t lineStart_ = 0;
    int depth_ = 0;
    // The components made by the running read.
    std::unordered_set<const TComponent*> readSet_;
    TReadWatch* watch_ = nullptr;
};

}  // namespace zv
