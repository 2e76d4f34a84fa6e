// The stored window description: a form's components, their published properties and event
// bindings as one constant table, applied in order when the form is created.
//
// A table reads like a form file. FormDescription<Form>(...) holds the form's own properties and
// events, then its components; Object<&Form::Field>(name, ...) holds a component's properties and
// events and, for a control, the controls inside it. Each row names the member it sets: a setter,
// a published field, or a path to one (Font then Color). A misspelt property, a property of
// another kind of component, a value of another type or a handler of another signature does not
// compile.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "framework/Properties.h"
#include "framework/Text.h"
#include "framework/WinControl.h"

namespace framework {

class TForm;

// The value a row hands its member. The member's type, fixed when the table is compiled, says
// which part holds it: the text for a text, the rows for a table of rows (a list's columns, say),
// the numbers for everything else.
struct TRowValue {
    std::wstring_view text;
    int numbers[4] = {};
    const void* rows = nullptr;
    std::size_t rowCount = 0;
};

struct TFormRow {
    enum class Kind : std::uint8_t {
        Object,     // creates a component inside the object that encloses the row
        Assign,     // sets a property or binds an event of the enclosing object, in table order
        Reference,  // sets a property to another component once every component exists
    };

    Kind kind = Kind::Assign;
    // How many objects enclose the row; the form is the outermost.
    std::uint8_t depth = 0;
    TRowValue value;
    // Object rows create their component inside target and return it; the others apply value to
    // target and return it.
    TComponent& (*apply)(TForm& form, TComponent& target, const TRowValue& value) = nullptr;
};

namespace description {

template <class T>
inline constexpr bool kIsTable = false;
template <class Row>
inline constexpr bool kIsTable<std::span<const Row>> = true;

template <class T>
constexpr TRowValue Store(const T& value) {
    TRowValue stored;
    if constexpr (kIsTable<T>) {
        stored.rows = value.data();
        stored.rowCount = value.size();
    } else if constexpr (std::is_same_v<T, std::wstring_view>) {
        stored.text = value;
    } else if constexpr (std::is_same_v<T, TBounds>) {
        stored.numbers[0] = value.left;
        stored.numbers[1] = value.top;
        stored.numbers[2] = value.width;
        stored.numbers[3] = value.height;
    } else if constexpr (std::is_same_v<T, TColor>) {
        stored.numbers[0] = static_cast<int>(value.value);
    } else if constexpr (std::is_same_v<T, ResourceRef> || std::is_same_v<T, ResourceText>) {
        stored.numbers[0] = value.id;
    } else {
        static_assert(std::is_integral_v<T> || std::is_enum_v<T>, "no stored form for this property type");
        stored.numbers[0] = static_cast<int>(value);
    }
    return stored;
}

template <class T>
T Load(const TRowValue& stored) {
    const int* const numbers = stored.numbers;
    if constexpr (kIsTable<T>) {
        return T(static_cast<typename T::pointer>(stored.rows), stored.rowCount);
    } else if constexpr (std::is_same_v<T, std::wstring_view>) {
        return stored.text;
    } else if constexpr (std::is_same_v<T, TBounds>) {
        return TBounds{numbers[0], numbers[1], numbers[2], numbers[3]};
    } else if constexpr (std::is_same_v<T, TColor>) {
        return TColor{static_cast<std::uint32_t>(numbers[0])};
    } else if constexpr (std::is_same_v<T, ResourceRef>) {
        return ResourceRef{numbers[0]};
    } else {
        return static_cast<T>(numbers[0]);
    }
}

// The class a member belongs to and the type of what it holds or takes: a field, a setter, or an
// accessor on the way to a part (the Font of Font.Color).
template <class Member>
struct TMember;
template <class C, class T>
struct TMember<T C::*> {
    using Class = C;
    using Value = T;
};
template <class C, class R, class A>
struct TMember<R (C::*)(A)> {
    using Class = C;
    using Value = std::remove_cvref_t<A>;
};
template <class C, class R, class A>
struct TMember<R (C::*)(A) noexcept> : TMember<R (C::*)(A)> {};
template <class C, class R>
struct TMember<R& (C::*)()> {
    using Class = C;
    using Value = R;
};

// A property reached through accessors: the component class it starts from and its value type.
template <auto... Path>
struct TPath;
template <auto Last>
struct TPath<Last> {
    using Owner = typename TMember<decltype(Last)>::Class;
    using Value = typename TMember<decltype(Last)>::Value;
};
template <auto First, auto Next, auto... Rest>
struct TPath<First, Next, Rest...> {
    using Owner = typename TMember<decltype(First)>::Class;
    using Value = typename TPath<Next, Rest...>::Value;
};

template <auto Member, auto... Rest, class C, class T>
void AssignPath(C& object, T&& value) {
    if constexpr (sizeof...(Rest) > 0) {
        AssignPath<Rest...>((object.*Member)(), std::forward<T>(value));
    } else if constexpr (std::is_member_function_pointer_v<decltype(Member)>) {
        (object.*Member)(std::forward<T>(value));
    } else {
        object.*Member = std::forward<T>(value);
    }
}

// Values a description gives a property: of the property's own type, a string literal or a text
// of the string table for a text, an array of rows for a table, or a flag of a plain enumeration
// for a number. What the language would convert silently, a truth value for a number or a number
// for a truth value, an enumeration or a text, is refused.
template <class V, class T>
concept Accepted = std::is_same_v<std::decay_t<V>, T> ||
                   (std::is_same_v<T, std::wstring_view> && (std::is_same_v<std::decay_t<V>, const wchar_t*> ||
                                                             std::is_same_v<std::decay_t<V>, ResourceText>)) ||
                   (kIsTable<T> && std::is_convertible_v<V, T>) ||
                   (std::is_enum_v<std::decay_t<V>> && std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                    std::is_convertible_v<std::decay_t<V>, T>);

// A run of rows that fits inside an object of class Target (or one derived from it), in a form
// of class Form (or one derived from it).
template <class TargetClass, class FormClass, std::size_t N>
struct TPart {
    using Target = TargetClass;
    using Form = FormClass;
    static constexpr std::size_t kCount = N;
    std::array<TFormRow, N> rows;
};

template <class Part, class Enclosing, class Form>
concept FitsIn = std::is_base_of_v<typename Part::Target, Enclosing> && std::is_base_of_v<typename Part::Form, Form>;

template <std::size_t N, class Part>
constexpr void Append(std::array<TFormRow, N>& rows, std::size_t& at, const Part& part, std::uint8_t depth) {
    for (TFormRow row : part.rows) {
        row.depth = static_cast<std::uint8_t>(row.depth + depth);
        rows[at++] = row;
    }
}

// The form class a field belongs to, and the component class it points to.
template <auto Field>
using FormOf = typename TMember<decltype(Field)>::Class;
template <auto Field>
using ComponentOf = std::remove_pointer_t<typename TMember<decltype(Field)>::Value>;

template <auto Field>
TComponent& Create(TForm& form, TComponent& parent, const TRowValue& value) {
    using Component = ComponentOf<Field>;
    auto& typed = static_cast<FormOf<Field>&>(form);
    Component& component = typed.template CreateComponent<Component>();
    typed.*Field = &component;
    component.SetName(value.text);
    component.BeginLoading();
    if constexpr (std::is_base_of_v<TWinControl, Component>) {
        component.SetParent(&static_cast<TWinControl&>(parent));
    }
    return component;
}

template <auto... Path>
TComponent& Set(TForm&, TComponent& target, const TRowValue& value) {
    using Property = TPath<Path...>;
    AssignPath<Path...>(static_cast<typename Property::Owner&>(target), Load<typename Property::Value>(value));
    return target;
}

// The same for a text property given a text of the string table, loaded as the row is applied.
template <auto... Path>
TComponent& SetText(TForm&, TComponent& target, const TRowValue& value) {
    using Property = TPath<Path...>;
    const std::wstring text = LoadText(static_cast<unsigned>(value.numbers[0]));
    AssignPath<Path...>(static_cast<typename Property::Owner&>(target), std::wstring_view(text));
    return target;
}

// A form's handler as an event's callable. One type per event signature, not per handler, so
// that each signature's callable wrapper is made once.
template <class... Args>
struct THandler {
    TForm* form;
    void (*call)(TForm& form, Args... args);
    void operator()(Args... args) const { call(*form, args...); }
};

template <class Handler>
struct THandlerOf;
template <class F, class... Args>
struct THandlerOf<void (F::*)(Args...)> {
    using Form = F;
    using Type = THandler<Args...>;
    template <void (F::*Handler)(Args...)>
    static void Call(TForm& form, Args... args) {
        (static_cast<F&>(form).*Handler)(args...);
    }
};

template <auto EventMember, auto Handler>
TComponent& Bind(TForm& form, TComponent& target, const TRowValue&) {
    using Of = THandlerOf<decltype(Handler)>;
    AssignPath<EventMember>(static_cast<typename TMember<decltype(EventMember)>::Class&>(target),
                            typename Of::Type{&form, &Of::template Call<Handler>});
    return target;
}

[[noreturn]] void ThrowMissingReference(const TComponent& component);

template <auto Member, auto Field>
TComponent& Resolve(TForm& form, TComponent& target, const TRowValue&) {
    auto* referenced = static_cast<FormOf<Field>&>(form).*Field;
    if (referenced == nullptr) {
        ThrowMissingReference(target);
    }
    AssignPath<Member>(static_cast<typename TMember<decltype(Member)>::Class&>(target), referenced);
    return target;
}

}  // namespace description

// A property of the enclosing object: Prop<&TLabel::SetCaption>(L"Run"), or through a part,
// Prop<&TLabel::OwnFont, &TFont::SetColor>(clBlue).
template <auto... Path>
constexpr auto Prop(typename description::TPath<Path...>::Value value) {
    return description::TPart<typename description::TPath<Path...>::Owner, TForm, 1>{
        {TFormRow{TFormRow::Kind::Assign, 0, description::Store(value), &description::Set<Path...>}}};
}
// A text property from the string table: Prop<&TLabel::SetCaption>(ResourceText{IDS_HOW_TO_USE}).
template <auto... Path>
requires std::is_same_v<typename description::TPath<Path...>::Value, std::wstring_view>
constexpr auto Prop(ResourceText text) {
    return description::TPart<typename description::TPath<Path...>::Owner, TForm, 1>{
        {TFormRow{TFormRow::Kind::Assign, 0, description::Store(text), &description::SetText<Path...>}}};
}
template <auto... Path, class V>
requires(!description::Accepted<V, typename description::TPath<Path...>::Value>) void Prop(V&&) = delete;

// An event of the enclosing object bound to a handler method of the form.
template <auto EventMember, auto Handler>
requires std::is_constructible_v < typename description::TMember<decltype(EventMember)>::Value,
typename description::THandlerOf<decltype(Handler)>::Type > constexpr auto Event() {
    return description::TPart<typename description::TMember<decltype(EventMember)>::Class,
                              typename description::THandlerOf<decltype(Handler)>::Form, 1>{
        {TFormRow{TFormRow::Kind::Assign, 0, {}, &description::Bind<EventMember, Handler>}}};
}

// A property of the enclosing object that refers to another component of the form, by the
// form's field for it; resolved once every component exists, as a form file's references are.
template <auto Member, auto Field>
requires std::is_convertible_v < typename description::TMember<decltype(Field)>::Value,
typename description::TMember<decltype(Member)>::Value > constexpr auto Reference() {
    return description::TPart<typename description::TMember<decltype(Member)>::Class, description::FormOf<Field>, 1>{
        {TFormRow{TFormRow::Kind::Reference, 0, {}, &description::Resolve<Member, Field>}}};
}

// A component of the form, created into the form's field and named name, with its rows. A
// control is placed in the enclosing control; other components stand at the form's level.
template <auto Field, class... Parts>
requires(description::FitsIn<Parts,
                             description::ComponentOf<Field>,
                             description::FormOf<Field>>&&...) constexpr auto Object(std::wstring_view name,
                                                                                     const Parts&... parts) {
    using Component = description::ComponentOf<Field>;
    using Form = description::FormOf<Field>;
    using Target = std::conditional_t<std::is_base_of_v<TWinControl, Component>, TWinControl, Form>;
    description::TPart<Target, Form, 1 + (std::size_t{0} + ... + Parts::kCount)> object{};
    object.rows[0] = TFormRow{TFormRow::Kind::Object, 0, description::Store(name), &description::Create<Field>};
    [[maybe_unused]] std::size_t at = 1;
    (description::Append(object.rows, at, parts, 1), ...);
    return object;
}

// The whole description of a form of class Form: its own rows and its components, as one table.
template <class Form, class... Parts>
requires(description::FitsIn<Parts, Form, Form>&&...) constexpr auto FormDescription(const Parts&... parts) {
    std::array<TFormRow, (std::size_t{0} + ... + Parts::kCount)> rows{};
    [[maybe_unused]] std::size_t at = 0;
    (description::Append(rows, at, parts, 0), ...);
    return rows;
}

}  // namespace framework
