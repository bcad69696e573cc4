// TZvComponent and the object stream: its own fields, the deep copy and the
// files.
#include <cstdio>
#include <memory>

#include "platform/application.h"
#include "platform/component.h"
#include "platform/stream_reader.h"
#include "platform/stream_writer.h"
#include "runtime/message.h"

namespace zv {
namespace {

// Frees a runtime component when it goes out of scope.
struct TFreeing {
    void operator()(TComponent* c) const { c->Free(); }
};
template <class T>
using TFreeingPtr = std::unique_ptr<T, TFreeing>;

TFreeingPtr<TZVWriter> NewWriter() {
    TStdApplication* app = Application();
    if (!app) throw Exception("No writerclass registered");
    const TClass& cls = app->WriterClass();
    if (!cls.InheritsFrom(TZVWriter::Class())) throw Exception("No writerclass registered");
    return TFreeingPtr<TZVWriter>(static_cast<TZVWriter*>(cls.CreateInstance(nullptr)));
}

TFreeingPtr<TZVReader> NewReader() {
    TStdApplication* app = Application();
    if (!app) throw Exception("No readerClass registered");
    const TClass& cls = app->ReaderClass();
    if (!cls.InheritsFrom(TZVReader::Class())) throw Exception("No readerClass registered");
    return TFreeingPtr<TZVReader>(static_cast<TZVReader*>(cls.CreateInstance(nullptr)));
}

}  // namespace

void TZvComponent::WriteToStream(TZVWriter& writer) {
    writer.WriteInteger("Count", ChildCount());
    for (int32_t i = 0; i < ChildCount(); ++i) writer.WriteComponent(std::to_string(i), ChildAt(i));
}

void TZvComponent::ReadFromStream(TZVReader& reader) {
    int32_t count = 0;
    reader.ReadInteger("Count", count);
    for (int32_t i = 0; i < count; ++i) {
        if (reader.AtEndOfSection()) {
            ShowMessage(" Field BEGINCLASS nicht gefunden");
            break;
        }
        const int64_t before = reader.GetPosition();
        TZvComponent* child = nullptr;
        reader.ReadComponent(std::to_string(i), child);
        if (!child) {
            if (reader.GetPosition() == before) break;  // no section here: the rest cannot be read either
            continue;
        }
        try {
            child->SetParent(this);
        } catch (...) {
            child->Free();
            throw;
        }
    }
}

TZvComponent* TZvComponent::Clone() {
    if (!Application()) return nullptr;
    TMemoryStream stream;
    {
        TFreeingPtr<TZVWriter> writer = NewWriter();
        writer->CreateOnStream(&stream);
        writer->WriteComponent("PComponent", this);
    }
    stream.Seek(0);
    TFreeingPtr<TZVReader> reader = NewReader();
    reader->CreateOnStream(&stream);
    TZvComponent* copy = nullptr;
    reader->ReadComponent("PComponent", copy);
    return copy;
}

void TZvComponent::SaveToFile(const std::string& fileName) {
    TMemoryStream stream;
    {
        TFreeingPtr<TZVWriter> writer = NewWriter();
        writer->CreateOnStream(&stream);
        writer->SetFileName(fileName);
        writer->WriteRoot(this);
    }
    const std::string scratch = fileName + ".tmp";
    {
        TFileStream file(scratch, TFileStream::fmCreate);
        try {
            file.WriteText(stream.Bytes());
            file.Flush();
        } catch (...) {
            std::remove(scratch.c_str());
            throw;
        }
    }
    if (std::rename(scratch.c_str(), fileName.c_str()) != 0) {
        std::remove(scratch.c_str());
        throw EFOpenError("Cannot create file \"" + fileName + "\"");
    }
}

TZvComponent* TZvComponent::LoadFromFile(const std::string& fileName) {
    TFreeingPtr<TZVReader> reader = NewReader();
    reader->OpenFile(fileName);
    TZvComponent* root = nullptr;
    reader->ReadRoot(root);
    return root;
}

}  // namespace zv
