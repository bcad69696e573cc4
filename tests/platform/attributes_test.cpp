// Graphic attributes: one change bracket per assignment, what the setters
// clear, the stream fields, the light record, the arena and the hit list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "message_capture.h"
#include "platform/attributes.h"
#include "platform/hit_list.h"
#include "platform/light.h"
#include "platform/memory_arena.h"

namespace {

using namespace zv;

template <class T>
T* Make() {
    return TComponent::Create<T>(nullptr);
}

// Each setter: one begin and one end, and the Parent flag it clears (or
// leaves).
TEST(Attributes, EverySetterIsOneBracketAndClearsItsGroupFlag) {
    struct Case {
        const char* name;
        std::function<void(TZVattributes*)> set;
        std::function<bool(TZVattributes*)> parentFlag;  // the flag of the group, true before
        bool clears;
    } cases[] = {
        {"Penwidth", [](auto* a) { a->SetPenwidth(3); }, [](auto* a) { return a->ParentPen(); }, true},
        {"PenStyle", [](auto* a) { a->SetPenStyle(2); }, [](auto* a) { return a->ParentPen(); }, true},
        {"PenColor", [](auto* a) { a->SetPenColor(0xFF); }, [](auto* a) { return a->ParentPen(); }, true},
        {"PolygonMode", [](auto* a) { a->SetPolygonMode(6913); }, [](auto* a) { return a->ParentPolygonmode(); }, true},
        {"Brushcolor", [](auto* a) { a->SetBrushcolor(0xFF); }, [](auto* a) { return a->ParentBrush(); }, false},
        {"BrushFill", [](auto* a) { a->SetBrushFill(true); }, [](auto* a) { return a->ParentBrush(); }, false},
        {"Material", [](auto* a) { a->SetMaterial(a->Material()); }, [](auto* a) { return a->ParentMaterial(); }, true},
        {"Texture", [](auto* a) { a->SetTexture(a->Texture()); }, [](auto* a) { return a->ParentTexture(); }, true},
        {"no texture", [](auto* a) { a->SetTexture(nullptr); }, [](auto* a) { return a->ParentTexture(); }, false},
        {"ParentPen", [](auto* a) { a->SetParentPen(false); }, [](auto* a) { return a->ParentPen(); }, true},
    };
    for (const Case& c : cases) {
        TZVattributes* a = Make<TZVattributes>();
        TZvComponent* listener = Make<TZvComponent>();
        int begins = 0, ends = 0;
        listener->ChangeReceiver()->OnBeginChange = [&](TComponent*, TComponent*) { ++begins; };
        listener->ChangeReceiver()->OnEndChange = [&](TComponent*, TComponent*) { ++ends; };
        listener->ListenTo(a);
        c.set(a);
        EXPECT_EQ(begins, 1) << c.name;
        EXPECT_EQ(ends, 1) << c.name;
        EXPECT_EQ(c.parentFlag(a), !c.clears) << c.name;
        listener->Free();
        a->Free();
    }
}

// Every field of a set survives a copy through the stream, the pixel block
// of its texture by reference; the block belongs to the bitmaps container,
// and the textures that share it forget it when it is freed.
TEST(Attributes, ACloneKeepsEveryFieldAndTexturesSharePixels) {
    TzvbitmapData* pixels = TComponent::Create<TzvbitmapData>(nullptr, 3);
    EXPECT_EQ(pixels->Parent(), BitmapsContainer());
    pixels->Data()[2] = 0xAB;
    TZVattributes* a = Make<TZVattributes>();
    a->SetPenwidth(4), a->SetPenStyle(3), a->SetPenColor(0x123456), a->SetBrushcolor(0x654321);
    a->SetBrushFill(true), a->SetPolygonMode(6913), a->SetParentBrush(false);
    TZVmaterial* m = Make<TZVmaterial>();
    m->SetMaterialRecord(TMaterialRecord{1, 2, 3, 0xFFFFFFFF, 0.1, 0.3});
    a->SetMaterial(m);
    Tzvbitmap* t = Make<Tzvbitmap>();
    t->SetSettings(TTextureSettings{9729, 4, 5, 0, 0.5, 0.25, pixels});
    a->SetTexture(t);
    EXPECT_TRUE(a->Texture()->Pixels() == pixels && !a->Texture()->GetRepeating());
    auto* copy = dynamic_cast<TZVattributes*>(a->Clone());
    ASSERT_NE(copy, nullptr);
    TAttributeRecord x, y;
    a->GetAttributeRecord(x);
    copy->GetAttributeRecord(y);
    EXPECT_NE(x.Texture, y.Texture);
    x.Texture = y.Texture = nullptr;
    EXPECT_EQ(0, std::memcmp(&x, &y, sizeof x));
    TTextureSettings tx = a->Texture()->GetSettings(), ty = copy->Texture()->GetSettings();
    EXPECT_EQ(0, std::memcmp(&tx, &ty, sizeof tx));
    EXPECT_TRUE(ty.Pixels == pixels);  // a packed field: compared in place
    Tzvbitmap* other = Make<Tzvbitmap>();
    other->Assign(t);
    EXPECT_EQ(other->Width(), 4);
    EXPECT_THROW(other->Assign(a), EConvertError);

    auto* block = dynamic_cast<TzvbitmapData*>(pixels->Clone());
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(block->Size() == 3 && block->Data()[2] == 0xAB);
    block->Free();
    pixels->Free();
    EXPECT_TRUE(t->Pixels() == nullptr && a->Texture()->Pixels() == nullptr && copy->Texture()->Pixels() == nullptr);
    for (TZvComponent* c : std::initializer_list<TZvComponent*>{other, copy, t, m, a}) c->Free();
}

TEST(Attributes, AttributeRecordWithoutMaterialIsReported) {
    MessageCapture messages;
    TZVattributes* a = Make<TZVattributes>();
    a->Material()->Free();
    TAttributeRecord r;
    a->GetAttributeRecord(r);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{" no Material no future "});
    EXPECT_TRUE(r.Material.Shininess == 0.0);
    a->Free();
}

