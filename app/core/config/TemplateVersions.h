// The window-template versions of the current settings document, copied out
// of it when it is loaded.  Panel threads ask here instead of asking the
// settings reader, which belongs to the user-interface thread and is deleted
// and replaced by every settings download.
#pragma once

#include <map>
#include <mutex>
#include <string>

class TemplateVersionTable {
public:
    // The version of the template `name`; empty when the document names none.
    std::wstring Get(const std::wstring& name) const;
    // Replaces the whole table at once.
    void Replace(std::map<std::wstring, std::wstring> versions);
    void Clear();

private:
    mutable std::mutex lock_;
    std::map<std::wstring, std::wstring> versions_;
};

// The one table of the program, filled by the settings reader's LoadLists.
TemplateVersionTable& TemplateVersions();
