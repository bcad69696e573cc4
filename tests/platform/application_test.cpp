#include "platform/application.h"

#include <gtest/gtest.h>

#include "platform/message_server.h"
#include "runtime/class_registry.h"

namespace {

using zv::TComponent;
using zv::TStdApplication;

TEST(StdApplication, IsStartedOnceAndRaisesWithoutAReaderClass) {
    TStdApplication* app = zv::Application();
    zv::InitApplicationUnit();  // a second start keeps the one application
    ASSERT_EQ(zv::Application(), app);
    // The ASCII stream classes are preset; without any, using one raises.
    EXPECT_EQ(app->ReaderClass().Name(), "TAsciireader");
    EXPECT_EQ(app->WriterClass().Name(), "TAsciiWriter");
    const zv::TClass* reader = &app->ReaderClass();
    app->SetReaderClass(nullptr);
    EXPECT_THROW(app->ReaderClass(), zv::Exception);
    app->SetReaderClass(reader);
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
