#include "platform/graphic_object.h"

#include "platform/stream_reader.h"
#include "platform/stream_writer.h"

namespace zv {

const TClass& TZVGraphicObject::Class() {
    static const TClass info("TZVGraphicObject", &TZvComponent::Class(), &NewInstance<TZVGraphicObject>);
    return info;
}
const TClass& TZVGraphicObject::ClassType() const { return Class(); }

void TZVGraphicObject::DoBeginChange() {
    TZvComponent::DoBeginChange();
    BeforeChange(this);
}

void TZVGraphicObject::DoEndChange() {
    TZvComponent::DoEndChange();
    AfterChange(this);
}

void TZVGraphicObject::WriteFlag(TZVWriter& writer, const std::string& name, bool value) {
    writer.WriteInteger(name, value ? -1 : 0);
}

bool TZVGraphicObject::ReadFlag(TZVReader& reader, const std::string& name, bool current) {
    int32_t value = current ? -1 : 0;
    reader.ReadInteger(name, value);
    return value != 0;
}

}  // namespace zv
