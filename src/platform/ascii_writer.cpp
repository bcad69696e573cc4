#include "platform/ascii_writer.h"

#include "platform/component.h"
#include "runtime/number_text.h"

namespace zv {
namespace {

// A line ends at LF; a CR before it is dropped on reading, so only one CR
// at the very end of a value would be lost, and the reader keeps any other.
bool HasLineBreak(const std::string& s) { return s.find('\n') != std::string::npos; }

}  // namespace

const TClass& TAsciiWriter::Class() {
    static const TClass info("TAsciiWriter", &TZVWriter::Class(), &NewInstance<TAsciiWriter>);
    return info;
}
const TClass& TAsciiWriter::ClassType() const { return Class(); }

void TAsciiWriter::CreateOnStream(TStream* stream) { stream_ = stream; }

TStream& TAsciiWriter::Out() {
    if (!stream_) throw Exception("The writer has no stream");
    return *stream_;
}

void TAsciiWriter::WriteLine(const std::string& s) { Out().WriteText(s + "\r\n"); }

void TAsciiWriter::WriteString(const std::string& name, const std::string& s) {
    if (HasLineBreak(name) || name.find('=') != std::string::npos)
        throw Exception("'" + name + "' cannot be a field name of the object stream");
    if (HasLineBreak(s)) throw Exception("The value of the field " + name + " holds a line break");
    if (name.size() + s.size() >= kMaxStreamLine) throw Exception("The value of the field " + name + " is too long");
    WriteLine(name + "=" + s);
}

void TAsciiWriter::WriteBeginClass(const std::string& className, const std::string& name) {
    WriteString("BEGINCLASS", "");
    WriteString("ZvNAme", name);
    WriteString("Classname", className);
}

void TAsciiWriter::WriteEndClass() { WriteString("ENDCLASS", ""); }
void TAsciiWriter::WriteBoolean(const std::string& name, bool b) { WriteString(name, BooleanText(b)); }
void TAsciiWriter::WriteFloat(const std::string& name, double d) { WriteString(name, FloatText(d)); }
void TAsciiWriter::WriteInteger(const std::string& name, int32_t i) { WriteString(name, std::to_string(i)); }

void TAsciiWriter::WriteBuffer(const std::string&, const void* buffer, int32_t size) {
    if (size > 0) Out().Write(buffer, static_cast<size_t>(size));
}

void TAsciiWriter::WritePoint2D(const std::string& name, const TXY& p) { WriteString(name, Point2DText(p)); }
void TAsciiWriter::WritePoint3D(const std::string& name, const TXYZ& p) { WriteString(name, Point3DText(p)); }
void TAsciiWriter::WriteIntPoint(const std::string& name, const TXYi& p) { WriteString(name, IntPointText(p)); }
void TAsciiWriter::WriteIntPoint3D(const std::string& name, const TXYZi& p) { WriteString(name, IntPoint3DText(p)); }
void TAsciiWriter::WritePointArray2D(const std::string& name, const TPointArray& a) {
    WriteString(name, Point2DArrayText(a));
}

void TAsciiWriter::WritePointArray3D(const std::string& name, const TPointArray& a) {
    if (a.Count > 0 && a.ElemSize != 24) throw Exception("The array of field " + name + " holds no 3-D points");
    if (a.Count == 0) {
        WriteString(name, "{}");
        return;
    }
    WriteString(name, "{" + Point3DText(a.At<TXYZ>(0)));
    for (int32_t i = 1; i < a.Count; ++i) WriteLine(Point3DText(a.At<TXYZ>(i)));
    WriteLine("}");
}

void TAsciiWriter::WriteReserved(const std::string& name, int32_t) { WriteString(name, ""); }
void TAsciiWriter::WriteIntArray(const std::string& name, const TPointArray& a) { WriteString(name, IntArrayText(a)); }
void TAsciiWriter::WriteDoubleArray(const std::string& name, const TPointArray& a) {
    WriteString(name, DoubleArrayText(a));
}

void TAsciiWriter::WriteStringList(const std::string& name, const std::vector<std::string>& list) {
    for (const std::string& item : list)
        if (HasLineBreak(item)) throw Exception("An item of the string list " + name + " holds a line break");
    WriteString(name, "[");
    for (const std::string& item : list) WriteLine("=" + item);
    WriteString(name, "]");
}

void TAsciiWriter::WriteComponent(const std::string&, TZvComponent* comp) {
    if (!comp) throw Exception("No component to write");
    WriteBeginClass(comp->ClassName(), comp->GetZvName());
    WriteString("Parent", comp->Parent() ? comp->Parent()->GetZvName() : std::string());
    comp->SetWriting(true);
    try {
        comp->WriteToStream(*this);
    } catch (...) {
        comp->SetWriting(false);
        throw;
    }
    comp->SetWriting(false);
    WriteEndClass();
}

void TAsciiWriter::WriteReference(const std::string&, const TZvComponent* upTo, const TZvComponent* comp) {
    WriteString("REFZVNAME", comp ? comp->GetPath(upTo) : "NIL");
}

void TAsciiWriter::WriteBinary(const std::string& name, int32_t size, const void* data) {
    if (size < 0 || size > kMaxStreamBlock || (size > 0 && !data))
        throw Exception("No block of " + std::to_string(size) + " bytes to write");
    WriteInteger(name + " size", size);
    WriteString(name + " data", HexText(data, size));
}

}  // namespace zv
