#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "TableImport.h"

using acrohost::Atom;
using acrohost::Table;
using acrohost::Version;

namespace {

// A host that grants each table at the versions it lists and records every
// request as "name@version".
class FakeSource : public TableSource {
public:
    FakeSource() {
        Offer("AcroSupport", {0x60000});
        for (const auto& t : kImportedTables) Offer(t.name, {t.version});
    }
    void Offer(const std::string& name, std::set<Version> versions) { offered[name] = versions; }

    Atom AtomOf(const char* name) override {
        auto it = atoms.find(name);
        if (it != atoms.end()) return it->second;
        names.push_back(name);
        return atoms[name] = static_cast<Atom>(names.size());
    }
    Table Request(Atom name, Version v) override {
        const std::string& n = names.at(name - 1);
        char text[64];
        snprintf(text, sizeof text, "%s@%x", n.c_str(), v);
        requests.push_back(text);
        if (!offered[n].count(v)) return nullptr;
        return &slots[n];
    }
    Version VersionOf(Table support, Table t) override {
        if (support != &slots["AcroSupport"]) return 0;
        for (auto& [n, slot] : slots)
            if (&slot == t) {
                auto r = reported.find(n);
                return r != reported.end() ? r->second : *offered[n].rbegin();
            }
        return 0;
    }

    std::map<std::string, std::set<Version>> offered;
    std::map<std::string, Version> reported;
    std::map<std::string, acrohost::Entry> slots;
    std::map<std::string, Atom> atoms;
    std::vector<std::string> names;
    std::vector<std::string> requests;
};

TEST(TableImport, AllTablesAreRequestedInOrderAtTheirVersions) {
    FakeSource host;
    ModuleTables module;
    ASSERT_TRUE(ImportAllTables(host, module));
    std::vector<std::string> expected = {
        "AcroSupport@60000", "AcroSupport@60000", "Core@50000",      "AcroView@60000",         "Cos@60000",
        "PDSWrite@60000",    "PDModel@60000",     "PDSRead@60000",   "PDFEditWrite@60000",     "Win@50000",
        "PDFEditRead@60000", "ASExtra@60000",     "PDSysFont@40000", "AcroViewSweetPea@50000", "PagePDEContent@60000",
        "PDMetadata@60000"};
    EXPECT_EQ(host.requests, expected);
    EXPECT_EQ(module.supportVersion, 0x60000u);
    EXPECT_EQ(module.tables[ImportedTableIndex("AcroView")].table, &host.slots["AcroView"]);
    EXPECT_EQ(module.tables[ImportedTableIndex("PDSysFont")].version, 0x40000u);
}

TEST(TableImport, FallbackVersionsAreTriedOnlyAtOrAboveTheVersionAsked) {
    struct Case {
        Version asked;
        std::set<Version> offered;
        Version reported;  // 0: the table reports no version
        Version granted;
        std::vector<std::string> requests;
    } cases[] = {
        {0x40000, {0x50000}, 0x50000, 0x50000, {"T@40000", "T@50001", "T@50000"}},
        {0x40000, {0x40000, 0x40005}, 0x40000, 0x40000, {"T@40000"}},
        {0x40000, {0x40000, 0x40005}, 0, 0x40005, {"T@40000", "T@50001", "T@50000", "T@40005"}},
        {0x50000, {0x40005, 0x20003}, 0x40005, 0, {"T@50000", "T@50001", "T@50000"}},
        {0x60000, {0x50001}, 0x50001, 0, {"T@60000"}},
        {0x20001,
         {0x20001},
         0,
         0x20001,
         {"T@20001", "T@50001", "T@50000", "T@40005", "T@40000", "T@20003", "T@20002", "T@20001"}},
    };
    for (const auto& c : cases) {
        FakeSource host;
        host.Offer("T", c.offered);
        host.reported["T"] = c.reported;
        ModuleTables module;
        module.support.table = &host.slots["AcroSupport"];
        ImportedTable got = ImportTable(host, module, "T", c.asked);
        EXPECT_EQ(got.version, c.granted) << std::hex << c.asked;
        EXPECT_EQ(got.table != nullptr, c.granted != 0);
        EXPECT_EQ(host.requests, c.requests) << std::hex << c.asked;
    }
}

TEST(TableImport, BelowSupportVersion60000OnlyTheFallbacksAreAsked) {
    FakeSource host;
    host.Offer("T", {0x50000});
    ModuleTables module;
    module.supportVersion = 0x50000;
    ImportedTable got = ImportTable(host, module, "T", 0x50000);
    EXPECT_EQ(got.version, 0x50000u);
    EXPECT_EQ(host.requests, (std::vector<std::string>{"T@50001", "T@50000"}));
}

TEST(TableImport, AnyMissingTableEndsTheImportThere) {
    std::vector<std::string> all = {"AcroSupport"};
    for (const auto& t : kImportedTables) all.push_back(t.name);
    for (const auto& missing : all) {
        FakeSource host;
        host.Offer(missing, {});
        ModuleTables module;
        EXPECT_FALSE(ImportAllTables(host, module)) << missing;
        ASSERT_FALSE(host.requests.empty());
        EXPECT_EQ(host.requests.back().substr(0, missing.size() + 1), missing + "@") << missing;
    }
}

TEST(TableImport, ASupportTableReportingAnotherVersionDecidesTheRule) {
    FakeSource host;
    host.reported["AcroSupport"] = 0x50000;
    ModuleTables module;
    // Below 0x60000 the support table itself can only be had at a fallback
    // version, and none is as high as the 0x60000 it is asked for.
    EXPECT_FALSE(ImportAllTables(host, module));
    EXPECT_EQ(module.supportVersion, 0x50000u);
}

}  // namespace
