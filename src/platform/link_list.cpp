#include "platform/link_list.h"

#include <algorithm>

#include "platform/application.h"
#include "platform/component.h"

namespace zv {

void TlinkList::AddName(const std::string& name, TZvComponent* comp) { names_.emplace_back(UpperCaseName(name), comp); }

void TlinkList::RemoveComponent(const TZvComponent* comp) {
    std::erase_if(names_, [&](const auto& entry) { return entry.second == comp; });
    std::erase(Read, comp);
}

TZvComponent* TlinkList::ComponentNamed(const std::string& name) const {
    std::string upper = UpperCaseName(name);
    for (const auto& [key, comp] : names_)
        if (key == upper) return comp;
    return nullptr;
}

TZvComponent* TlinkList::Find(const TlinkItem& link) const {
    if (link.ByName) return ComponentNamed(link.Path);
    if (link.Context) return link.Context->FindChild(link.Path);
    TStdApplication* app = Application();
    return app ? app->FindByPath(link.Path) : nullptr;
}

bool TlinkList::Resolve(const TComponent* reader) {
    bool any = false;
    for (int32_t i = Open.Count() - 1; i >= 0; --i) {
        if (i >= Open.Count()) continue;
        TlinkItem& link = Open.Items(i);
        if (link.Reader != reader) continue;
        TZvComponent* target = Find(link);
        if (!target) continue;
        *link.Target = target;
        Open.Delete(i);
        any = true;
    }
    return any;
}

void TlinkList::Clear() {
    Open.Clear();
    Read.clear();
    names_.clear();
}

}  // namespace zv
