// Delivery of the skin message: which children get it, how, and queries.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/messages/message_routines.h"
#include "skin_test_support.h"

namespace velmap::skin {
namespace {

using namespace velmap::skin::test;

const char kFormText[] = R"desc(
object RouteForm : TForm
  Width = 200
  Height = 60
  object Plain : TPanel
    Width = 100
    Height = 60
    object Deep : TProbePanel
      Width = 50
      Height = 30
      object DeepButton : TProbeButton
        Width = 10
        Height = 10
      end
    end
  end
  object Skinned : TProbePanel
    Left = 100
    Width = 100
    Height = 60
    object Button : TProbeButton
      Width = 10
      Height = 10
    end
    object Graphic : TSpeedButton
      Left = 20
      Width = 10
      Height = 10
    end
  end
end
)desc";

class MessageRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log().clear();
        form_ = MakeForm(host_.get(), kFormText);
        deep_ = dynamic_cast<ProbePanel*>(form_->FindComponent("Deep"));
        deepButton_ = dynamic_cast<ProbeButton*>(form_->FindComponent("DeepButton"));
        skinned_ = dynamic_cast<ProbePanel*>(form_->FindComponent("Skinned"));
        button_ = dynamic_cast<ProbeButton*>(form_->FindComponent("Button"));
        ASSERT_TRUE(deep_ && deepButton_ && skinned_ && button_);
        Log().clear();
    }

    HostWindow host_;
    ui::owned<ui::TForm> form_;
    ProbePanel* deep_ = nullptr;
    ProbeButton* deepButton_ = nullptr;
    ProbePanel* skinned_ = nullptr;
    ProbeButton* button_ = nullptr;
};

TEST_F(MessageRoutinesTest, BroadcastReachesSkinnedControlsThroughPlainOnes) {
    ASSERT_TRUE(form_->HandleAllocated());
    BroadcastToChildren(form_.get(), SM_SKINCMD, SkinWParam(SMC_INVALIDATE_CACHE), 0);
    // Skinned windowed controls are messaged (and pass nothing on themselves
    // here); the plain panel is searched instead of messaged.
    EXPECT_EQ(LogOf("Deep", {SMC_INVALIDATE_CACHE}).size(), 1u);
    EXPECT_EQ(LogOf("Skinned", {SMC_INVALIDATE_CACHE}).size(), 1u);
    EXPECT_TRUE(LogOf("Button", {SMC_INVALIDATE_CACHE}).empty());
    EXPECT_TRUE(LogOf("DeepButton", {SMC_INVALIDATE_CACHE}).empty());

    // Into a skinned panel's own children the message goes by direct dispatch.
    Log().clear();
    BroadcastToChildren(skinned_, SM_SKINCMD, SkinWParam(SMC_INVALIDATE_CACHE), 0);
    EXPECT_EQ(LogOf("Button", {SMC_INVALIDATE_CACHE}).size(), 1u);
}

TEST_F(MessageRoutinesTest, QueriesReadTheAnswerSlot) {
    EXPECT_TRUE(QuerySkinMessage(skinned_, SMC_IS_SKINNED));
    EXPECT_TRUE(QuerySkinMessage(button_, SMC_IS_SKINNED));
    EXPECT_FALSE(QuerySkinMessage(form_.get(), SMC_IS_SKINNED));
    EXPECT_TRUE(QueryWindowSkinMessage(skinned_->Handle(), SMC_IS_SKINNED));
    EXPECT_FALSE(QueryWindowSkinMessage(form_->Handle(), SMC_IS_SKINNED));
    skinned_->SkinData().CacheStale = true;
    EXPECT_TRUE(QuerySkinMessage(skinned_, SMC_QUERY_BUSY));
}

TEST_F(MessageRoutinesTest, ChildrenReadyGoesToTheWindowedChildrenOnly) {
    // A skinned graphic child is painted with its parent: it hears nothing.
    NotifyChildrenReady(skinned_);
    EXPECT_EQ(button_->Received(SMC_PARENT_READY), 0);
    // By window: the child windows of the form (the two panels) hear it.
    NotifyChildrenReady(form_->Handle());
    EXPECT_EQ(skinned_->Received(SMC_PARENT_READY), 1);
    EXPECT_EQ(deep_->Received(SMC_PARENT_READY), 0);  // a grandchild window
}

TEST_F(MessageRoutinesTest, ControlsTellTheirFormAboutChanges) {
    EXPECT_EQ(ParentFormOf(deepButton_), form_.get());
    EXPECT_EQ(ParentFormOf(form_.get()), nullptr);
    ui::TControl* changed = nullptr;
    auto saved = form_->WindowProc;
    form_->WindowProc = [&](ui::TMessage& m) {
        if (m.Msg == SM_SKINCMD && SkinCommandOf(m.WParam) == SMC_CONTROL_CHANGED)
            changed = reinterpret_cast<ui::TControl*>(m.LParam);
        saved(m);
    };
    NotifyParentForm(deep_);
    EXPECT_EQ(changed, deep_);
    form_->WindowProc = saved;
}

TEST_F(MessageRoutinesTest, MessagesToWindowlessOrDyingControlsAreDropped) {
    ui::owned<ProbePanel> loose(ui::Make<ProbePanel>(nullptr));
    EXPECT_EQ(SendSkinMessage(loose.get(), SMC_IS_SKINNED), 0);
    EXPECT_EQ(loose->Received(SMC_IS_SKINNED), 0);
    EXPECT_EQ(SendSkinMessage(button_, SMC_IS_SKINNED), 1);
    EXPECT_EQ(SendSkinMessage(nullptr, SMC_IS_SKINNED), 0);
}

TEST(SkinMessageRegistration, RegistersOnceWithTheSystem) {
    UINT n = RegisterSkinMessage();
    EXPECT_GE(n, 0xC000u);
    EXPECT_EQ(RegisterSkinMessage(), n);
    EXPECT_EQ(::RegisterWindowMessageW(L"SM_SKINCMD"), n);
}

}  // namespace
}  // namespace velmap::skin
