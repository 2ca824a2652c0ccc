// A panel's element tree as its panel thread builds it from the window
// template: the first build creates the elements (classes by type, build
// conditions by the record's flags, the frame first among its siblings),
// later builds (a resize) re-read the style of the same elements in creation
// order.  Then the panel's layout, its eight resize handles and the resize.
// Driven from a template document and a record, without the panel thread or
// windows: the tests build trees from fixtures.
#pragma once

#include "app/panels/elements/ElementList.h"
#include "app/panels/elements/RenderElement.h"
#include "app/panels/elements/WindowElement.h"
#include "app/panels/templates/ElementLayout.h"
#include "app/panels/templates/ElementStyle.h"
#include "app/panels/templates/ElementTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The parsed window template: the inner text of the first node matching a
// path (empty when none), and how many element children a node has.
class TemplateDocument {
 public:
  virtual ~TemplateDocument() = default;
  virtual std::wstring Text(const std::wstring& path) = 0;
  virtual int CountElements(const std::wstring& path) = 0;
};

// What the builder takes from the panel's record and the settings.
struct PanelRecord {
  templates::RecordFlags flags;
  bool searchPanel = false;  // the panel shows the search record
  std::wstring name;         // the title's text
  std::wstring queryText;    // the ad's token (percent-encoded into its URL)
  std::wstring adsUrl;       // the settings' ads address
};

// Makes the drawing objects the template asks for; none when a picture does
// not load (the element then draws nothing or takes its box).
class RenderFactory {
 public:
  virtual ~RenderFactory() = default;
  // The background picture (style.background.image with its extra images).
  virtual std::unique_ptr<RenderElement> Bitmap(const WindowElement& element,
                                                const templates::ElementStyle& style) = 0;
  // The search control's picture: the panel record's icon.
  virtual std::unique_ptr<RenderElement> Icon(const WindowElement& element,
                                              const templates::ElementStyle& style) = 0;
  virtual std::unique_ptr<RenderElement> Box(uint32_t colour) = 0;
  virtual std::unique_ptr<RenderElement> Text(const std::wstring& text, uint32_t colour) = 0;
};

// The controls of a panel, in the order a released button looks for them.
enum class PanelControl { kNone, kClose, kShare, kSearchSubmit, kDock, kNextBack, kOpenInBrowser, kContextShift, kResize };

// What lies under a point of the panel window.
struct PanelHit {
  PanelControl control = PanelControl::kNone;
  WindowElement* element = nullptr;  // the control's element (its first match)
  bool overMoveArea = false;
  int resizeDirection = 0;           // the resize handle under the point, 0 none
  bool overWindowed = false;         // over a windowed element's child window
};

// The address the search text element holds until the search view sets it.
extern const wchar_t kSearchPresetUrl[];
// The fixed ids of the submit control and of the four tails.
extern const wchar_t kSubmitId[];
extern const wchar_t* const kTailIds[4];

// Template nesting deeper than this is not built (a log line says so).
constexpr int kMaxElementDepth = 64;
// A template's elements after this many (in build order, every level
// counted) are neither read nor built (a log line says so): each costs a
// few dozen look-ups in the document and may name a picture to download.
constexpr int kMaxElementCount = 256;

class ElementPanel {
 public:
  ElementPanel() = default;
  ElementPanel(const ElementPanel&) = delete;
  ElementPanel& operator=(const ElementPanel&) = delete;

  // Builds the tree for a template of the given size under the root, which
  // takes that size: the first time creates the elements, later times
  // re-read the style of the elements built then.  A rebuild keeps the
  // record of the first build (its flags chose the elements), whatever
  // record it is given.
  void BuildElements(TemplateDocument& document, const PanelRecord& record, templates::TemplateSize size,
                     RenderFactory& factory);
  // During a rebuild: the element of the next creation index, or none.
  WindowElement* NextBuiltElement();
  // Lays out the tree with the panel zoom and moves it into panel-window
  // coordinates; gives and keeps the panel rectangle (0, 0, width, height).
  templates::LayoutRect LayoutPanel();
  // Replaces the eight resize handles for the panel rectangle.
  void CreateResizeHandles(const templates::LayoutRect& panelRect);
  // Rebuilds the tree at the new size through loadTemplate (the panel's
  // template load, which calls BuildElements), lays it out, recreates the
  // handles, and gives the window's new screen rectangle for direction d.
  templates::LayoutRect ResizePanel(int direction, int width, int height, const templates::LayoutRect& screen,
                                    const std::function<void(int width, int height)>& loadTemplate);

  // Set by the panel before building.
  double zoom = 1.0;
  PanelLock* lock = nullptr;
  PanelWindow* window = nullptr;
  // The panel's step that builds a content element's address.
  std::function<void(ContentElement&)> buildContentUrl;
  // Log lines of the build (bad templates).
  std::function<void(const std::wstring&)> log;

  // The controls, move areas, resize handles and windowed elements under a
  // point in panel-window coordinates (the windowed list under the lock).
  PanelHit HitTest(int x, int y) const;
  // Puts the windowed elements' child windows back at the panel's screen
  // origin, directly above the panel, when the first one is shown and is not
  // right above the panel, or when forced (a drag, a fresh show).  Returns
  // whether they were moved.
  bool RaiseChildWindows(int panelLeft, int panelTop, bool force);
  // The first next (forward) or back control draws enabled or disabled;
  // false when the panel has none with a drawing.
  bool SetNavButtonState(bool enabled, bool forward);

  // Lists: all owns the elements; the others point.
  ElementList all{true};
  ElementList drawn;
  ElementList windowed;  // changed under the panel lock
  ElementList contextShift;
  ElementList searchSubmit;
  ElementList openInBrowser;
  ElementList navigate;
  ElementList dock;
  ElementList share;
  ElementList move;
  ElementList close;
  ElementList resizeHandles{true};

  // The root of the tree: the template's size, the window its one child.
  WindowElement root;
  WindowElement* windowElement = nullptr;  // the window: the outermost built element
  ContentElement* mainContent = nullptr;
  SearchElement* searchElement = nullptr;
  ContextShiftElement* searchControl = nullptr;
  WindowElement* titleElement = nullptr;
  ShareElement* shareElement = nullptr;
  std::array<std::unique_ptr<TailElement>, 4> tails;  // left-upper, left-lower, right-upper, right-lower
  std::array<std::wstring, 4> tailPaths;              // the template path each tail was built from
  bool dockable = false;
  bool hasResizeControl = false;
  bool hadAd = false;
  bool templateLoaded = false;
  int creationCounter = 0;
  templates::TemplateSize size;  // the size the template was last read for
  templates::LayoutRect panelRect;

 private:
  PanelRecord firstRecord_;  // the record of the first build, kept for every rebuild
  int walked_ = 0;           // template elements met by this build (kMaxElementCount)
  bool cutLogged_ = false;   // the cut is logged once, not at every resize
  struct BuildContext {
    TemplateDocument* document;
    const PanelRecord* record;
    RenderFactory* factory;
    bool firstBuild;
  };
  void BuildLevel(const BuildContext& context, const std::wstring& parentPath, WindowElement* parent, int depth);
  void BuildNode(const BuildContext& context, templates::ElementType type, const std::wstring& path,
                 const std::wstring& id, WindowElement* parent, int depth);
  std::unique_ptr<WindowElement> CreateElement(templates::ElementType type, const std::wstring& path,
                                               const BuildContext& context);
  void ReadStyle(const BuildContext& context, templates::ElementType type, const std::wstring& path,
                 WindowElement& element, const WindowElement* parent);
  void Log(const std::wstring& line) const;
};

