// Loading and applying settings.xml: the demo sample, and a document of 1,000
// panel records (20 categories of 50 entries).
#include "Bench.h"

#include <windows.h>

#include <memory>
#include <string>

#include "app/core/main/PondrelApp.h"
#include "app/core/config/Settings.h"
#include "app/core/config/XmlConfig.h"
#include "fx/Handle.h"

namespace {

std::wstring ScratchFile(const wchar_t* name, const std::string& utf8) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + name;
    fx::UniqueHandle h(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(h.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    return path;
}

std::string ReadSample() {
    std::wstring path = L"Z:";
    for (char c : std::string(PONDREL_BENCH_SOURCE_DIR) + "/demo/settings.xml") path += (c == '/') ? L'\\' : wchar_t(c);
    std::string out;
    fx::UniqueHandle h(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buf[4096];
    DWORD got = 0;
    while (h && ::ReadFile(h.get(), buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    return out;
}

std::string ThousandRecords() {
    std::string xml = "<init><urls><images>http://127.0.0.1/images/</images></urls><ecptree>";
    int n = 0;
    for (int c = 1; c <= 20; ++c) {
        xml += "<category><in_menu>true</in_menu><active>true</active><name>Category " + std::to_string(c) +
               "</name><id>cat" + std::to_string(c) + "</id><target>text";
        for (int e = 1; e <= 50; ++e, ++n) {
            xml += "<ecp><id>ID-" + std::to_string(n) + "</id><name>Panel " + std::to_string(n) +
                   "</name><skin>Slate</skin><width>400</width><height>300</height><location>center</location>"
                   "<icon>p.png</icon><version>1</version><active>true</active><in_menu>true</in_menu>"
                   "<show_search>true</show_search><searchable>true</searchable><resizable>true</resizable></ecp>";
        }
        xml += "</target></category>";
    }
    return xml + "</ecptree><templates><ecp><Slate><version>5</version></Slate></ecp></templates></init>";
}

// The panel records a document holds: its <ecp> elements inside <ecptree>
// (the templates' <ecp> is no record).
size_t RecordsIn(const std::string& xml) {
    const size_t from = xml.find("<ecptree>"), to = xml.find("</ecptree>");
    if (from == std::string::npos || to == std::string::npos) return 0;
    size_t n = 0;
    for (size_t at = xml.find("<ecp>", from); at != std::string::npos && at < to; at = xml.find("<ecp>", at + 1)) ++n;
    return n;
}

// A document on disk and the records it holds.
struct Document {
    std::wstring path;
    size_t records = 0;
    Document(const wchar_t* name, const std::string& xml) : path(ScratchFile(name, xml)), records(RecordsIn(xml)) {}
};

// Where a round's time went: the file into the document, the lists, the
// values and records applied.
struct Phases {
    double load = 0, lists = 0, apply = 0;
    int rounds = 0;
    void Note() const {
        if (rounds == 0) return;
        bench::Note("per round: document load %.1f ms, lists %.1f ms, values and records applied %.1f ms",
                    1e3 * load / rounds, 1e3 * lists / rounds, 1e3 * apply / rounds);
    }
};

// What a settings download does once the file is on disk, then the values
// and records applied to the application object; false (the run failed)
// when the records applied are not the document's.
bool LoadAndApply(const Document& doc, Phases& phases) {
    static Settings view;
    if (doc.records == 0) {
        bench::Fail("the document holds no panel records (not read?)");
        return false;
    }
    theApp.DeleteSettingsReader();
    const double t0 = bench::Seconds();
    theApp.m_pSettings = new XmlConfig(doc.path.c_str());
    const double t1 = bench::Seconds();
    theApp.m_SettingsLoaded = theApp.m_pSettings->LoadLists() == 0;
    const double t2 = bench::Seconds();
    theApp.LoadSettingsValues(view);
    const double t3 = bench::Seconds();
    phases.load += t1 - t0;
    phases.lists += t2 - t1;
    phases.apply += t3 - t2;
    ++phases.rounds;
    if (view.m_EcpList.GetCount() != doc.records) {
        bench::Fail("%u panel records applied, the document holds %u", static_cast<unsigned>(view.m_EcpList.GetCount()),
                    static_cast<unsigned>(doc.records));
        return false;
    }
    return true;
}

}  // namespace

BENCH("settings: load + apply the demo settings.xml") {
    static const Document doc(L"pondrel-bench-sample.xml", ReadSample());
    Phases phases;
    for (auto _ : state) {
        (void)_;
        if (!LoadAndApply(doc, phases)) return;
    }
    phases.Note();
}

BENCH("settings: load + apply 1,000 panel records") {
    static const Document doc(L"pondrel-bench-1000.xml", ThousandRecords());
    Phases phases;
    const double t0 = bench::Seconds();
    for (auto _ : state) {
        (void)_;
        if (!LoadAndApply(doc, phases)) return;
    }
    phases.Note();
    if (phases.rounds)
        bench::Figure("settings: load + apply 1,000 panel records", 1e3 * (bench::Seconds() - t0) / phases.rounds,
                      100.0, "ms");
}