TEST(Light, TheRecordKeepsEveryFieldButTheIndex) {
    Tlight* l = Make<Tlight>();
    l->SetPosition({1, -2, 3.5}), l->SetDirection({0.25, 0, -1}), l->SetEnabled(true), l->SetSpotExponent(7);
    l->SetSpotCutOff(45), l->SetAmbient(0x010203), l->SetDiffuse(0xFFFFFFFF), l->SetSpecular(0);
    l->SetAttenuation(0.125), l->SetAttenuationKind(-5), l->SetLightIndex(16384);
    TMemoryStream stream;
    l->SaveToStream(stream);
    EXPECT_TRUE(stream.Size() == 89 && stream.Bytes()[48] == 1);  // Enabled after the two points
    Tlight* back = Make<Tlight>();
    stream.Seek(0);
    back->LoadFromStream(stream);
    TMemoryStream again;
    back->SaveToStream(again);
    EXPECT_EQ(again.Bytes(), stream.Bytes());
    EXPECT_EQ(back->LightIndex(), -1);
    TMemoryStream shortStream(stream.Bytes().substr(0, 88));
    EXPECT_THROW(back->LoadFromStream(shortStream), EStreamError);
    l->Free();
    back->Free();
}

TEST(Arena, KeepsOffsetsWhenGrowingAndRefusesWhatLiesOutside) {
    TZVMemory arena(100);
    EXPECT_EQ(arena.Allocate(250), 0);
    *arena.PtrAt(249) = 42;
    EXPECT_EQ(arena.Append("abc", 3), 250);
    EXPECT_EQ(arena.Allocate(60), 253);
    EXPECT_TRUE(*arena.PtrAt(249) == 42 && *arena.PtrAt(251) == 'b');
    EXPECT_NO_THROW(arena.PtrAt(313));  // up to the end of what is in use
    EXPECT_THROW(arena.PtrAt(314), Exception);
    EXPECT_THROW(arena.Allocate(-1), Exception);
}

// Random depths end up in non-increasing order, each new item in front of
// the items of equal depth.
TEST(HitList, KeepsTheDeepestFirst) {
    std::mt19937 rng(5);
    THittypeList list, vetoed;
    std::vector<THitItem*> added;
    auto add = [](THittypeList& to, double depth) {
        auto* item = new THitItem;
        item->Depth = depth;
        to.Add(item);
        return item;
    };
    for (int k = 0; k < 200; ++k) added.push_back(add(list, static_cast<double>(rng() % 20) / 10));
    ASSERT_EQ(list.Count(), 200);
    for (int32_t k = 1; k < list.Count(); ++k) {
        auto* before = static_cast<THitItem*>(list.Items(k - 1));
        auto* after = static_cast<THitItem*>(list.Items(k));
        ASSERT_GE(before->Depth, after->Depth);
        if (before->Depth == after->Depth)
            EXPECT_GT(std::find(added.begin(), added.end(), before), std::find(added.begin(), added.end(), after));
    }
    vetoed.OnCompare = [](THittypeList*, THitType* added, THitType*, bool&, bool& accept) {
        accept = static_cast<THitItem*>(added)->Depth > 0;
    };
    for (double d : {0.2, 0.0, 0.7}) add(vetoed, d);
    EXPECT_EQ(vetoed.Count(), 2);
}

}  // namespace
