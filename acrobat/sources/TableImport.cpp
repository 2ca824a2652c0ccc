#include "TableImport.h"

#include <cstring>

using acrohost::Version;

const TableRequest kImportedTables[kImportedTableCount] = {
    {"Core", 0x50000},           {"AcroView", 0x60000},   {"Cos", 0x60000},          {"PDSWrite", 0x60000},
    {"PDModel", 0x60000},        {"PDSRead", 0x60000},    {"PDFEditWrite", 0x60000}, {"Win", 0x50000},
    {"PDFEditRead", 0x60000},    {"ASExtra", 0x60000},    {"PDSysFont", 0x40000},    {"AcroViewSweetPea", 0x50000},
    {"PagePDEContent", 0x60000}, {"PDMetadata", 0x60000},
};

const Version kFallbackVersions[kFallbackVersionCount] = {
    0x50001, 0x50000, 0x40005, 0x40000, 0x20003, 0x20002, 0x20001,
};

ImportedTable ImportTable(TableSource& host, const ModuleTables& module, const char* name, Version asked) {
    ImportedTable got;
    const acrohost::Atom atom = host.AtomOf(name);
    if (module.supportVersion >= kSupportVersion) {
        if (acrohost::Table t = host.Request(atom, asked)) {
            got.table = t;
            got.version = host.VersionOf(module.support.table, t);
        }
    }
    if (got.version == 0) {
        got = ImportedTable{};
        // Only versions at or above the one asked for will do.
        for (Version v : kFallbackVersions) {
            if (v < asked) continue;
            if (acrohost::Table t = host.Request(atom, v)) {
                got.table = t;
                got.version = v;
                break;
            }
        }
    }
    return got;
}

bool ImportAllTables(TableSource& host, ModuleTables& module) {
    // The support table first, at 0x60000, to learn the version it reports.
    if (acrohost::Table t = host.Request(host.AtomOf("AcroSupport"), kSupportVersion)) {
        module.support.table = t;
        module.supportVersion = kSupportVersion;
        module.supportVersion = host.VersionOf(t, t);
    }
    module.support = ImportTable(host, module, "AcroSupport", kSupportVersion);
    if (module.support.version == 0) return false;
    for (int i = 0; i < kImportedTableCount; ++i) {
        module.tables[i] = ImportTable(host, module, kImportedTables[i].name, kImportedTables[i].version);
        if (module.tables[i].version == 0) return false;
    }
    return true;
}

int ImportedTableIndex(const char* name) {
    for (int i = 0; i < kImportedTableCount; ++i)
        if (std::strcmp(kImportedTables[i].name, name) == 0) return i;
    return -1;
}
