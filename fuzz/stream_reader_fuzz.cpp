// The object-stream reader on any bytes. A file either reads into a
// component tree or raises one of the library's exceptions; a failed read
// leaves no component behind. What was read writes a text that reads back
// and writes the same text again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "interface/library_units.h"
#include "platform/application.h"
#include "platform/ascii_reader.h"
#include "platform/ascii_writer.h"
#include "zvhlr.h"

namespace {

using namespace zv;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "stream_reader_fuzz: violated: %s\n", what);
        std::abort();
    }
}

// Fields of every value kind, so that the reader's every path is reached.
class TFuzzKinds : public TZvComponent {
public:
    static const TClass& Class() {
        static const TClass info("TFuzzKinds", &TZvComponent::Class(), &NewInstance<TFuzzKinds>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

    void WriteToStream(TZVWriter& w) override {
        TZvComponent::WriteToStream(w);
        w.WriteBoolean("B", b_);
        w.WriteFloat("F", f_);
        w.WriteString("S", s_);
        w.WritePoint2D("P2", p2_);
        w.WritePoint3D("P3", p3_);
        w.WriteIntPoint("IP", ip_);
        w.WriteIntPoint3D("IP3", ip3_);
        w.WritePointArray2D("A2", a2_);
        w.WritePointArray3D("A3", a3_);
        w.WriteReserved("R", 0);
        w.WriteIntArray("AI", ai_);
        w.WriteDoubleArray("AD", ad_);
        w.WriteStringList("SL", sl_);
        w.WriteBinary("Bin", static_cast<int32_t>(bin_.size()), bin_.data());
        w.WriteReference("Ref", nullptr, ref_);
    }
    void ReadFromStream(TZVReader& r) override {
        TZvComponent::ReadFromStream(r);
        int32_t reserved = 0, size = 0;
        r.ReadBoolean("B", b_);
        r.ReadFloat("F", f_);
        r.ReadString("S", s_);
        r.ReadPoint2D("P2", p2_);
        r.ReadPoint3D("P3", p3_);
        r.ReadIntPoint("IP", ip_);
        r.ReadIntPoint3D("IP3", ip3_);
        r.ReadPointArray2D("A2", a2_);
        r.ReadPointArray3D("A3", a3_);
        r.ReadReserved("R", reserved);
        r.ReadIntArray("AI", ai_);
        r.ReadDoubleArray("AD", ad_);
        r.ReadStringList("SL", sl_);
        r.ReadBinary("Bin", size, bin_);
        r.ReadReference("Ref", ref_);
    }

protected:
    friend class TComponent;
    explicit TFuzzKinds(TComponent* owner) : TZvComponent(owner) {
        ArrayInit(a2_, 16, 1), ArrayInit(a3_, 24, 1), ArrayInit(ai_, 4, 1), ArrayInit(ad_, 8, 1);
    }
    ~TFuzzKinds() override { ArrayClear(a2_), ArrayClear(a3_), ArrayClear(ai_), ArrayClear(ad_); }

private:
    bool b_ = false;
    double f_ = 0;
    std::string s_;
    TXY p2_{};
    TXYZ p3_{};
    TXYi ip_{};
    TXYZi ip3_{};
    TPointArray a2_{}, a3_{}, ai_{}, ad_{};
    std::vector<std::string> sl_;
    std::vector<uint8_t> bin_;
    TZvComponent* ref_ = nullptr;
};

void IgnoreMessage(int32_t, const char*, void*) {}

// The tree read, or none; false when the read raised.
bool Read(const std::string& text, TZvComponent*& root) {
    TMemoryStream stream(text);
    TAsciireader* reader = TComponent::Create<TAsciireader>(nullptr);
    reader->CreateOnStream(&stream);
    root = nullptr;
    bool ok = true;
    try {
        reader->ReadRoot(root);
    } catch (const Exception&) {
        ok = false;
    }
    reader->Free();
    return ok;
}

std::string Write(TZvComponent* root) {
    TMemoryStream stream;
    TAsciiWriter* writer = TComponent::Create<TAsciiWriter>(nullptr);
    writer->CreateOnStream(&stream);
    writer->WriteRoot(root);
    writer->Free();
    return stream.Bytes();
}

void FreeExternals() {
    TZvComponent* externals = ApplicationExternalsRoot();
    while (externals && externals->ChildCount() > 0) externals->ChildAt(externals->ChildCount() - 1)->Free();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zv::InitializeUnits();
    zv::RegisterClass(TFuzzKinds::Class());
    ZVSetMessageHandler(IgnoreMessage, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TZvComponent* roots = Application()->Components();
    const int32_t before = roots->ChildCount();
    TZvComponent* tree = nullptr;
    if (!Read(text, tree)) {
        FreeExternals();
        Check(roots->ChildCount() == before, "a failed read leaves no component behind");
        return 0;
    }
    if (tree) {
        // The tree goes before its copy comes: a second parentless component
        // of the same name would be renamed.
        std::string first = Write(tree);
        tree->Free();
        TZvComponent* again = nullptr;
        Check(Read(first, again) && again, "a written tree reads back");
        Check(Write(again) == first, "a tree read back writes the same text");
        again->Free();
    }
    FreeExternals();
    Check(roots->ChildCount() == before, "the trees read are freed with their roots");
    return 0;
}
