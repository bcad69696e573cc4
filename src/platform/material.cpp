#include "platform/material.h"

#include "platform/stream_reader.h"
#include "platform/stream_writer.h"

namespace zv {

const TClass& TZVmaterial::Class() {
    static const TClass info("TZVmaterial", &TZVGraphicObject::Class(), &NewInstance<TZVmaterial>);
    return info;
}
const TClass& TZVmaterial::ClassType() const { return Class(); }

void TZVmaterial::GetMaterialRecord(TMaterialRecord& record) const { record = GetMaterialRecord(); }

TMaterialRecord TZVmaterial::GetMaterialRecord() const {
    return TMaterialRecord{GetAmbient(), GetDiffuse(), GetSpecular(), GetEmission(), GetShininess(), GetTranslucent()};
}

void TZVmaterial::SetMaterialRecord(const TMaterialRecord& record) {
    InBracket([&] {
        SetAmbient(record.Ambient);
        SetDiffuse(record.Diffuse);
        SetSpecular(record.Specular);
        SetEmission(record.Emission);
        SetShininess(record.Shininess);
        SetTranslucent(record.Translucent);
    });
}

void TZVmaterial::WriteToStream(TZVWriter& writer) {
    TZVGraphicObject::WriteToStream(writer);
    writer.WriteInteger("Ambient", static_cast<int32_t>(ambient_));
    writer.WriteInteger("Diffuse", static_cast<int32_t>(diffuse_));
    writer.WriteInteger("Specular", static_cast<int32_t>(specular_));
    writer.WriteInteger("Emission", static_cast<int32_t>(emission_));
    writer.WriteFloat("Shininess", shininess_);
    writer.WriteFloat("Translucent", translucent_);
}

void TZVmaterial::ReadFromStream(TZVReader& reader) {
    TZVGraphicObject::ReadFromStream(reader);
    TMaterialRecord r = GetMaterialRecord();
    auto readColor = [&](const char* name, TColor& color) {
        int32_t value = static_cast<int32_t>(color);
        reader.ReadInteger(name, value);
        color = static_cast<TColor>(value);
    };
    readColor("Ambient", r.Ambient);
    readColor("Diffuse", r.Diffuse);
    readColor("Specular", r.Specular);
    readColor("Emission", r.Emission);
    reader.ReadFloat("Shininess", r.Shininess);
    reader.ReadFloat("Translucent", r.Translucent);
    SetMaterialRecord(r);
}

}  // namespace zv
