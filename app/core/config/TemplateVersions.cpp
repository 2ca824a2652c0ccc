#include "app/core/config/TemplateVersions.h"

std::wstring TemplateVersionTable::Get(const std::wstring& name) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = versions_.find(name);
    return it == versions_.end() ? std::wstring() : it->second;
}

void TemplateVersionTable::Replace(std::map<std::wstring, std::wstring> versions) {
    std::lock_guard<std::mutex> hold(lock_);
    versions_.swap(versions);
}

void TemplateVersionTable::Clear() { Replace({}); }

TemplateVersionTable& TemplateVersions() {
    static TemplateVersionTable table;
    return table;
}
