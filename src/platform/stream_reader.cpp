#include "platform/stream_reader.h"

#include "platform/application.h"

namespace zv {

const TClass& TZVReader::Class() {
    static const TClass info("TZVReader", &TComponent::Class(), nullptr);
    return info;
}
const TClass& TZVReader::ClassType() const { return Class(); }

TZVReader::TZVReader(TComponent* owner) : TComponent(owner) {
    if (TStdApplication* app = Application()) SetReadContext(app->ReadContext());
}

TZVReader::~TZVReader() = default;

void TZVReader::SetReadContext(TComponent* context) {
    if (readContext_ && readContext_ != context) RemoveFreeNotification(readContext_);
    readContext_ = context;
    if (context) context->FreeNotification(this);
}

void TZVReader::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == readContext_) readContext_ = nullptr;
}

void TZVReader::OpenFile(const std::string& fileName) {
    auto stream = std::make_unique<TFileStream>(fileName, TFileStream::fmOpenRead);
    CreateOnStream(stream.get());
    ownedStream_ = std::move(stream);
    fileName_ = fileName;
}

}  // namespace zv
