// TZVWriter: the field-level interface through which components write
// themselves to an object stream. Each component class writes its fields in
// a fixed order; a reader reads them back in the same order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geometry/point_array.h"
#include "platform/stream_values.h"
#include "runtime/component.h"
#include "runtime/stream.h"

namespace zv {

class TZvComponent;

class TZVWriter : public TComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Writes into stream, which stays the caller's.
    virtual void CreateOnStream(TStream* stream) = 0;
    virtual void WriteBeginClass(const std::string& className, const std::string& name) = 0;
    virtual void WriteEndClass() = 0;
    virtual void WriteBoolean(const std::string& name, bool b) = 0;
    virtual void WriteFloat(const std::string& name, double d) = 0;
    virtual void WriteInteger(const std::string& name, int32_t i) = 0;
    virtual void WriteString(const std::string& name, const std::string& s) = 0;
    // Raw bytes, no field name.
    virtual void WriteBuffer(const std::string& name, const void* buffer, int32_t size) = 0;
    // A raw line.
    virtual void WriteLine(const std::string& s) = 0;
    virtual void WritePoint2D(const std::string& name, const TXY& p) = 0;
    virtual void WritePoint3D(const std::string& name, const TXYZ& p) = 0;
    virtual void WriteIntPoint(const std::string& name, const TXYi& p) = 0;
    virtual void WriteIntPoint3D(const std::string& name, const TXYZi& p) = 0;
    virtual void WritePointArray2D(const std::string& name, const TPointArray& a) = 0;
    virtual void WritePointArray3D(const std::string& name, const TPointArray& a) = 0;
    // A field with an empty value.
    virtual void WriteReserved(const std::string& name, int32_t x) = 0;
    virtual void WriteIntArray(const std::string& name, const TPointArray& a) = 0;
    virtual void WriteDoubleArray(const std::string& name, const TPointArray& a) = 0;
    virtual void WriteStringList(const std::string& name, const std::vector<std::string>& list) = 0;
    // The component as a section of its own.
    virtual void WriteComponent(const std::string& name, TZvComponent* comp) = 0;
    // The path of comp up to upTo (the full path when upTo is none), or none.
    virtual void WriteReference(const std::string& name, const TZvComponent* upTo, const TZvComponent* comp) = 0;
    virtual void WriteBinary(const std::string& name, int32_t size, const void* data) = 0;
    virtual void WriteRoot(TZvComponent* comp);

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }

    // Creates the file and writes into it; the writer owns that stream.
    void CreateOnFile(const std::string& fileName);
    bool OwnsStream() const { return ownedStream_ != nullptr; }

protected:
    friend class TComponent;
    explicit TZVWriter(TComponent* owner) : TComponent(owner) {}
    ~TZVWriter() override;

private:
    std::string fileName_;
    std::unique_ptr<TStream> ownedStream_;
};

}  // namespace zv
