// The stored window description: a form's components, their published properties and event
// bindings as one constant table, applied in order when the form is created.
//
// A table reads like a form file. Rows before the first Object row set the form's own
// properties and events; every other Property or Event row applies to the component of the
// Object row above it.
#pragma once

#include "framework/Properties.h"

#include <cstddef>
#include <type_traits>

namespace framework {

class TComponent;
class TForm;
enum class TCloseAction;

struct TFormRow {
    enum class Kind { Property, Object, Event, CloseEvent };

    Kind kind = Kind::Property;
    const wchar_t* name = nullptr;
    PropertyValue value{};
    // Object rows: the name of the parent control, or null for the form itself.
    const wchar_t* parent = nullptr;
    // Object rows: creates the component, owned by the form, and stores it in the form's field.
    TComponent& (*create)(TForm& form) = nullptr;
    // Event rows: calls the form's handler.
    void (*notify)(TForm& form, TComponent& sender) = nullptr;
    void (*close)(TForm& form, TComponent& sender, TCloseAction& action) = nullptr;
};

namespace description {

template <class Member>
struct MemberTraits;
template <class Form, class T>
struct MemberTraits<T* Form::*> {
    using FormType = Form;
    using ComponentType = T;
};
template <class Form, class R, class... Args>
struct MemberTraits<R (Form::*)(Args...)> {
    using FormType = Form;
    static constexpr bool kIsClose = sizeof...(Args) == 2;
};

}  // namespace description

// A component of the form, of the type of the form's field that will point to it.
template <auto Field>
constexpr TFormRow Object(const wchar_t* name, const wchar_t* parent = nullptr) {
    using Traits = description::MemberTraits<decltype(Field)>;
    using Form = typename Traits::FormType;
    using Component = typename Traits::ComponentType;
    TFormRow row;
    row.kind = TFormRow::Kind::Object;
    row.name = name;
    row.parent = parent;
    row.create = [](TForm& form) -> TComponent& {
        auto& typed = static_cast<Form&>(form);
        Component& component = typed.template CreateComponent<Component>();
        typed.*Field = &component;
        return component;
    };
    return row;
}

// An event of the component above (or of the form) bound to a handler method of the form.
template <auto Handler>
constexpr TFormRow Event(const wchar_t* name) {
    using Traits = description::MemberTraits<decltype(Handler)>;
    using Form = typename Traits::FormType;
    TFormRow row;
    row.name = name;
    if constexpr (Traits::kIsClose) {
        row.kind = TFormRow::Kind::CloseEvent;
        row.close = [](TForm& form, TComponent& sender, TCloseAction& action) {
            (static_cast<Form&>(form).*Handler)(sender, action);
        };
    } else {
        row.kind = TFormRow::Kind::Event;
        row.notify = [](TForm& form, TComponent& sender) { (static_cast<Form&>(form).*Handler)(sender); };
    }
    return row;
}

constexpr TFormRow Prop(const wchar_t* name, PropertyValue value) {
    TFormRow row;
    row.name = name;
    row.value = value;
    return row;
}
// Text is taken from string arrays only, so that a literal 0 can never pass for a null string.
template <std::size_t N>
constexpr TFormRow Prop(const wchar_t* name, const wchar_t (&text)[N]) {
    return Prop(name, PropertyValue{std::wstring_view(text, N - 1)});
}
template <class E>
    requires std::is_enum_v<E>
constexpr TFormRow Prop(const wchar_t* name, E value) {
    return Prop(name, PropertyValue{static_cast<int>(value)});
}

}  // namespace framework
