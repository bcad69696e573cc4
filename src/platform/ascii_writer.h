// TAsciiWriter: writes the object stream as text lines "Name=Value", each
// ended by CR LF. A component is a section between "BEGINCLASS=" and
// "ENDCLASS=" lines, with its children as nested sections.
#pragma once

#include "platform/stream_writer.h"

namespace zv {

class TAsciiWriter : public TZVWriter {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    void CreateOnStream(TStream* stream) override;
    void WriteBeginClass(const std::string& className, const std::string& name) override;
    void WriteEndClass() override;
    void WriteBoolean(const std::string& name, bool b) override;
    void WriteFloat(const std::string& name, double d) override;
    void WriteInteger(const std::string& name, int32_t i) override;
    // Raises for a name or value that holds a line feed, or a name with "=".
    void WriteString(const std::string& name, const std::string& s) override;
    void WriteBuffer(const std::string& name, const void* buffer, int32_t size) override;
    void WriteLine(const std::string& s) override;
    void WritePoint2D(const std::string& name, const TXY& p) override;
    void WritePoint3D(const std::string& name, const TXYZ& p) override;
    void WriteIntPoint(const std::string& name, const TXYi& p) override;
    void WriteIntPoint3D(const std::string& name, const TXYZi& p) override;
    void WritePointArray2D(const std::string& name, const TPointArray& a) override;
    // "Name={" and the first point, one point a line after it, "}" last.
    void WritePointArray3D(const std::string& name, const TPointArray& a) override;
    void WriteReserved(const std::string& name, int32_t x) override;
    void WriteIntArray(const std::string& name, const TPointArray& a) override;
    void WriteDoubleArray(const std::string& name, const TPointArray& a) override;
    // "Name=[", one line "=" + item per item, "Name=]".
    void WriteStringList(const std::string& name, const std::vector<std::string>& list) override;
    void WriteComponent(const std::string& name, TZvComponent* comp) override;
    void WriteReference(const std::string& name, const TZvComponent* upTo, const TZvComponent* comp) override;
    void WriteBinary(const std::string& name, int32_t size, const void* data) override;

    TStream* Stream() const { return stream_; }

protected:
    friend class TComponent;
    explicit TAsciiWriter(TComponent* owner) : TZVWriter(owner) {}
    ~TAsciiWriter() override = default;

private:
    TStream& Out();

    TStream* stream_ = nullptr;
};

}  // namespace zv
