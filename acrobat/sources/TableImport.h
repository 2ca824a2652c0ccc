// The rule by which the plug-in obtains the host's function tables: the
// tables it needs, the versions it asks for, and the fallback versions tried
// when the host does not grant the one asked for.  No host call is made here
// directly: the host is reached through TableSource.
#pragma once

#include "hosts/acrobat/PluginHost.h"

struct TableRequest {
    const char* name;
    acrohost::Version version;
};

constexpr int kImportedTableCount = 14;
extern const TableRequest kImportedTables[kImportedTableCount];
constexpr int kFallbackVersionCount = 7;
extern const acrohost::Version kFallbackVersions[kFallbackVersionCount];

constexpr acrohost::Version kSupportVersion = 0x60000;
constexpr acrohost::Version kCoreVersion = 0x20000;

// How the import reaches the host.
class TableSource {
public:
    virtual ~TableSource() = default;
    virtual acrohost::Atom AtomOf(const char* name) = 0;                                  // Core 5
    virtual acrohost::Table Request(acrohost::Atom name, acrohost::Version v) = 0;        // Core 10
    virtual acrohost::Version VersionOf(acrohost::Table support, acrohost::Table t) = 0;  // AcroSupport 103
};

struct ImportedTable {
    acrohost::Table table = nullptr;
    acrohost::Version version = 0;
};

struct ModuleTables {
    ImportedTable support;  // "AcroSupport"
    acrohost::Version supportVersion = kSupportVersion;
    ImportedTable tables[kImportedTableCount];  // in the order of kImportedTables
};

// One table by the rule; version 0 when none was granted.
ImportedTable ImportTable(TableSource& host, const ModuleTables& module, const char* name, acrohost::Version asked);

// The support table, then the 14 tables in order; false at the first one the
// host does not grant.
bool ImportAllTables(TableSource& host, ModuleTables& module);

// The index of a table in kImportedTables (-1 when it is not one of them).
int ImportedTableIndex(const char* name);
