#include "platform/application.h"

#include <gtest/gtest.h>

#include "platform/message_server.h"
#include "runtime/class_registry.h"

namespace {

using zv::TComponent;
using zv::TStdApplication;

TEST(StdApplication, HoldsTheRootContainersServersAndClasses) {
    TStdApplication* app = zv::Application();
    zv::InitApplicationUnit();  // a second start keeps the one application
    ASSERT_EQ(zv::Application(), app);
    EXPECT_EQ(app->Components()->GetZvName(), "ZvComponents");
    EXPECT_EQ(app->FindByPath("\\zvsystem"), app->SystemRoot());
    EXPECT_TRUE(app->SystemRoot()->IsSystemComponent() && app->ExternalsRoot()->IsSystemComponent());
    EXPECT_EQ(app->ExternalsRoot()->GetZvName(), "ZVExternas");
    EXPECT_EQ(app->FindComponent("Eventserver"), zv::ApplicationEventServer());
    EXPECT_EQ(app->MessageServer()->Name(), "MessageServer");
    // The ASCII stream classes are preset; without any, using one raises.
    EXPECT_EQ(app->ReaderClass().Name(), "TAsciireader");
    EXPECT_EQ(app->WriterClass().Name(), "TAsciiWriter");
    const zv::TClass* reader = &app->ReaderClass();
    app->SetReaderClass(nullptr);
    EXPECT_THROW(app->ReaderClass(), zv::Exception);
    app->SetReaderClass(reader);
    for (const char* name : {"TZvComponent", "TzvServer", "TZvChangeServer", "TZVmessageserver", "TEventserver",
                             "Tzvreceiver", "TzvChangeReceiver", "TEventReceiver"})
        EXPECT_NE(zv::GetClass(name), nullptr) << name;
}

TEST(StdApplication, ASecondApplicationIsNotTheProcessWideOneAndFreesItsParts) {
    TStdApplication* app = zv::Application();
    int listed = app->Components()->ChildCount();
    TStdApplication* second = TComponent::Create<TStdApplication>(nullptr);
    EXPECT_EQ(zv::Application(), app);
    EXPECT_NE(second->SystemRoot(), app->SystemRoot());
    zv::FreeSystemComponent(second->ExternalsRoot());  // an owned root freed early is forgotten
    EXPECT_EQ(second->ExternalsRoot(), nullptr);
    second->Free();
    EXPECT_EQ(app->Components()->ChildCount(), listed);
}

}  // namespace
