#include "runtime/class_registry.h"

#include <gtest/gtest.h>

#include "runtime/component.h"

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

class TCircle : public TShape {
public:
    static const TClass& Class() {
        static const TClass info("TCircle", &TShape::Class(), &NewInstance<TCircle>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

protected:
    friend class zv::TComponent;
    explicit TCircle(TComponent* owner) : TShape(owner) {}
};

class TSquare : public TShape {
public:
    static const TClass& Class() {
        static const TClass info("TSquare", &TShape::Class(), &NewInstance<TSquare>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

protected:
    friend class zv::TComponent;
    explicit TSquare(TComponent* owner) : TShape(owner) {}
};

class ClassRegistry : public testing::Test {
protected:
    void TearDown() override {
        zv::UnregisterClass(TCircle::Class());
        zv::UnregisterClass(TSquare::Class());
        zv::UnregisterClass(TShape::Class());
    }
};

TEST(ClassReference, InheritsFromItselfAndItsAncestorsOnly) {
    EXPECT_TRUE(TCircle::Class().InheritsFrom(TCircle::Class()));
    EXPECT_TRUE(TCircle::Class().InheritsFrom(TShape::Class()));
    EXPECT_TRUE(TCircle::Class().InheritsFrom(TComponent::Class()));
    EXPECT_FALSE(TShape::Class().InheritsFrom(TCircle::Class()));
    EXPECT_FALSE(TCircle::Class().InheritsFrom(TSquare::Class()));
    EXPECT_FALSE(TCircle::Class().InheritsFrom(nullptr));
    EXPECT_EQ(TCircle::Class().Parent(), &TShape::Class());
    EXPECT_EQ(TComponent::Class().Parent(), nullptr);
}

TEST(ClassReference, AnInstanceReportsItsMostDerivedClass) {
    TComponent* circle = TCircle::Class().CreateInstance(nullptr);
    EXPECT_EQ(circle->ClassName(), "TCircle");
    EXPECT_TRUE(circle->InheritsFrom(TShape::Class()));
    EXPECT_FALSE(circle->InheritsFrom(TSquare::Class()));
    circle->Free();
}

TEST(ClassReference, AClassWithoutFactoryCannotBeInstantiated) {
    const TClass abstractShape("TAbstractShape", &TShape::Class(), nullptr);
    EXPECT_FALSE(abstractShape.CanCreate());
    EXPECT_THROW(abstractShape.CreateInstance(nullptr), zv::EComponentError);
}

TEST_F(ClassRegistry, FindsRegisteredClassesByNameIgnoringCase) {
    zv::RegisterClasses({&TCircle::Class(), &TSquare::Class()});
    EXPECT_EQ(zv::GetClass("TCircle"), &TCircle::Class());
    EXPECT_EQ(zv::GetClass("tsquare"), &TSquare::Class());
    EXPECT_EQ(&zv::FindClass("TCIRCLE"), &TCircle::Class());
    // Registering a class does not register its ancestors.
    EXPECT_EQ(zv::GetClass("TShape"), nullptr);
}

TEST_F(ClassRegistry, UnknownNamesGiveNoneOrRaise) {
    EXPECT_EQ(zv::GetClass("TCircle"), nullptr);
    try {
        zv::FindClass("TCircle");
        FAIL() << "no exception";
    } catch (const zv::EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TCircle not found");
    }
    EXPECT_THROW(zv::CreateInstanceOf("TNoSuchClass", nullptr), zv::EClassNotFound);
}

TEST_F(ClassRegistry, RegisteringTwiceKeepsOneEntryAndAnotherClassOfTheSameNameIsRefused) {
    zv::RegisterClass(TCircle::Class());
    zv::RegisterClass(TCircle::Class());
    zv::UnregisterClass(TCircle::Class());
    EXPECT_EQ(zv::GetClass("TCircle"), nullptr);

    zv::RegisterClass(TCircle::Class());
    const TClass impostor("tcircle", &TComponent::Class(), nullptr);
    EXPECT_THROW(zv::RegisterClass(impostor), zv::EFilerError);
    EXPECT_EQ(zv::GetClass("TCircle"), &TCircle::Class());
}

TEST_F(ClassRegistry, CreatesInstancesByNameWithTheirOwner) {
    zv::RegisterClass(TSquare::Class());
    TComponent* owner = TComponent::Create<TComponent>(nullptr);
    TComponent* square = zv::CreateInstanceOf("tsquare", owner);
    EXPECT_EQ(&square->ClassType(), &TSquare::Class());
    EXPECT_EQ(square->Owner(), owner);
    ASSERT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), square);
    owner->Free();  // frees the square too; the leak checker sees the rest
}

}  // namespace
