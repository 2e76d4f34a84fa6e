// The loader of stored window descriptions: order of property assignments, reference fixups
// and Loaded calls, and errors for descriptions that do not fit their components.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "framework/Exceptions.h"
#include "framework/Form.h"

namespace framework {
namespace {

std::vector<std::wstring>& Journal() {
    static std::vector<std::wstring> journal;
    return journal;
}

class TRecorder : public TComponent {
public:
    explicit TRecorder(TComponent* owner) : TComponent(owner) {}

    void SetCount(int count) { Record(L"Count=" + std::to_wstring(count)); }
    void SetPartner(TRecorder* partner) { Record(L"Partner=" + partner->Name()); }
    void SetFlag(bool) { Record(L"Flag"); }
    void Loaded() override {
        TComponent::Loaded();
        Journal().push_back(Name() + L".Loaded");
    }
    TNotifyEvent onPoke;

private:
    void Record(const std::wstring& entry) {
        Journal().push_back(Name() + L"." + entry + (Loading() ? L" (loading)" : L""));
    }
};

class TTestForm : public TForm {
public:
    explicit TTestForm(TComponent* owner) : TForm(owner, L"TTestForm") {}

    void Read(std::span<const TFormRow> rows) { ReadDescription(rows); }
    void Poked(TComponent& sender) { poked.push_back(sender.Name()); }
    void Closing(TComponent&, TCloseAction&) {}

    TRecorder* First = nullptr;
    TRecorder* Second = nullptr;
    std::vector<std::wstring> poked;

protected:
    void ReadState() override {}
};

// Laid out by hand, one row a line, nested as the form is.
// clang-format off
constexpr auto kRows = FormDescription<TTestForm>(
    Prop<&TForm::SetClientWidth>(100),
    Object<&TTestForm::First>(L"First",
        Prop<&TRecorder::SetCount>(1),
        Reference<&TRecorder::SetPartner, &TTestForm::Second>(),
        Prop<&TRecorder::SetFlag>(true),
        Event<&TRecorder::onPoke, &TTestForm::Poked>()),
    Object<&TTestForm::Second>(L"Second",
        Prop<&TRecorder::SetCount>(2)));
// clang-format on

TEST(FormDescription, AppliesPropertiesInOrderThenReferencesThenLoaded) {
    Journal().clear();
    TTestForm form(nullptr);
    form.Read(kRows);

    ASSERT_NE(form.First, nullptr);
    ASSERT_NE(form.Second, nullptr);
    EXPECT_EQ(form.First->Owner(), &form);
    EXPECT_EQ(Journal(), (std::vector<std::wstring>{L"First.Count=1 (loading)", L"First.Flag (loading)",
                                                    L"Second.Count=2 (loading)", L"First.Partner=Second (loading)",
                                                    L"First.Loaded", L"Second.Loaded"}));
    EXPECT_FALSE(form.First->Loading());
    EXPECT_FALSE(form.Loading());

    form.First->onPoke(*form.First);
    EXPECT_EQ(form.poked, std::vector<std::wstring>{L"First"});
}

// A property of another kind of component, a truth value for a number or a number for a text, a
// string-table id for anything but a text or a picture's id for a text, and a handler of another
// signature do not compile; a misspelt member name never could.
template <auto Field, class Row>
concept Fits = requires(Row row) {
    Object<Field>(L"", row);
};
template <auto Member, class Value>
concept Takes = requires(Value value) {
    Prop<Member>(value);
};
template <auto EventMember, auto Handler>
concept Binds = requires {
    Event<EventMember, Handler>();
};
static_assert(Fits<&TTestForm::First, decltype(Prop<&TRecorder::SetCount>(1))>);
static_assert(!Fits<&TTestForm::First, decltype(Prop<&TForm::SetClientWidth>(1))>);
static_assert(Takes<&TRecorder::SetCount, int> && !Takes<&TRecorder::SetCount, bool>);
static_assert(!Takes<&TRecorder::SetFlag, int> && !Takes<&TForm::SetCaption, int>);
static_assert(Takes<&TForm::SetCaption, ResourceText> && !Takes<&TRecorder::SetCount, ResourceText> &&
              !Takes<&TForm::SetCaption, ResourceRef>);
static_assert(Binds<&TRecorder::onPoke, &TTestForm::Poked> && !Binds<&TRecorder::onPoke, &TTestForm::Closing>);

TEST(FormDescription, RejectsWhatTheComponentsDoNotHave) {
    constexpr auto missingReference = FormDescription<TTestForm>(
        Object<&TTestForm::First>(L"First", Reference<&TRecorder::SetPartner, &TTestForm::Second>()));
    TTestForm form(nullptr);
    EXPECT_THROW(form.Read(missingReference), Exception);
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
    EXPECT_EQ(Journal(), (std::vector<std::wstring>{L"b heard a go", L"c heard a go", L"a destroyed", L"b heard c go",
                                                    L"c destroyed", L"b destroyed"}));
}

}  // namespace
}  // namespace framework
