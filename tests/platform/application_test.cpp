#include "platform/application.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/message_server.h"
#include "runtime/class_registry.h"

namespace {

using zv::TComponent;
using zv::TStdApplication;
using zv::TZvComponent;

std::string ExceptionText(const std::function<void()>& f) {
    try {
        f();
    } catch (const zv::Exception& e) {
        return e.Message();
    }
    return "(no exception)";
}

TEST(StdApplication, HoldsTheRootContainersAndServers) {
    TStdApplication* app = zv::Application();
    ASSERT_NE(app, nullptr);
    TZvComponent* root = app->Components();
    EXPECT_EQ(root->GetZvName(), "ZvComponents");
    EXPECT_EQ(root->Parent(), nullptr);
    EXPECT_EQ(root->IndexOfChild(root), -1);
    EXPECT_EQ(app->SystemRoot()->GetZvName(), "ZVSystem");
    EXPECT_EQ(app->ExternalsRoot()->GetZvName(), "ZVExternas");
    EXPECT_TRUE(app->SystemRoot()->IsSystemComponent());
    EXPECT_TRUE(app->ExternalsRoot()->IsSystemComponent());
    EXPECT_FALSE(root->IsSystemComponent());
    EXPECT_GE(root->IndexOfChild(app->SystemRoot()), 0);
    EXPECT_GE(root->IndexOfChild(app->ExternalsRoot()), 0);
    EXPECT_EQ(app->MessageServer()->Name(), "MessageServer");
    EXPECT_EQ(app->EventServer()->Name(), "Eventserver");
    EXPECT_EQ(app->FindComponent("Eventserver"), app->EventServer());
    EXPECT_NE(static_cast<TComponent*>(app->MessageServer()), zv::GlobalMessageServer());
    EXPECT_EQ(app->FindByPath("\\zvsystem"), app->SystemRoot());
    EXPECT_EQ(zv::ApplicationEventServer(), app->EventServer());
    EXPECT_EQ(zv::ApplicationExternalsRoot(), app->ExternalsRoot());
    EXPECT_EQ(app->CurrentRoot(), nullptr);
}

TEST(StdApplication, StreamClassesMustBeRegisteredBeforeUse) {
    TStdApplication* app = zv::Application();
    EXPECT_EQ(app->ReaderClass().Name(), "TAsciireader");
    EXPECT_EQ(app->WriterClass().Name(), "TAsciiWriter");
    const zv::TClass* reader = &app->ReaderClass();
    const zv::TClass* writer = &app->WriterClass();
    app->SetReaderClass(nullptr);
    app->SetWriterClass(nullptr);
    EXPECT_EQ(ExceptionText([&] { app->ReaderClass(); }), "No readerClass registered");
    EXPECT_EQ(ExceptionText([&] { app->WriterClass(); }), "No writerclass registered");
    app->SetReaderClass(&TZvComponent::Class());
    app->SetWriterClass(&TComponent::Class());
    EXPECT_EQ(zv::ApplicationReaderClass(), &TZvComponent::Class());
    EXPECT_EQ(zv::ApplicationWriterClass(), &TComponent::Class());
    app->SetReaderClass(reader);
    app->SetWriterClass(writer);
}

TEST(StdApplication, ThePlatformClassesAreRegistered) {
    for (const char* name : {"TZvComponent", "TzvServer", "TZvChangeServer", "TZVmessageserver", "TEventserver",
                             "Tzvreceiver", "TzvChangeReceiver", "TEventReceiver"})
        EXPECT_NE(zv::GetClass(name), nullptr) << name;
    TComponent* made = zv::CreateInstanceOf("tzvcomponent", nullptr);
    EXPECT_EQ(made->ClassName(), "TZvComponent");
    EXPECT_GE(zv::Application()->Components()->IndexOfChild(static_cast<TZvComponent*>(made)), 0);
    made->Free();
}

TEST(StdApplication, StartingTheUnitTwiceKeepsOneApplication) {
    TStdApplication* app = zv::Application();
    zv::InitApplicationUnit();
    EXPECT_EQ(zv::Application(), app);
}

TEST(StdApplication, ASecondApplicationIsNotTheProcessWideOneAndFreesItsParts) {
    TStdApplication* app = zv::Application();
    int listed = app->Components()->ChildCount();
    TStdApplication* second = TComponent::Create<TStdApplication>(nullptr);
    EXPECT_EQ(zv::Application(), app);
    EXPECT_NE(second->SystemRoot(), app->SystemRoot());
    EXPECT_GT(app->Components()->ChildCount(), listed);
    second->Free();
    EXPECT_EQ(app->Components()->ChildCount(), listed);
}

TEST(StdApplication, AnOwnedRootFreedEarlyIsForgotten) {
    TStdApplication* second = TComponent::Create<TStdApplication>(nullptr);
    zv::FreeSystemComponent(second->ExternalsRoot());
    EXPECT_EQ(second->ExternalsRoot(), nullptr);
    second->Free();
}

}  // namespace
