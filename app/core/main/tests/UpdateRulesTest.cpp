// The update rules in tables: the version-check URL, the version a reply
// names, the update state's moves, when the messages file is due and what
// each kind of server message asks for.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/core/main/UpdateRules.h"
#include "app/core/net/UrlParam.h"

namespace {

using namespace update_rules;

TEST(UpdateRules, VersionCheckUrlAlwaysAsksForTheVersion) {
    struct Row {
        const wchar_t* init;
        const wchar_t* user;
        const wchar_t* url;
    } rows[] = {
        {L"http://s/settings.xml", L"%61%62", L"http://s/settings.xml?pq_userid=%61%62&pq_check=version"},
        {L"http://s/settings.xml", L"", L"http://s/settings.xml?pq_check=version"},
        {L"", L"", L"?pq_check=version"},
        {L"http://s/init.asp?lang=en", L"%61", L"http://s/init.asp?lang=en&pq_userid=%61&pq_check=version"},
        {L"http://s/init.asp?lang=en", L"", L"http://s/init.asp?lang=en&pq_check=version"},
    };
    for (const Row& r : rows) EXPECT_EQ(VersionCheckUrl(r.init, r.user), r.url) << r.init << " " << r.user;
}

TEST(UpdateRules, ReplyVersionIsTheTrimmedTextUpToTheNextTag) {
    struct Row {
        const wchar_t* reply;
        bool found;
        const wchar_t* version;
    } rows[] = {
        {L"<pondrel><version>57</version></pondrel>", true, L"57"},
        {L"<version>57\n</version>", true, L"57"},
        {L"<version>\r\n\t 58 \r\n</version>", true, L"58"},
        {L"<version>5 7</version>", true, L"5 7"},
        {L"<version>57", true, L""},
        {L"<version></version>", true, L""},
        {L"<Version>57</Version>", false, L""},
        {L"", false, L""},
        {L"version 57", false, L""},
        {L"<version>1</version><version>2</version>", true, L"1"},
    };
    for (const Row& r : rows) {
        std::wstring version = L"untouched";
        EXPECT_EQ(ReplyVersion(r.reply, &version), r.found) << r.reply;
        if (r.found) {
            EXPECT_EQ(version, r.version) << r.reply;
        }
    }
}

TEST(UpdateRules, OnlyAnotherNamedVersionRaisesTheBalloon) {
    struct Row {
        const wchar_t* reply;
        const wchar_t* own;
        bool other;
    } rows[] = {
        {L"<version>57</version>", L"57", false},
        {L"<version>57\n</version>", L"57", false},
        {L"<version> 57 </version>", L"57", false},
        {L"<version>58</version>", L"57", true},
        {L"<version>057</version>", L"57", true},
        {L"<version>57", L"57", true},  // no closing tag: an empty version
        {L"no version here", L"57", false},
        {L"", L"57", false},  // a failed request
    };
    for (const Row& r : rows) EXPECT_EQ(ReportsOtherVersion(r.reply, r.own), r.other) << r.reply;
}

TEST(UpdateRules, UpdateStateMoves) {
    struct Row {
        int before;
        int afterNewVersion;
    } rows[] = {
        {kNone, kNewVersionReported},
        {kNewVersionReported, kNewVersionReported},
        {kDownloadRequested, kDownloadRequested},
        {kSetupStarted, kSetupStarted},
    };
    for (const Row& r : rows) EXPECT_EQ(StateAfterNewVersion(r.before), r.afterNewVersion) << r.before;

    struct Shell {
        intptr_t result;
        int state;
    } shells[] = {{0, 1}, {2, 1}, {31, 1}, {32, 1}, {33, 3}, {42, 3}, {-1, 1}};
    for (const Shell& s : shells) EXPECT_EQ(StateAfterSetupStart(ShellStarted(s.result)), s.state) << s.result;

    // A failed download: back to none, unless another download is still on
    // its way or the state says something else.
    struct Failed {
        int before, stillPending, after;
    } failures[] = {
        {kDownloadRequested, 0, kNone},
        {kDownloadRequested, 1, kDownloadRequested},
        {kDownloadRequested, -1, kNone},
        {kNone, 0, kNone},
        {kSetupStarted, 0, kSetupStarted},
        {kNewVersionReported, 0, kNewVersionReported},
    };
    for (const Failed& f : failures)
        EXPECT_EQ(StateAfterDownloadFailed(f.before, f.stillPending), f.after) << f.before << " " << f.stillPending;

    EXPECT_TRUE(SilentDownloadAllowed(kNone));
    EXPECT_TRUE(SilentDownloadAllowed(kNewVersionReported));
    EXPECT_TRUE(SilentDownloadAllowed(kSetupStarted));
    EXPECT_FALSE(SilentDownloadAllowed(kDownloadRequested));
}

TEST(UpdateRules, MessagesPollDue) {
    struct Row {
        bool online;
        uint32_t interval, now, last;
        bool due;
    } rows[] = {
        {true, 60000, 100000, 39999, true},
        {true, 60000, 100000, 40000, false},  // exactly the interval: not yet
        {true, 60000, 100000, 90000, false},
        {true, 0, 100000, 0, false},           // interval 0: never
        {true, 0, 0xFFFFFFFFu, 0, false},
        {false, 60000, 100000, 0, false},      // offline
        {true, 60000, 5000, 0xFFFF0000u, true},  // the tick wrapped
        {true, 60000, 5000, 0xFFFFFF00u, false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(MessagesPollDue(r.online, r.interval, r.now, r.last), r.due)
            << r.online << " " << r.interval << " " << r.now << " " << r.last;
}

TEST(UpdateRules, WebUrls) {
    struct Row {
        const wchar_t* url;
        bool web;
    } rows[] = {
        {L"http://example.test/", true},
        {L"HTTPS://example.test/a?b", true},
        {L"hTtP://x", true},
        {L"http://", false},
        {L"file:///c:/windows/system32/calc.exe", false},
        {L"javascript:alert(1)", false},
        {L"c:\\windows\\notepad.exe", false},
        {L"ftp://example.test/", false},
        {L" http://example.test/", false},
        {L"", false},
    };
    for (const Row& r : rows) EXPECT_EQ(IsWebUrl(r.url), r.web) << r.url;
}

TEST(UpdateRules, MessagePaths) {
    EXPECT_EQ(MessagePath(1, L"url"), L"/messages/message[1]/url");
    EXPECT_EQ(MessagePath(12, L"token"), L"/messages/message[12]/token");
}

TEST(UpdateRules, AMessagesFileIsReadUpToItsBound) {
    struct Row {
        int count, read, unread;
    } rows[] = {
        {0, 0, 0}, {-1, 0, 0}, {3, 3, 0}, {16, 16, 0}, {17, 16, 1}, {100000, 16, 99984},
    };
    for (const Row& r : rows) {
        int unread = -1;
        const std::vector<ServerMessage> messages =
            ReadServerMessages(r.count, [](const std::wstring& path) { return path; }, &unread);
        EXPECT_EQ(static_cast<int>(messages.size()), r.read) << r.count;
        EXPECT_EQ(unread, r.unread) << r.count;
        for (size_t i = 0; i < messages.size(); ++i) {
            const int n = static_cast<int>(i) + 1;
            EXPECT_EQ(messages[i].url, MessagePath(n, L"url"));
            EXPECT_EQ(messages[i].update, MessagePath(n, L"update"));
            EXPECT_EQ(messages[i].ecp, MessagePath(n, L"ecp"));
            EXPECT_EQ(messages[i].context, MessagePath(n, L"context"));
            EXPECT_EQ(messages[i].token, MessagePath(n, L"token"));
        }
    }
}

TEST(UpdateRules, EachKindOfMessage) {
    struct Row {
        ServerMessage message;
        int state;
        MessageAction action;
    } rows[] = {
        {{L"http://example.test/", L"", L"", L"", L""}, kNone, MessageAction::OpenUrl},
        {{L"http://example.test/", L"silent", L"E1", L"", L""}, kNone, MessageAction::OpenUrl},  // url only
        {{L"file:///c:/x.exe", L"silent", L"E1", L"", L""}, kNone, MessageAction::RefuseUrl},
        {{L"", L"silent", L"", L"", L""}, kNone, MessageAction::SilentDownload},
        {{L"", L"SILENT", L"", L"", L""}, kNewVersionReported, MessageAction::SilentDownload},
        {{L"", L"silent", L"", L"", L""}, kSetupStarted, MessageAction::SilentDownload},
        {{L"", L"silent", L"", L"", L""}, kDownloadRequested, MessageAction::DownloadInFlight},
        {{L"", L"Silent-Bubble", L"", L"", L""}, kNone, MessageAction::DownloadWithBalloon},
        {{L"", L"silent-bubble", L"", L"", L""}, kDownloadRequested, MessageAction::DownloadInFlight},
        {{L"", L"new-version-bubble", L"E1", L"", L""}, kNone, MessageAction::NewVersionBalloon},
        {{L"", L"NEW-VERSION-BUBBLE", L"", L"", L""}, kDownloadRequested, MessageAction::NewVersionBalloon},
        {{L"", L"", L"E1", L"ctx", L"tok"}, kNone, MessageAction::OpenPanel},
        {{L"", L"other", L"E1", L"", L""}, kNone, MessageAction::OpenPanel},  // an unknown update value
        {{L"", L"silently", L"", L"", L""}, kNone, MessageAction::Nothing},
        {{L"", L"", L"", L"ctx", L"tok"}, kNone, MessageAction::Nothing},
    };
    int i = 0;
    for (const Row& r : rows) {
        EXPECT_EQ(DecideMessage(r.message, r.state), r.action) << "row " << i;
        ++i;
    }
}

}  // namespace
