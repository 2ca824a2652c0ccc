// A window template for tests, read from a small XML file without the
// system's XML reader: elements and their text only (no attributes kept).
// Paths are absolute steps "name" or "name[n]" (1-based among the parent's
// children of that name), answered as the template reader answers them: the
// text of the first match in document order.
#pragma once

#include "app/panels/elements/ElementPanel.h"

#include <memory>
#include <string>
#include <vector>

namespace elements_test {

struct XmlElement {
  std::wstring name;
  std::wstring text;  // this element's own text
  std::vector<std::unique_ptr<XmlElement>> children;
};

class FixtureDocument : public TemplateDocument {
 public:
  // Parses xml; an unreadable document has no root (every path reads empty).
  explicit FixtureDocument(const std::string& xml);
  std::wstring Text(const std::wstring& path) override;
  int CountElements(const std::wstring& path) override;
  bool Loaded() const { return top_ != nullptr && !top_->children.empty(); }

 private:
  std::vector<const XmlElement*> Select(const std::wstring& path) const;
  std::unique_ptr<XmlElement> top_;  // a nameless node above the root
};

// The text of a fixture in the test folder.
std::string ReadFixture(const std::string& name);

}  // namespace elements_test
