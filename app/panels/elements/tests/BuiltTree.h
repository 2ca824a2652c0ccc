// A fixture template (tests/fixtures) built into an element tree, and the
// tree read back: the element tree tests' shared helpers.
#pragma once

#include "app/panels/elements/tests/Fakes.h"
#include "app/panels/elements/tests/FixtureDocument.h"

#include "app/panels/elements/ElementPanel.h"
#include "app/panels/templates/TemplateValues.h"

#include <string>
#include <vector>

namespace elements_test {

inline PanelRecord AllOn() {
  PanelRecord r;
  r.flags.showAds = r.flags.showSearch = r.flags.resizable = r.flags.dockable = r.flags.shareable = true;
  r.flags.actionUrl = L"http://example.test/open";
  r.name = L"Pond weather";
  r.queryText = L"pond life";
  r.adsUrl = L"http://ads.test/ad";
  return r;
}

struct Built {
  explicit Built(const char* fixture) : document(ReadFixture(fixture)) {}
  void Build(const PanelRecord& record, templates::TemplateSize size) { panel.BuildElements(document, record, size, factory); }
  FixtureDocument document;
  FakeFactory factory;
  ElementPanel panel;
};

inline std::vector<std::string> ClassesAndIds(const ElementList& list) {
  std::vector<std::string> out;
  for (WindowElement* e : list) out.push_back(std::string(e->ClassName()) + " " + Utf8(e->id));
  return out;
}

inline std::vector<std::string> Ids(const ElementList& list) {
  std::vector<std::string> out;
  for (WindowElement* e : list) out.push_back(Utf8(e->id));
  return out;
}

inline std::vector<std::string> ChildIds(const WindowElement& e) {
  std::vector<std::string> out;
  for (size_t i = 0; i < e.ChildCount(); ++i) out.push_back(Utf8(e.Child(i)->id));
  return out;
}

inline WindowElement* Find(const ElementPanel& panel, const char* id) {
  for (WindowElement* e : panel.all) {
    if (Utf8(e->id) == id) return e;
  }
  return nullptr;
}

}  // namespace elements_test
