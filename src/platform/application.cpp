#include "platform/application.h"

#include <exception>
#include <span>

#include "platform/ascii_reader.h"
#include "platform/ascii_writer.h"
#include "platform/message_server.h"
#include "runtime/class_registry.h"
#include "runtime/message.h"

namespace zv {
namespace {

TStdApplication* processApplication = nullptr;
TStdApplication* unitApplication = nullptr;

// Built on first use (the load constructor may run before this file's
// namespace-scope initialisers) and never destroyed (the unload destructor
// may run after the exit-time destructors).
std::span<const TClass* const> PlatformClasses() {
    static const TClass* const classes[] = {
        &TZvComponent::Class(),     &TzvServer::Class(),         &TZvChangeServer::Class(),
        &TZVmessageserver::Class(), &TEventserver::Class(),      &Tzvreceiver::Class(),
        &TzvChangeReceiver::Class(), &TEventReceiver::Class(),   &TZVWriter::Class(),
        &TZVReader::Class(),        &TAsciiWriter::Class(),      &TAsciireader::Class(),
    };
    return classes;
}

}  // namespace

TStdApplication* Application() { return processApplication; }

const TClass& TStdApplication::Class() {
    static const TClass info("TStdApplication", &TComponent::Class(), &NewInstance<TStdApplication>);
    return info;
}
const TClass& TStdApplication::ClassType() const { return Class(); }

TZvComponent* TStdApplication::CreateRoot(const std::string& name) {
    TZvComponent* root = Create<TZvComponent>(this);
    root->SetName(name);
    return root;
}

TStdApplication::TStdApplication(TComponent* owner) : TComponent(owner) {
    // Made before the application is registered, so it is nobody's child.
    components_ = CreateRoot("ZvComponents");
    messageServer_ = Create<TZVmessageserver>(this);
    messageServer_->SetName("MessageServer");
    eventServer_ = Create<TEventserver>(this);
    eventServer_->SetName("Eventserver");
    readerClass_ = &TAsciireader::Class();
    writerClass_ = &TAsciiWriter::Class();
    if (!processApplication) processApplication = this;
    systemRoot_ = CreateRoot("ZVSystem");
    systemRoot_->SetFlags(TZvComponent::zvfSystemComponent);
    externalsRoot_ = CreateRoot("ZVExternas");
    externalsRoot_->SetFlags(TZvComponent::zvfSystemComponent);
}

TStdApplication::~TStdApplication() {
    try {
        Reset();
    } catch (const std::exception& e) {
        ShowMessage(e.what());
    }
    // Components without a parent outlive the application; they only leave
    // its list.
    if (components_) components_->children_.Clear();
    if (processApplication == this) processApplication = nullptr;
    if (components_) components_->Free();
    if (messageServer_) messageServer_->Free();
    if (eventServer_) eventServer_->Free();
    FreeSystemComponent(externalsRoot_);
    FreeSystemComponent(systemRoot_);
}

void TStdApplication::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == currentRoot_) currentRoot_ = nullptr;
    if (component == readContext_) readContext_ = nullptr;
    if (component == components_) components_ = nullptr;
    if (component == messageServer_) messageServer_ = nullptr;
    if (component == eventServer_) eventServer_ = nullptr;
    if (component == systemRoot_) systemRoot_ = nullptr;
    if (component == externalsRoot_) externalsRoot_ = nullptr;
}

// Drops the free-notification link unless another field still needs it.
void TStdApplication::Unlink(TComponent* component) {
    if (!component || component == currentRoot_ || component == readContext_) return;
    RemoveFreeNotification(component);
}

void TStdApplication::SetCurrentRoot(TZvComponent* root) {
    TZvComponent* old = currentRoot_;
    currentRoot_ = root;
    Unlink(old);
    if (root) root->FreeNotification(this);
}

void TStdApplication::SetReadContext(TComponent* context) {
    TComponent* old = readContext_;
    readContext_ = context;
    Unlink(old);
    if (context) context->FreeNotification(this);
}

const TClass& TStdApplication::ReaderClass() const {
    if (!readerClass_) throw Exception("No readerClass registered");
    return *readerClass_;
}

const TClass& TStdApplication::WriterClass() const {
    if (!writerClass_) throw Exception("No writerclass registered");
    return *writerClass_;
}

TZvComponent* TStdApplication::FindByPath(const std::string& path) const {
    if (currentRoot_) return currentRoot_->FindChild(path);
    return components_ ? components_->FindChild(path) : nullptr;
}

void TStdApplication::Reset() {
    SetReadContext(nullptr);
    links_.Clear();
    SetCurrentRoot(nullptr);
    FrameworkBroadcast(zvmApplicationReset, this);
}

const TClass* ApplicationReaderClass() { return Application() ? &Application()->ReaderClass() : nullptr; }
const TClass* ApplicationWriterClass() { return Application() ? &Application()->WriterClass() : nullptr; }
TEventserver* ApplicationEventServer() { return Application() ? Application()->EventServer() : nullptr; }
TZvComponent* ApplicationExternalsRoot() { return Application() ? Application()->ExternalsRoot() : nullptr; }

void InitApplicationUnit() {
    for (const TClass* cls : PlatformClasses()) RegisterClass(*cls);
    if (!unitApplication) unitApplication = TComponent::Create<TStdApplication>(nullptr);
}

void FinalizeApplicationUnit() {
    TStdApplication* app = unitApplication;
    unitApplication = nullptr;
    if (app) app->Free();
    FreeGlobalMessageServer();
    for (const TClass* cls : PlatformClasses()) UnregisterClass(*cls);
}

}  // namespace zv
