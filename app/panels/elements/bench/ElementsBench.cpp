// Building and laying out a panel's element tree: a template of 1,000
// elements (50 groups of a frame and 19 controls; the first 256 are built),
// read through the test reader (the builder and layout alone) and through
// XmlConfig (as the panel reads it), first build and rebuild; and the
// demo's Slate template.
#include "Bench.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/panels/elements/Win32Elements.h"
#include "app/panels/elements/tests/Fakes.h"
#include "app/panels/elements/tests/FixtureDocument.h"
#include "tests/support/TestSupport.h"

namespace {


std::string ThousandElements() {
  std::string xml = "<window><style><width>{pq_width}</width><height>{pq_height}</height></style>";
  const char* types[] = {"controls.close", "controls.move", "controls.next", "controls.back", "area.design"};
  for (int g = 0; g < 50; ++g) {
    xml += "<element><type>area.design</type><id>group" + std::to_string(g) +
           "</id><style><display>none</display><position>relative</position><left>0</left><top>2</top>"
           "<width>100%</width><height>40</height><paddingLeft>5%</paddingLeft></style>";
    for (int c = 0; c < 19; ++c) {
      xml += std::string("<element><type>") + types[c % 5] + "</type><id>e" + std::to_string(g * 19 + c) +
             "</id><style><display>inline</display><left>" + std::to_string(c) +
             "</left><top>1</top><width>10%</width><height>50%</height><backgroundColor>red</backgroundColor>"
             "</style></element>";
    }
    xml += "</element>";
  }
  return xml + "</window>";
}

PanelRecord Record() {
  PanelRecord r;
  r.flags.showSearch = r.flags.dockable = r.flags.resizable = true;
  r.name = L"Bench";
  return r;
}

// The template as a file for XmlConfig.
std::wstring TemplateFile(const std::string& text) {
  const std::string path = testsupport::TempFile("pondrel_elements_bench.xml");
  testsupport::WriteAll(path, text);
  return testsupport::WinPath(path);
}

// A template of the demo (demo/templates/ecp/), as a Windows path.
std::wstring DemoTemplate(const char* skin) {
  return testsupport::WinPath(std::string(PONDREL_BENCH_SOURCE_DIR) + "/demo/templates/ecp/" + skin + ".xml");
}

// The elements a template's text holds.
size_t ElementsIn(const std::string& xml) {
  size_t n = 0;
  for (size_t at = xml.find("<element>"); at != std::string::npos; at = xml.find("<element>", at + 1)) ++n;
  return n;
}

// What a panel builds of a template whose elements are all built: its
// window and every element up to the builder's bound.
size_t BuiltOf(const std::string& xml) {
  return 1 + std::min(ElementsIn(xml), static_cast<size_t>(kMaxElementCount));
}

// False (the run failed) when the panel holds other than [least, most]
// elements.
bool BuildAndLayOut(TemplateDocument& document, size_t least, size_t most) {
  elements_test::FakeFactory factory;
  ElementPanel panel;
  panel.zoom = 1.5;
  panel.BuildElements(document, Record(), {800, 600}, factory);
  panel.LayoutPanel();
  const size_t built = panel.all.Count();
  if (built < least || built > most) {
    bench::Fail(least == most ? "%u elements built, %u expected from the template"
                              : "%u elements built, %u to %u expected from the template",
                static_cast<unsigned>(built), static_cast<unsigned>(least), static_cast<unsigned>(most));
    return false;
  }
  return true;
}

}  // namespace

BENCH("elements: build+layout 1000 (test reader)") {
  elements_test::FixtureDocument document(ThousandElements());
  const size_t expect = BuiltOf(ThousandElements());
  for (auto _ : state)
    if (!BuildAndLayOut(document, expect, expect)) return;
}

BENCH("elements: build+layout 1000 (XmlConfig)") {
  XmlConfig config(TemplateFile(ThousandElements()).c_str());
  if (!config.IsLoaded()) {
    bench::Fail("the template did not load");
    return;
  }
  XmlTemplateDocument document(config);
  const size_t expect = BuiltOf(ThousandElements());
  for (auto _ : state)
    if (!BuildAndLayOut(document, expect, expect)) return;
}

BENCH("elements: build+layout the demo's Slate template (XmlConfig)") {
  XmlConfig config(DemoTemplate("Slate").c_str());
  if (!config.IsLoaded()) {
    bench::Fail("the demo's Slate template did not load");
    return;
  }
  XmlTemplateDocument document(config);
  // Some of its elements are built only for some panels: at least the
  // window and one element, at most all.
  const std::wstring path = DemoTemplate("Slate");
  const size_t most = BuiltOf(testsupport::ReadAll(std::string(path.begin(), path.end())));  // an ASCII path
  for (auto _ : state)
    if (!BuildAndLayOut(document, 2, most)) return;
}

BENCH("elements: rebuild+layout 1000 (test reader)") {
  elements_test::FixtureDocument document(ThousandElements());
  elements_test::FakeFactory factory;
  ElementPanel panel;
  panel.BuildElements(document, Record(), {800, 600}, factory);
  int w = 800;
  for (auto _ : state) {
    w = w == 800 ? 900 : 800;
    panel.ResizePanel(5, w, 600, {0, 0, 800, 600},
                      [&](int width, int height) { panel.BuildElements(document, Record(), {width, height}, factory); });
  }
}
