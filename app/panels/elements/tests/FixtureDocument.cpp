#include "FixtureDocument.h"

#include <cstdio>
#include <functional>

namespace elements_test {
namespace {

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      const size_t end = s.find(';', i);
      const std::string name = end == std::string::npos ? std::string() : s.substr(i + 1, end - i - 1);
      const char c = name == "amp" ? '&' : name == "lt" ? '<' : name == "gt" ? '>' : name == "quot" ? '"' : 0;
      if (c != 0) {
        out += c;
        i = end;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return std::string();
  const size_t b = s.find_last_not_of(" \t\r\n");
  return s.substr(a, b - a + 1);
}

void AllText(const XmlElement& e, std::wstring& out) {
  out += e.text;
  for (const auto& c : e.children) AllText(*c, out);
}

}  // namespace

FixtureDocument::FixtureDocument(const std::string& xml) {
  auto top = std::make_unique<XmlElement>();
  std::vector<XmlElement*> open{top.get()};
  size_t i = 0;
  while (i < xml.size()) {
    if (xml[i] != '<') {
      const size_t next = xml.find('<', i);
      const std::string text = Trim(xml.substr(i, next == std::string::npos ? std::string::npos : next - i));
      open.back()->text += Widen(Unescape(text));
      if (next == std::string::npos) break;
      i = next;
      continue;
    }
    if (xml.compare(i, 4, "<!--") == 0) {
      const size_t end = xml.find("-->", i);
      if (end == std::string::npos) return;
      i = end + 3;
      continue;
    }
    const size_t end = xml.find('>', i);
    if (end == std::string::npos) return;
    std::string tag = xml.substr(i + 1, end - i - 1);
    i = end + 1;
    if (tag.empty() || tag[0] == '?' || tag[0] == '!') continue;
    if (tag[0] == '/') {
      if (open.size() <= 1) return;
      open.pop_back();
      continue;
    }
    const bool selfClosing = tag.back() == '/';
    if (selfClosing) tag.pop_back();
    const size_t blank = tag.find_first_of(" \t\r\n");
    auto element = std::make_unique<XmlElement>();
    element->name = Widen(tag.substr(0, blank));
    XmlElement* raw = element.get();
    open.back()->children.push_back(std::move(element));
    if (!selfClosing) open.push_back(raw);
  }
  if (open.size() == 1) top_ = std::move(top);
}

std::vector<const XmlElement*> FixtureDocument::Select(const std::wstring& path) const {
  std::vector<const XmlElement*> current;
  if (top_ == nullptr || path.empty() || path[0] != L'/') return current;
  current.push_back(top_.get());
  size_t pos = 1;
  while (pos <= path.size() && !current.empty()) {
    size_t slash = path.find(L'/', pos);
    if (slash == std::wstring::npos) slash = path.size();
    std::wstring step = path.substr(pos, slash - pos);
    int wanted = 0;
    const size_t bracket = step.find(L'[');
    if (bracket != std::wstring::npos) {
      wanted = std::stoi(step.substr(bracket + 1));
      step = step.substr(0, bracket);
    }
    std::vector<const XmlElement*> next;
    for (const XmlElement* e : current) {
      int n = 0;
      for (const auto& c : e->children) {
        if (c->name != step) continue;
        ++n;
        if (wanted == 0 || n == wanted) next.push_back(c.get());
      }
    }
    current.swap(next);
    pos = slash + 1;
  }
  return current;
}

std::wstring FixtureDocument::Text(const std::wstring& path) {
  const std::vector<const XmlElement*> found = Select(path);
  std::wstring text;
  if (!found.empty()) AllText(*found.front(), text);
  return text;
}

int FixtureDocument::CountElements(const std::wstring& path) {
  return static_cast<int>(Select(path + L"/element").size());
}

std::string ReadFixture(const std::string& name) {
  const std::string path = std::string(ELEMENTS_FIXTURES) + "/" + name;
  std::string out;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
    std::fclose(f);
  }
  return out;
}

}  // namespace elements_test
