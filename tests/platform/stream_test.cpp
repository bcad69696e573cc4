// The object stream: the text that the ASCII writer gives, random trees
// written, read and written again, and hand-written good and broken files.
#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "message_capture.h"
#include "platform/application.h"
#include "platform/ascii_reader.h"
#include "platform/ascii_writer.h"
#include "runtime/number_text.h"

namespace {

using namespace zv;

template <class T>
std::vector<T> FromArray(TPointArray& a) {
    std::vector<T> values(static_cast<size_t>(a.Count));
    if (a.Count > 0) std::memcpy(values.data(), a.Data, values.size() * sizeof(T));
    ArrayClear(a);
    return values;
}

// A component with a field of every value kind.
class TAllKinds : public TZvComponent {
public:
    static const TClass& Class() {
        static const TClass info("TAllKinds", &TZvComponent::Class(), &NewInstance<TAllKinds>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

    bool b = false;
    uint8_t bb = 0;
    double f = 0;
    int32_t i = 0;
    std::string s;
    TXY p2{};
    TXYZ p3{};
    TXYi ip{};
    TXYZi ip3{};
    std::vector<TXY> a2;
    std::vector<TXYZ> a3;
    std::vector<int32_t> ai;
    std::vector<double> ad;
    std::vector<std::string> sl;
    std::vector<uint8_t> bin;
    TZvComponent* ref = nullptr;

    void WriteToStream(TZVWriter& w) override {
        TZvComponent::WriteToStream(w);
        w.WriteBoolean("B", b);
        w.WriteBoolean("BB", bb != 0);
        w.WriteFloat("F", f);
        w.WriteInteger("I", i);
        w.WriteString("S", s);
        w.WritePoint2D("P2", p2);
        w.WritePoint3D("P3", p3);
        w.WriteIntPoint("IP", ip);
        w.WriteIntPoint3D("IP3", ip3);
        WriteArray(a2, [&](TPointArray& a) { w.WritePointArray2D("A2", a); });
        WriteArray(a3, [&](TPointArray& a) { w.WritePointArray3D("A3", a); });
        w.WriteReserved("R", 0);
        WriteArray(ai, [&](TPointArray& a) { w.WriteIntArray("AI", a); });
        WriteArray(ad, [&](TPointArray& a) { w.WriteDoubleArray("AD", a); });
        w.WriteStringList("SL", sl);
        w.WriteBinary("Bin", static_cast<int32_t>(bin.size()), bin.data());
        w.WriteReference("Ref", nullptr, ref);
    }
    void ReadFromStream(TZVReader& r) override {
        TZvComponent::ReadFromStream(r);
        int32_t reserved = 0, size = 0;
        TPointArray a{};
        r.ReadBoolean("B", b);
        r.ReadBooleanByte("BB", bb);
        r.ReadFloat("F", f);
        r.ReadInteger("I", i);
        r.ReadString("S", s);
        r.ReadPoint2D("P2", p2);
        r.ReadPoint3D("P3", p3);
        r.ReadIntPoint("IP", ip);
        r.ReadIntPoint3D("IP3", ip3);
        r.ReadPointArray2D("A2", a), a2 = FromArray<TXY>(a);
        r.ReadPointArray3D("A3", a), a3 = FromArray<TXYZ>(a);
        r.ReadReserved("R", reserved);
        r.ReadIntArray("AI", a), ai = FromArray<int32_t>(a);
        r.ReadDoubleArray("AD", a), ad = FromArray<double>(a);
        r.ReadStringList("SL", sl);
        r.ReadBinary("Bin", size, bin);
        r.ReadReference("Ref", ref);
    }

    template <class T, class Write>
    static void WriteArray(const std::vector<T>& values, Write write) {
        TPointArray a{};
        ArrayInit(a, sizeof(T), static_cast<int32_t>(values.size()));
        for (const T& v : values) ArrayAdd(a, &v);
        write(a);
        ArrayClear(a);
    }

protected:
    friend class TComponent;
    explicit TAllKinds(TComponent* owner) : TZvComponent(owner) {}
};

// The text that the ASCII writer gives for what `write` writes.
std::string Written(const std::function<void(TZVWriter&)>& write) {
    TMemoryStream stream;
    TAsciiWriter* w = TComponent::Create<TAsciiWriter>(nullptr);
    w->CreateOnStream(&stream);
    write(*w);
    w->Free();
    return stream.Bytes();
}

std::string WriteText(TZvComponent* c) {
    return Written([c](TZVWriter& w) { w.WriteRoot(c); });
}

TAsciireader* ReaderOn(TMemoryStream& stream) {
    TAsciireader* r = TComponent::Create<TAsciireader>(nullptr);
    r->CreateOnStream(&stream);
    return r;
}

// Reads the root section; the reader is freed whatever happens.
TZvComponent* ReadText(const std::string& text, int64_t* line = nullptr) {
    TMemoryStream stream(text);
    TAsciireader* r = ReaderOn(stream);
    TZvComponent* c = nullptr;
    try {
        r->ReadRoot(c);
    } catch (...) {
        if (line) *line = r->LineNumber();
        r->Free();
        throw;
    }
    r->Free();
    return c;
}

// Lines ended with LF only.
std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* l : lines) text += std::string(l) + "\n";
    return text;
}

// The header lines of a section and its child count.
std::string Head(const char* name, const char* className, int count) {
    return std::string("BEGINCLASS=\r\nZvNAme=") + name + "\r\nClassname=" + className + "\r\nParent=\r\nCount=" +
           std::to_string(count) + "\r\n";
}

class Stream : public testing::Test {
protected:
    void SetUp() override { RegisterClass(TAllKinds::Class()); }
    static int RootCount() { return Application()->Components()->ChildCount(); }
};

// ---- the written text ------------------------------------------------------

TEST_F(Stream, ValueTextsOfTheWriter) {
    struct Case {
        std::function<void(TZVWriter&)> write;
        std::string text;
    } cases[] = {
        {[](TZVWriter& w) { w.WriteBoolean("B", true); }, "B=True\r\n"},
        {[](TZVWriter& w) { w.WriteFloat("F", 1.0 / 3); }, "F=0.3333333333333333\r\n"},
        {[](TZVWriter& w) { w.WritePoint3D("P", TXYZ{1.005, 2, -3.333}); }, "P=1.005/2.00/-3.333\r\n"},
        {[](TZVWriter& w) { w.WriteBinary("X", 3, "\x01\xAB\xFF"); }, "X size=3\r\nX data=01ABFF\r\n"},
        {[](TZVWriter& w) { w.WriteStringList("L", {"a", "]"}); }, "L=[\r\n=a\r\n=]\r\nL=]\r\n"},
        {[](TZVWriter& w) {
             TAllKinds::WriteArray(std::vector<TXYZ>{{1, 2, 3}, {4, 5, 6}}, [&](auto& a) { w.WritePointArray3D("A", a); });
         },
         "A={1.00/2.00/3.00\r\n4.00/5.00/6.00\r\n}\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Written(c.write), c.text);
}

TEST_F(Stream, TheWriterRefusesWhatCouldNotBeReadBack) {
    EXPECT_EQ(Written([](TZVWriter& w) {
                  EXPECT_THROW(w.WriteString("S", "two\nlines"), Exception);
                  EXPECT_THROW(w.WriteString("A=B", "x"), Exception);
                  EXPECT_THROW(w.WriteFloat("F", std::nan("")), EConvertError);
                  EXPECT_THROW(w.WriteStringList("L", {"a\n"}), Exception);
              }),
              "");
}

// ---- random trees ----------------------------------------------------------

class TreeMaker {
public:
    explicit TreeMaker(unsigned seed) : rng_(seed) {}

    // A random tree whose components refer to each other at random.
    TAllKinds* Tree(const std::string& name) {
        TAllKinds* root = Make(name, 0);
        const int n = static_cast<int>(all_.size());
        for (TAllKinds* c : all_) c->ref = Pick(3) ? all_[static_cast<size_t>(Pick(n))] : nullptr;
        return root;
    }

private:
    TAllKinds* Make(const std::string& name, int depth) {
        TAllKinds* c = TComponent::Create<TAllKinds>(nullptr);
        c->SetZvName(name);
        all_.push_back(c);
        c->b = Pick(2), c->bb = Pick(2), c->f = Double(), c->i = static_cast<int32_t>(rng_());
        c->s = Text(), c->p2 = {Double(), Double()}, c->p3 = {Double(), Double(), Double()};
        c->ip = {static_cast<int32_t>(rng_()), -7}, c->ip3 = {1, static_cast<int32_t>(rng_()), INT32_MIN};
        for (int n = Pick(4); n > 0; --n) c->a2.push_back({Double(), Double()});
        for (int n = Pick(4); n > 0; --n) c->a3.push_back({Double(), Double(), Double()});
        for (int n = Pick(4); n > 0; --n) c->ai.push_back(static_cast<int32_t>(rng_()));
        for (int n = Pick(4); n > 0; --n) c->ad.push_back(Double());
        for (int n = Pick(4); n > 0; --n) c->sl.push_back(Text());
        for (int n = Pick(6); n > 0; --n) c->bin.push_back(static_cast<uint8_t>(rng_()));
        for (int n = depth < 3 ? Pick(4) : 0; n > 0; --n) Make("N" + std::to_string(n), depth + 1)->SetParent(c);
        return c;
    }
    int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    double Double() {
        switch (Pick(5)) {
            case 0: return Pick(2001) - 1000.0;
            case 1: return (Pick(200001) - 100000) / 100.0;
            case 2: return std::ldexp(static_cast<double>(rng_()), Pick(200) - 100);
            case 3: return -std::ldexp(static_cast<double>(rng_()), -Pick(60));
            default: {
                const auto d = std::bit_cast<double>((uint64_t{rng_()} << 32) | rng_());
                return std::isfinite(d) ? d : 0.5;
            }
        }
    }
    std::string Text() {
        static const char* pieces[] = {"a", "=",           "\\",   "]", "[", "{", "}", " ",
                                       "ENDCLASS=", "BEGINCLASS=", "\xE4", "#", "@", ",", "\r"};
        std::string s;
        for (int n = Pick(6); n > 0; --n) s += pieces[Pick(15)];
        return s;
    }
    std::mt19937 rng_;
    std::vector<TAllKinds*> all_;
};

// Compared by bytes: -0.0 is not 0.0 here.
template <class T>
bool SameBytes(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }
template <class T>
bool SameBytes(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// The values of two trees; their names, classes, parents and references
// are compared in the text that is written of both.
void ExpectSameValues(const TZvComponent* a, const TZvComponent* b) {
    auto* x = dynamic_cast<const TAllKinds*>(a);
    auto* y = dynamic_cast<const TAllKinds*>(b);
    ASSERT_TRUE(x && y);
    EXPECT_TRUE(x->b == y->b && x->bb == y->bb && x->i == y->i && x->s == y->s && x->sl == y->sl && x->bin == y->bin);
    EXPECT_TRUE(SameBytes(x->f, y->f) && SameBytes(x->p2, y->p2) && SameBytes(x->p3, y->p3) && SameBytes(x->ip, y->ip));
    EXPECT_TRUE(SameBytes(x->ip3, y->ip3) && SameBytes(x->a2, y->a2) && SameBytes(x->a3, y->a3) &&
                SameBytes(x->ai, y->ai) && SameBytes(x->ad, y->ad));
    ASSERT_EQ(a->ChildCount(), b->ChildCount());
    for (int32_t k = 0; k < a->ChildCount(); ++k) ExpectSameValues(a->ChildAt(k), b->ChildAt(k));
}

void RoundTripRandomTrees(int count) {
    for (int seed = 1; seed <= count; ++seed) {
        SCOPED_TRACE(seed);
        MessageCapture messages;
        TAllKinds* tree = TreeMaker(static_cast<unsigned>(seed)).Tree("T" + std::to_string(seed));
        std::string text = WriteText(tree);
        TZvComponent* copy = ReadText(text);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(WriteText(copy), text);
        ExpectSameValues(tree, copy);
        TZvComponent* clone = tree->Clone();
        EXPECT_EQ(WriteText(clone), text);
        EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
        for (TZvComponent* c : {clone, copy, static_cast<TZvComponent*>(tree)}) c->Free();
    }
}

TEST_F(Stream, RandomTreesReadBackToTheSameValuesAndText) { RoundTripRandomTrees(100); }

struct TLocaleGuard {
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ~TLocaleGuard() { std::setlocale(LC_NUMERIC, saved.c_str()); }
};

TEST_F(Stream, RandomTreesRoundTripUnderADecimalComma) {
    TLocaleGuard guard;
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
        GTEST_SKIP() << "no German locale on this machine";
    ASSERT_EQ(DecimalSeparator(), ',');
    RoundTripRandomTrees(40);
    TAllKinds* c = TComponent::Create<TAllKinds>(nullptr);
    c->ad = {1.5, -2.25};
    EXPECT_NE(WriteText(c).find("AD={1,50;-2,25}\r\n"), std::string::npos);
    c->Free();
}

// ---- hand-written files ----------------------------------------------------

// Hand-written in the two-decimal form, with LF line ends, a forward
// reference and an unregistered class between two children; empty values
// are read back in the random trees.
TEST_F(Stream, AHandWrittenFileReadsIntoTheExpectedTree) {
    MessageCapture messages;
    int before = RootCount();
    std::string text = Lines({"BEGINCLASS=", "ZvNAme=House", "Classname=TZvComponent", "Parent=", "Count=3",
                              "BEGINCLASS=", "zvname=Room", "CLASSNAME=tallkinds", "Parent=House", "Count=0",
                              "B=true", "BB=1", "F=2.5", "I=-12", "S=a=b", "P2=1.00/2.00", "P3=1.00/2.00/3.00",
                              "IP=4/5", "IP3=6/7/8", "A2={1.00/2.00,3.00/4.00}", "A3={1.00/2.00/3.00",
                              "4.00/5.00/6.00", "}", "R=", "AI={1,2,3}", "AD={0.50}", "SL=[", "=x", "=]", "SL=]",
                              "Bin size=2", "Bin data=00ff", "REFZVNAME=\\House@Hall", "ENDCLASS=", "BEGINCLASS=",
                              "ZvNAme=Ghost", "Classname=TNoSuchClass", "Parent=House", "Count=1", "BEGINCLASS=",
                              "ENDCLASS=", "ENDCLASS=", "BEGINCLASS=", "ZvNAme=Hall", "Classname=TZvComponent",
                              "Parent=House", "Count=0", "ENDCLASS=", "ENDCLASS="});
    TZvComponent* house = ReadText(text);
    ASSERT_NE(house, nullptr);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Class TNoSuchClass not found"});
    ASSERT_EQ(house->ChildCount(), 2);
    auto* room = dynamic_cast<TAllKinds*>(house->ChildAt(0));
    ASSERT_TRUE(room && house->ChildAt(1)->GetZvName() == "Hall");
    EXPECT_TRUE(room->b && room->bb == 0 && room->f == 2.5 && room->i == -12 && room->s == "a=b");
    EXPECT_TRUE(SameBytes(room->p3, TXYZ{1, 2, 3}) && SameBytes(room->ip3, TXYZi{6, 7, 8}));
    EXPECT_TRUE(SameBytes(room->a3, std::vector<TXYZ>{{1, 2, 3}, {4, 5, 6}}) && room->ad == std::vector<double>{0.5});
    EXPECT_TRUE(room->sl == (std::vector<std::string>{"x", "]"}) && room->bin == (std::vector<uint8_t>{0, 255}));
    EXPECT_TRUE(room->ref == house->ChildAt(1) && RootCount() == before + 1);
    house->Free();
}

// A section that lacks fields or has more than its class reads ends where
// it should: the missing ones are reported and keep their values.
TEST_F(Stream, MissingAndExtraFieldsKeepTheSectionsInStep) {
    MessageCapture messages;
    TZvComponent* root = ReadText(Head("R", "TZvComponent", 2) + Head("Short", "TAllKinds", 0) +
                                  "B=True\r\nENDCLASS=\r\n" +
                                  Head("Long", "TZvComponent", 0) + "Extra=1\r\n" + Head("E", "TZvComponent", 0) +
                                  "ENDCLASS=\r\nENDCLASS=\r\nENDCLASS=\r\n");
    ASSERT_TRUE(root && root->ChildCount() == 2);
    EXPECT_TRUE(dynamic_cast<TAllKinds*>(root->ChildAt(0))->b && root->ChildAt(1)->GetZvName() == "Long");
    EXPECT_EQ(messages.Texts().front(), " Field BB nicht gefunden");
    EXPECT_EQ(messages.Texts().back(), " Field ENDCLASS nicht gefunden");
    root->Free();
}

// Broken files raise the conversion or read error with the line where it
// happened, and leave nothing behind.
TEST_F(Stream, BrokenFilesRaiseAndLeaveNothingBehind) {
    const std::string head = Head("X", "TAllKinds", 1) + Head("Y", "TZvComponent", 0) + "ENDCLASS=\r\n";
    struct Case {
        std::string rest;
        int64_t line;
        const char* what;
    } cases[] = {
        {"B=True\r\nBB=True\r\nF=1.5.5\r\n", 14, "'1.5.5' is not a valid floating point value"},
        {"B=True\r\nBB=True\r\nF=1\r\nI=12x\r\n", 15, "'12x' is not a valid integer value"},
        {"B=True\r\nBB=True\r\nF=1\r\nI=99999999999\r\n", 15, "'99999999999' is not a valid integer value"},
        {"B=True\r\nBB=True\r\nF=inf\r\n", 14, "'inf' is not a valid floating point value"},
        {"B=True\r\nBB=True\r\nF=1\r\nI=1\r\nS=\r\nP2=1/x\r\n", 17, "'x' is not a valid floating point value"},
        {"B=True\r\nBB=True\r\nF=1\r\nI=1\r\nS=\r\nP2=1/2\r\nP3=1/2/3\r\nIP=1\r\n", 19,
         "'1' is not a valid integer point"},
        {"B=True\r\n", 12, "The stream ends inside a section after line 12"},
        {[] {
             std::string deep;
             for (int k = 0; k < 300; ++k) deep += Head("N", "TZvComponent", 1);
             return deep;
         }(),
         -1, "Sections nested too deeply at line 1287"},
    };
    for (const Case& c : cases) {
        MessageCapture messages;
        int before = RootCount();
        int64_t line = 0;
        try {
            ReadText(head + c.rest, &line);
            ADD_FAILURE() << "no error for " << c.rest;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().rfind(c.what, 0), 0u) << e.Message();
            if (c.line >= 0) EXPECT_EQ(line, c.line) << c.what;
        }
        EXPECT_EQ(RootCount(), before) << c.what;
    }
}

// Every prefix of a good file, and every file with one byte changed, either
// reads or raises; nothing stays behind when it raises.
TEST_F(Stream, TruncatedAndDamagedFilesEndCleanly) {
    TAllKinds* tree = TreeMaker(7).Tree("Cut");
    const std::string text = WriteText(tree);
    tree->Free();
    MessageCapture messages;
    std::mt19937 rng(3);
    for (size_t n = 0; n < text.size() + 200; ++n) {
        std::string broken = text.substr(0, std::min(n, text.size()));
        if (n >= text.size()) broken[rng() % text.size()] = "=\r\n{}[]/x9"[rng() % 11];
        int before = RootCount();
        try {
            if (TZvComponent* c = ReadText(broken)) c->Free();
        } catch (const Exception&) {
        }
        ASSERT_EQ(RootCount(), before) << n;
    }
}

// ---- references, files and the read context --------------------------------

TEST_F(Stream, ReferencesIntoAnotherFileAreReadOnceAndKeptUnderTheExternals) {
    TZvComponent* lib = TComponent::Create<TZvComponent>(nullptr);
    TZvComponent* part = TComponent::Create<TZvComponent>(nullptr);
    lib->SetZvName("Lib"), part->SetZvName("Part"), part->SetParent(lib);
    const std::string file = testing::TempDir() + "zv_stream_lib.txt";
    lib->SaveToFile(file);
    lib->Free();

    MessageCapture messages;
    TAllKinds* user = TComponent::Create<TAllKinds>(nullptr);
    user->SetZvName("User");
    TZvComponent* copy = ReadText([&] {
        std::string t = WriteText(user);
        size_t at = t.find("REFZVNAME=NIL");
        return t.replace(at, 13, "REFZVNAME=\\ZVExternas\\" + file + "#@Lib@Part");
    }());
    auto* linked = dynamic_cast<TAllKinds*>(copy);
    ASSERT_TRUE(linked && linked->ref);
    EXPECT_EQ(linked->ref->Parent(), ApplicationExternalsRoot());
    EXPECT_EQ(linked->ref->GetZvName(), file + "#@Lib@Part");
    TZvComponent* again = ReadText(WriteText(copy));
    EXPECT_EQ(dynamic_cast<TAllKinds*>(again)->ref, linked->ref);
    EXPECT_TRUE(messages.Texts().empty());
    for (TZvComponent* c : {linked->ref, again, copy, static_cast<TZvComponent*>(user)}) c->Free();
    std::remove(file.c_str());
}

TEST_F(Stream, AGroupReadsSectionsUpToItsEndAndSectionsAreFoundByPath) {
    MessageCapture messages;
    std::string text = "G={\r\n" + Head("A", "TZvComponent", 0) + "ENDCLASS=\r\n" + Head("B", "TZvComponent", 0) +
                       "ENDCLASS=\r\n}\r\nX=1\r\nG=(\r\n";
    TMemoryStream stream(text);
    TAsciireader* r = ReaderOn(stream);
    TZvComponent* group = TComponent::Create<TZvComponent>(nullptr);
    int32_t x = 0;
    r->ReadGroup("G", group);
    r->ReadInteger("X", x);
    r->ReadGroup("G", group);
    r->Free();
    ASSERT_EQ(group->ChildCount(), 2);
    EXPECT_TRUE(group->ChildAt(1)->GetZvName() == "B" && x == 1);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{" falsches Gruppenformat "});
    group->Free();

    text = Head("A", "TZvComponent", 2) + Head("B", "TZvComponent", 1) + Head("C", "TZvComponent", 0) +
           "ENDCLASS=\r\nENDCLASS=\r\n" + Head("C", "TZvComponent", 0) + "ENDCLASS=\r\nENDCLASS=\r\n";
    TMemoryStream paths(text);
    r = ReaderOn(paths);
    EXPECT_EQ(r->PathPosition("\\A"), 0);
    EXPECT_EQ(r->PathPosition("\\a\\b\\c"), static_cast<int64_t>(text.find("BEGINCLASS=\r\nZvNAme=C")));
    EXPECT_EQ(r->PathPosition("\\A\\C"), static_cast<int64_t>(text.rfind("BEGINCLASS=\r\nZvNAme=C")));
    EXPECT_EQ(r->PathPosition("\\B"), -1);
    ASSERT_TRUE(r->SeekPath("\\A\\B"));
    TZvComponent* b = nullptr;
    r->ReadComponent("", b);
    r->Free();
    ASSERT_TRUE(b && b->GetZvName() == "B" && b->ChildAt(0)->GetZvName() == "C");
    b->Free();
}

}  // namespace
