#include "platform/stream_writer.h"

namespace zv {

const TClass& TZVWriter::Class() {
    static const TClass info("TZVWriter", &TComponent::Class(), nullptr);
    return info;
}
const TClass& TZVWriter::ClassType() const { return Class(); }

TZVWriter::~TZVWriter() = default;

void TZVWriter::WriteRoot(TZvComponent* comp) { WriteComponent("Root", comp); }

void TZVWriter::CreateOnFile(const std::string& fileName) {
    auto stream = std::make_unique<TFileStream>(fileName, TFileStream::fmCreate);
    CreateOnStream(stream.get());
    ownedStream_ = std::move(stream);
    fileName_ = fileName;
}

}  // namespace zv
