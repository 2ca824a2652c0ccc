#include "app/core/enhancers/LinkInfo.h"

void LinkInfo::CopyFrom(const LinkInfo& source) {
    if (&source == this) return;
    m_Rect = source.m_Rect;
    m_Text = source.m_Text;
    m_Context = source.m_Context;
    m_BestGuess = source.m_BestGuess;
    m_Reserved1 = source.m_Reserved1;
    m_Countdown = source.m_Countdown;
    m_Domain = source.m_Domain;
    m_HRef = source.m_HRef;
    m_Extra1 = source.m_Extra1;
    m_Extra2 = source.m_Extra2;
    m_EcpId = source.m_EcpId;
    m_Token = source.m_Token;
}

LinkInfo* LinkList::Add(std::unique_ptr<LinkInfo> record) {
    records_.push_back(std::move(record));
    return records_.back().get();
}

void LinkList::RemoveAllLinks() {
    for (auto& record : records_) {
        if (hotspotLink_ && *hotspotLink_ == record.get()) *hotspotLink_ = nullptr;
        record.reset();
    }
    records_.clear();
}
