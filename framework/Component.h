// TComponent: the owner tree of the program's parts, with loading and removal notifications.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Properties.h"

namespace framework {

class TComponent;

enum class TOperation { opInsert, opRemove };

// A method reference raised with the component that fired it; empty until assigned.
using TNotifyEvent = std::function<void(TComponent& sender)>;

class TComponent {
public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const noexcept { return m_owner; }
    const std::wstring& Name() const noexcept { return m_name; }
    void SetName(std::wstring_view name) { m_name = name; }

    // Creates a component owned by this one; it lives until this one is destroyed.
    template <class T, class... Args>
    T& CreateComponent(Args&&... args) {
        auto component = std::make_unique<T>(this, std::forward<Args>(args)...);
        T& result = *component;
        InsertComponent(std::move(component));
        return result;
    }

    // Destroys one owned component now, telling the others first, as the owner's destruction
    // would; the component must be owned by this one.
    void FreeComponent(TComponent& component);

    std::size_t ComponentCount() const noexcept { return m_components.size(); }
    TComponent& Components(std::size_t index) const { return *m_components.at(index); }
    TComponent* FindComponent(std::wstring_view name) const;

    // Loading covers the time in which a stored description is applied to the component.
    bool Loading() const noexcept { return m_loading; }
    bool Designing() const noexcept { return m_designing; }
    void BeginLoading() noexcept { m_loading = true; }
    // Called once the stored description has been applied and references resolved.
    virtual void Loaded();

    // Told about every component inserted into or removed from the same owner.
    virtual void Notification(TComponent& component, TOperation operation);

protected:
    // Destroys the owned components, last created first. Derived classes whose components
    // depend on their own state call it in their destructor; the base destructor does it too.
    void DestroyComponents();
    void SetDesigning(bool designing) noexcept { m_designing = designing; }

private:
    void InsertComponent(std::unique_ptr<TComponent> component);

    TComponent* m_owner;
    std::wstring m_name;
    std::vector<std::unique_ptr<TComponent>> m_components;
    bool m_loading = false;
    bool m_designing = false;
};

}  // namespace framework
