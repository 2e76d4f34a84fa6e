// The loader of stored window descriptions: order of property assignments, reference fixups
// and Loaded calls, and errors for descriptions that do not fit their components.
#include "framework/Exceptions.h"
#include "framework/Form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace framework {
namespace {

std::vector<std::wstring>& Journal() {
    static std::vector<std::wstring> journal;
    return journal;
}

class TRecorder : public TComponent {
public:
    explicit TRecorder(TComponent* owner) : TComponent(owner) {}

    void SetProperty(std::wstring_view name, const PropertyValue& value) override {
        std::wstring entry = Name() + L"." + std::wstring(name);
        if (name == L"Count") {
            entry += L"=" + std::to_wstring(PropertyAs<int>(value, Name(), name));
        } else if (name == L"Partner") {
            entry += L"=" + PropertyAs<TComponent*>(value, Name(), name)->Name();
        } else if (name != L"Flag") {
            TComponent::SetProperty(name, value);
        }
        Journal().push_back(entry + (Loading() ? L" (loading)" : L""));
    }
    void BindEvent(std::wstring_view name, TNotifyEvent handler) override {
        if (name != L"OnPoke") {
            TComponent::BindEvent(name, std::move(handler));
        }
        onPoke = std::move(handler);
    }
    void Loaded() override {
        TComponent::Loaded();
        Journal().push_back(Name() + L".Loaded");
    }
    TNotifyEvent onPoke;
};

class TTestForm : public TForm {
public:
    explicit TTestForm(TComponent* owner) : TForm(owner, L"TTestForm") {}

    void Read(std::span<const TFormRow> rows) { ReadDescription(rows); }
    void Poked(TComponent& sender) { poked.push_back(sender.Name()); }

    TRecorder* First = nullptr;
    TRecorder* Second = nullptr;
    std::vector<std::wstring> poked;

protected:
    void ReadState() override {}
};

constexpr TFormRow kRows[] = {
    Prop(L"ClientWidth", 100),
    Object<&TTestForm::First>(L"First"),
        Prop(L"Count", 1),
        Prop(L"Partner", ComponentRef{L"Second"}),
        Prop(L"Flag", true),
        Event<&TTestForm::Poked>(L"OnPoke"),
    Object<&TTestForm::Second>(L"Second"),
        Prop(L"Count", 2),
};

TEST(FormDescription, AppliesPropertiesInOrderThenReferencesThenLoaded) {
    Journal().clear();
    TTestForm form(nullptr);
    form.Read(kRows);

    ASSERT_NE(form.First, nullptr);
    ASSERT_NE(form.Second, nullptr);
    EXPECT_EQ(form.First->Owner(), &form);
    EXPECT_EQ(Journal(), (std::vector<std::wstring>{
                             L"First.Count=1 (loading)", L"First.Flag (loading)", L"Second.Count=2 (loading)",
                             L"First.Partner=Second (loading)", L"First.Loaded", L"Second.Loaded"}));
    EXPECT_FALSE(form.First->Loading());
    EXPECT_FALSE(form.Loading());

    form.First->onPoke(*form.First);
    EXPECT_EQ(form.poked, std::vector<std::wstring>{L"First"});
}

TEST(FormDescription, RejectsWhatTheComponentsDoNotHave) {
    constexpr TFormRow unknownProperty[] = {Object<&TTestForm::First>(L"First"), Prop(L"Colour", 1)};
    constexpr TFormRow wrongType[] = {Object<&TTestForm::First>(L"First"), Prop(L"Count", true)};
    constexpr TFormRow missingReference[] = {Object<&TTestForm::First>(L"First"),
                                             Prop(L"Partner", ComponentRef{L"Nobody"})};
    constexpr TFormRow unknownEvent[] = {Object<&TTestForm::First>(L"First"), Event<&TTestForm::Poked>(L"OnPush")};
    const std::span<const TFormRow> cases[] = {unknownProperty, wrongType, missingReference, unknownEvent};
    for (const auto rows : cases) {
        TTestForm form(nullptr);
        EXPECT_THROW(form.Read(rows), Exception);
    }
}

TEST(Component, OwnerDestroysLastCreatedFirstAndTellsTheOthers) {
    Journal().clear();
    struct TWatcher : TRecorder {
        using TRecorder::TRecorder;
        void Notification(TComponent& component, TOperation operation) override {
            if (operation == TOperation::opRemove) {
                Journal().push_back(Name() + L" heard " + component.Name() + L" go");
            }
        }
        ~TWatcher() override { Journal().push_back(Name() + L" destroyed"); }
    };
    {
        TComponent owner(nullptr);
        owner.CreateComponent<TWatcher>().SetName(L"a");
        owner.CreateComponent<TWatcher>().SetName(L"b");
        owner.CreateComponent<TWatcher>().SetName(L"c");
        owner.FreeComponent(*owner.FindComponent(L"a"));
    }
    EXPECT_EQ(Journal(), (std::vector<std::wstring>{L"b heard a go", L"c heard a go", L"a destroyed",
                                                    L"b heard c go", L"c destroyed", L"b destroyed"}));
}

}  // namespace
}  // namespace framework
