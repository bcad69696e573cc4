#include "platform/attribute_unit.h"

#include <span>

#include "platform/attributes.h"
#include "platform/bitmap.h"
#include "platform/bitmap_data.h"
#include "platform/light.h"
#include "platform/material.h"
#include "runtime/class_registry.h"

namespace zv {
namespace {

std::span<const TClass* const> AttributeClasses() {
    static const TClass* const classes[] = {
        &TZVGraphicObject::Class(), &TZVmaterial::Class(),   &Tzvbitmap::Class(),
        &TzvbitmapData::Class(),    &TZVattributes::Class(), &Tlight::Class(),
    };
    return classes;
}

}  // namespace

void InitGraphicAttributeUnit() {
    for (const TClass* cls : AttributeClasses()) RegisterClass(*cls);
    CreateBitmapsContainer();
}

void FinalizeGraphicAttributeUnit() {
    FreeBitmapsContainer();
    for (const TClass* cls : AttributeClasses()) UnregisterClass(*cls);
}

}  // namespace zv
