// Parses a context text back with a real XML parser (MSXML 6 on Windows,
// pugixml natively): proves it well-formed and returns the element texts.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ParsedContext {
    bool ok = false;
    std::wstring rootName;
    std::map<std::wstring, std::wstring> text;  // element name -> its text
    std::vector<std::wstring> ids;              // the <id> values in order
};

ParsedContext ParseContext(const std::wstring& xml);
