#include "framework/Component.h"

#include <algorithm>

#include "framework/Exceptions.h"

namespace framework {

TComponent::TComponent(TComponent* owner) : m_owner(owner) {}

TComponent::~TComponent() {
    DestroyComponents();
}

void TComponent::DestroyComponents() {
    // Last created goes first, and the rest hear about each removal while they still exist.
    while (!m_components.empty()) {
        FreeComponent(*m_components.back());
    }
}

void TComponent::FreeComponent(TComponent& component) {
    const auto owned =
        std::find_if(m_components.begin(), m_components.end(),
                     [&](const std::unique_ptr<TComponent>& entry) { return entry.get() == &component; });
    if (owned == m_components.end()) {
        throw Exception(L"Component " + component.Name() + L" is not owned by " + m_name);
    }
    std::unique_ptr<TComponent> freed = std::move(*owned);
    m_components.erase(owned);
    Notification(*freed, TOperation::opRemove);
}

TComponent* TComponent::FindComponent(std::wstring_view name) const {
    for (const auto& component : m_components) {
        if (component->Name() == name) {
            return component.get();
        }
    }
    return nullptr;
}

void TComponent::InsertComponent(std::unique_ptr<TComponent> component) {
    TComponent& inserted = *component;
    m_components.push_back(std::move(component));
    Notification(inserted, TOperation::opInsert);
}

void TComponent::Loaded() {
    m_loading = false;
}

void TComponent::Notification(TComponent& component, TOperation operation) {
    for (const auto& owned : m_components) {
        if (owned.get() != &component) {
            owned->Notification(component, operation);
        }
    }
}

}  // namespace framework
