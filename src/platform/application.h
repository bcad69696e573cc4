// TStdApplication: the framework's application object. It holds the roots of
// the component tree ("ZvComponents", "ZVSystem", "ZVExternas") and the
// application's servers for the life of the library.
#pragma once

#include <string>

#include "platform/component.h"
#include "platform/link_list.h"
#include "platform/server.h"
#include "runtime/component.h"

namespace zv {

class TStdApplication : public TComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    using TComponent::Components;
    // The root container: lists every component that has no parent.
    TZvComponent* Components() const { return components_; }
    TEventserver* EventServer() const { return eventServer_; }
    TZVmessageserver* MessageServer() const { return messageServer_; }
    TZvComponent* SystemRoot() const { return systemRoot_; }
    TZvComponent* ExternalsRoot() const { return externalsRoot_; }

    // Default parent of new components and root of path look-ups; cleared
    // when that component dies.
    TZvComponent* CurrentRoot() const { return currentRoot_; }
    void SetCurrentRoot(TZvComponent* root);
    // Handed to every stream reader; cleared when that component dies.
    TComponent* ReadContext() const { return readContext_; }
    void SetReadContext(TComponent* context);

    // References of stream reading that wait for their targets.
    TlinkList& Links() { return links_; }

    // The object-stream classes (the ASCII writer and reader at first);
    // raise while none is registered.
    const TClass& ReaderClass() const;
    const TClass& WriterClass() const;
    void SetReaderClass(const TClass* cls) { readerClass_ = cls; }
    void SetWriterClass(const TClass* cls) { writerClass_ = cls; }

    // Looks path up below the current root, or below the root container.
    TZvComponent* FindByPath(const std::string& path) const;
    // Empties the read context, the link list and the current root;
    // announces the reset.
    void Reset();

protected:
    friend class TComponent;
    explicit TStdApplication(TComponent* owner);
    ~TStdApplication() override;

    void Notification(TComponent* component, TOperation operation) override;

private:
    TZvComponent* CreateRoot(const std::string& name);
    void Unlink(TComponent* component);

    const TClass* readerClass_ = nullptr;
    const TClass* writerClass_ = nullptr;
    TZvComponent* components_ = nullptr;
    TEventserver* eventServer_ = nullptr;
    TZvComponent* currentRoot_ = nullptr;
    TZVmessageserver* messageServer_ = nullptr;
    TZvComponent* systemRoot_ = nullptr;
    TComponent* readContext_ = nullptr;
    TlinkList links_;
    TZvComponent* externalsRoot_ = nullptr;
};

// The process-wide application, or none.
TStdApplication* Application();

// Short-cuts to the application's parts; none without an application.
const TClass* ApplicationReaderClass();
const TClass* ApplicationWriterClass();
TEventserver* ApplicationEventServer();
TZvComponent* ApplicationExternalsRoot();

// Library start-up: creates the process-wide application and registers the
// platform's classes, the object-stream classes among them. Further calls do nothing.
void InitApplicationUnit();
// Library shut-down: frees the application and the process-wide message
// server, and unregisters the platform's classes.
void FinalizeApplicationUnit();

}  // namespace zv
