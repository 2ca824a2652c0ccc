#include "app/core/config/UserSetting.h"

UserSetting::UserSetting() = default;

UserSetting::~UserSetting() = default;

void UserSetting::CopyFrom(const UserSetting& s) {
    if (&s == this) return;
    static_cast<UserSettingFields&>(*this) = s;
}

UserSetting* UserECPList::Add(std::unique_ptr<UserSetting> record) {
    records_.push_back(std::move(record));
    return records_.back().get();
}

void UserECPList::DeleteAll() { records_.clear(); }
