// One thing an enhancer reported on screen (a piece of the user's selection or
// a link hot spot) and the list that owns such records.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class LinkInfo {
public:
    LinkInfo() = default;
    virtual ~LinkInfo() = default;
    LinkInfo(const LinkInfo&) = delete;
    LinkInfo& operator=(const LinkInfo&) = delete;

    // Copies every field, in field order.
    void CopyFrom(const LinkInfo& source);

    RECT m_Rect{};             // screen rectangle as the enhancer reported it
    std::wstring m_Text;       // the piece's text, or the hot spot's text
    std::wstring m_Context;    // context XML, percent-encoded as UTF-8
    std::wstring m_BestGuess;  // the enhancer's canned best guess
    int32_t m_Reserved1 = 0;
    int32_t m_Countdown = 0;   // counted down by hover tracking, never below 0
    std::wstring m_Domain;     // page domain of a hot spot
    std::wstring m_HRef;       // target of a hot-spot link
    std::wstring m_Extra1;
    std::wstring m_Extra2;
    std::wstring m_EcpId;      // panel to open for this record
    std::wstring m_Token;      // the text handed to a panel as its token
};

// Owns its records in the order they were added.  A list may be told where
// the hotspot window keeps its pointer to the record it stands for; emptying
// the list clears that pointer when it points at one of the records.
class LinkList {
public:
    LinkList() = default;
    ~LinkList() { RemoveAllLinks(); }
    LinkList(const LinkList&) = delete;
    LinkList& operator=(const LinkList&) = delete;

    void SetHotspotLinkSlot(LinkInfo** slot) { hotspotLink_ = slot; }

    LinkInfo* Add(std::unique_ptr<LinkInfo> record);
    void RemoveAllLinks();

    size_t GetCount() const { return records_.size(); }
    bool IsEmpty() const { return records_.empty(); }
    LinkInfo* GetAt(size_t index) const { return index < records_.size() ? records_[index].get() : nullptr; }
    LinkInfo* GetHead() const { return GetAt(0); }

private:
    std::vector<std::unique_ptr<LinkInfo>> records_;
    LinkInfo** hotspotLink_ = nullptr;
};
