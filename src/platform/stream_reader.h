// TZVReader: the field-level interface through which components read
// themselves back from an object stream, strictly in the order in which they
// were written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "geometry/point_array.h"
#include "platform/link_list.h"
#include "platform/stream_values.h"
#include "runtime/component.h"
#include "runtime/stream.h"

namespace zv {

class TZvComponent;

// A stream that cannot be read as an object stream: it ends inside a
// section, nests too deeply, or has a line longer than any field.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// Names of sections with the stream positions where they begin.
using TSectionIndex = std::vector<std::pair<std::string, int64_t>>;

class TZVReader : public TComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Reads from stream, which stays the caller's.
    virtual void CreateOnStream(TStream* stream) = 0;
    // The three header lines of a section. False, with nothing consumed,
    // when the next line does not begin a section.
    virtual bool ReadBeginClass(std::string& className, std::string& name) = 0;
    // Consumes the end of the current section, skipping what is left of it.
    virtual void ReadEndClass() = 0;
    virtual void ReadBoolean(const std::string& name, bool& b) = 0;
    virtual void ReadBooleanByte(const std::string& name, uint8_t& b) = 0;
    virtual void ReadGroup(const std::string& name, TZvComponent*& comp) = 0;
    virtual void ReadFloat(const std::string& name, double& d) = 0;
    virtual void ReadInteger(const std::string& name, int32_t& i) = 0;
    virtual void ReadString(const std::string& name, std::string& s) = 0;
    // The value into a buffer of size bytes, cut to fit and 0-terminated.
    virtual void ReadCharBuffer(const std::string& name, char* buffer, size_t size) = 0;
    // size raw bytes.
    virtual void ReadBuffer(const std::string& name, void* buffer, int32_t size) = 0;
    virtual void ReadPoint2D(const std::string& name, TXY& p) = 0;
    virtual void ReadPoint3D(const std::string& name, TXYZ& p) = 0;
    virtual void ReadIntPoint(const std::string& name, TXYi& p) = 0;
    virtual void ReadIntPoint3D(const std::string& name, TXYZi& p) = 0;
    virtual void ReadPointArray2D(const std::string& name, TPointArray& a) = 0;
    virtual void ReadPointArray3D(const std::string& name, TPointArray& a) = 0;
    virtual void ReadReserved(const std::string& name, int32_t& x) = 0;
    virtual void ReadIntArray(const std::string& name, TPointArray& a) = 0;
    virtual void ReadDoubleArray(const std::string& name, TPointArray& a) = 0;
    virtual void ReadBinary(const std::string& name, int32_t& size, std::vector<uint8_t>& data) = 0;
    virtual void ReadStringList(const std::string& name, std::vector<std::string>& list) = 0;
    // A section: a new component of its class, or comp left as it was.
    virtual void ReadComponent(const std::string& name, TZvComponent*& comp) = 0;
    virtual void SetCurrent(TZvComponent* current) = 0;
    virtual TZvComponent* GetCurrent() const = 0;
    // The first section of the stream.
    virtual void ReadRoot(TZvComponent*& comp) = 0;
    // Moves to the section at a "\"-separated path of names; false, with the
    // position kept, when it is not there.
    virtual bool SeekPath(const std::string& path) = 0;
    // The position of the section at path, or -1.
    virtual int64_t PathPosition(const std::string& path) = 0;
    virtual int64_t GetPosition() const = 0;
    virtual void SetPosition(int64_t position) = 0;
    // The sections below the one at the current position ("\": the sections
    // at the top of the stream).
    virtual void IndexSection(const std::string& path, TSectionIndex& list) = 0;
    // A reference to another component; see the reader for the forms.
    virtual void ReadReference(const std::string& name, TZvComponent*& comp) = 0;
    // True when the current section has no further line.
    virtual bool AtEndOfSection() = 0;

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }
    TComponent* ReadContext() const { return readContext_; }
    void SetReadContext(TComponent* context);
    bool External() const { return external_; }
    void SetExternal(bool external) { external_ = external; }
    TlinkList& Links() { return links_; }

    // Opens the file and reads from it; the reader owns that stream.
    void OpenFile(const std::string& fileName);
    bool OwnsStream() const { return ownedStream_ != nullptr; }
    // The component whose fields are being read, or none.
    TZvComponent* Reading() const { return reading_.empty() ? nullptr : reading_.back(); }

protected:
    friend class TComponent;
    // Takes the application's read context.
    explicit TZVReader(TComponent* owner);
    ~TZVReader() override;

    void Notification(TComponent* component, TOperation operation) override;

    std::vector<TZvComponent*> reading_;

private:
    std::string fileName_;
    TComponent* readContext_ = nullptr;
    bool external_ = false;
    TlinkList links_;
    std::unique_ptr<TStream> ownedStream_;
};

}  // namespace zv
