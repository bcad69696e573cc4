#include "runtime/class_registry.h"

#include <gtest/gtest.h>

#include "runtime/component.h"
#include "message_capture.h"

namespace {

using zv::TClass;
using zv::TComponent;

class TShape : public TComponent {
public:
    static const TClass& Class() {
        static const TClass info("TShape", &TComponent::Class(), &NewInstance<TShape>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

protected:
    friend class zv::TComponent;
    explicit TShape(TComponent* owner) : TComponent(owner) {}
};

const TClass circle("TCircle", &TShape::Class(), nullptr);  // abstract: no factory

TEST(ClassRegistry, AncestryLookupAndCreationByName) {
    EXPECT_TRUE(circle.InheritsFrom(&TComponent::Class()));
    EXPECT_FALSE(TShape::Class().InheritsFrom(&circle));
    EXPECT_FALSE(circle.InheritsFrom(nullptr));
    EXPECT_THROW(circle.CreateInstance(nullptr), zv::EComponentError);

    zv::RegisterClasses({&TShape::Class(), &circle});
    zv::RegisterClass(TShape::Class());  // again: one entry
    EXPECT_EQ(zv::GetClass("tcircle"), &circle);
    const TClass impostor("TSHAPE", &TComponent::Class(), nullptr);
    EXPECT_THROW(zv::RegisterClass(impostor), zv::EFilerError);

    TComponent* owner = TComponent::Create<TComponent>(nullptr);
    TComponent* shape = zv::CreateInstanceOf("tshape", owner);
    EXPECT_EQ(shape->ClassName(), "TShape");
    EXPECT_EQ(owner->Components(0), shape);
    owner->Free();

    zv::UnregisterClass(TShape::Class());
    EXPECT_EQ(zv::GetClass("TShape"), nullptr);
    ExpectThrowMessage<zv::EClassNotFound>([] { zv::FindClass("TShape"); }, "Class TShape not found");
    zv::UnregisterClass(circle);
}

}  // namespace
