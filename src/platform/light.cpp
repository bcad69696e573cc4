#include "platform/light.h"

#include <bit>
#include <cstring>
#include <exception>

#include "runtime/message.h"

namespace zv {
namespace {

class TRecordWriter {
public:
    void Bytes(uint64_t value, int count) {
        for (int i = 0; i < count; ++i) bytes_[at_++] = static_cast<uint8_t>(value >> (8 * i));
    }
    void Double(double value) { Bytes(std::bit_cast<uint64_t>(value), 8); }
    void Point(const TXYZ& p) {
        Double(p.X);
        Double(p.Y);
        Double(p.Z);
    }
    const uint8_t* Data() const { return bytes_; }

private:
    uint8_t bytes_[kLightRecordSize] = {};
    int at_ = 0;
};

class TRecordReader {
public:
    explicit TRecordReader(const uint8_t* bytes) : bytes_(bytes) {}
    uint64_t Bytes(int count) {
        uint64_t value = 0;
        for (int i = 0; i < count; ++i) value |= uint64_t{bytes_[at_++]} << (8 * i);
        return value;
    }
    double Double() { return std::bit_cast<double>(Bytes(8)); }
    TXYZ Point() {
        double x = Double(), y = Double();
        return TXYZ{x, y, Double()};
    }

private:
    const uint8_t* bytes_;
    int at_ = 0;
};

}  // namespace

const TClass& Tlight::Class() {
    static const TClass info("Tlight", &TZvComponent::Class(), &NewInstance<Tlight>);
    return info;
}
const TClass& Tlight::ClassType() const { return Class(); }

void Tlight::SaveToStream(TStream& stream) const {
    TRecordWriter r;
    r.Point(GetPosition());
    r.Point(GetDirection());
    r.Bytes(enabled_ ? 1 : 0, 1);
    r.Double(GetSpotExponent());
    r.Double(GetSpotCutOff());
    r.Bytes(GetAmbient(), 4);
    r.Bytes(GetDiffuse(), 4);
    r.Bytes(GetSpecular(), 4);
    r.Double(GetAttenuation());
    r.Bytes(static_cast<uint32_t>(GetAttenuationKind()), 4);
    stream.Write(r.Data(), kLightRecordSize);
}

void Tlight::LoadFromStream(TStream& stream) {
    uint8_t bytes[kLightRecordSize];
    stream.ReadExact(bytes, sizeof bytes);
    TRecordReader r(bytes);
    SetPosition(r.Point());
    SetDirection(r.Point());
    SetEnabled(r.Bytes(1) != 0);
    SetSpotExponent(r.Double());
    SetSpotCutOff(r.Double());
    SetAmbient(static_cast<TColor>(r.Bytes(4)));
    SetDiffuse(static_cast<TColor>(r.Bytes(4)));
    SetSpecular(static_cast<TColor>(r.Bytes(4)));
    SetAttenuation(r.Double());
    SetAttenuationKind(static_cast<int32_t>(static_cast<uint32_t>(r.Bytes(4))));
}

TLights::~TLights() { TLights::Clear(); }

void TLights::Clear() {
    while (Count() > 0) {
        Tlight* light = Items(Count() - 1);
        Delete(Count() - 1);
        try {
            if (light) light->Free();
        } catch (const std::exception& e) {
            ShowMessage(e.what());
        }
    }
    TList::Clear();
}

}  // namespace zv
