// The element types of a window template: which class a type string makes,
// when the panel record's flags let it be built, which elements fall back to
// a box, the element paths, and the order in which one sibling level is built
// (the frame first).  Plain code, built natively as well.
#pragma once

#include <string>
#include <vector>

namespace templates {

enum class ElementType {
  kUnknown,         // anything else: the record and its subtree are ignored
  kAreaDesign,      // area.design, area.basic (and the window itself)
  kContent,         // area.content
  kMenuContent,     // area.menu.content
  kAd,              // area.ad
  kSearchText,      // controls.search_text
  kSearchControl,   // controls.search
  kContextShift,    // controls.context_shift
  kSearchSubmit,    // controls.search_submit
  kResize,          // controls.resize: no element, the panel gets its resize handles
  kChildOpen,       // controls.child_open
  kNext,            // controls.next
  kBack,            // controls.back
  kDock,            // controls.dock
  kShare,           // controls.share
  kMove,            // controls.move
  kClose,           // controls.close
  kTail,            // controls.tail: its children are built in its place
  kTailLeftUpper,   // controls.tail_left_upper
  kTailLeftLower,   // controls.tail_left_lower
  kTailRightUpper,  // controls.tail_right_upper
  kTailRightLower,  // controls.tail_right_lower
};

// The type string, compared ignoring case.
ElementType ReadElementType(const std::wstring& text);

// The record flags that decide which elements are built.
struct RecordFlags {
  bool showAds = false;
  bool showSearch = false;
  bool resizable = false;
  bool dockable = false;
  bool shareable = false;
  std::wstring actionUrl;  // "false" (any case) leaves out the open-in-browser control
};

// Whether an element of this type is built for the record; tails only on the
// first build.
bool IsElementBuilt(ElementType type, const RecordFlags& flags, bool firstBuild);

// Controls that get a box in the element's colour when no picture was given.
bool HasBoxFallback(ElementType type);

// Tails are kept in the panel's tail fields, not in the element lists.
bool IsTailCorner(ElementType type);

// The path of the index-th (1-based) element child under parentPath.
std::wstring ElementPath(const std::wstring& parentPath, int index);

// The build order of one sibling level, from the ids in document order: each
// node keeps its 1-based document position; a node whose id marks the frame
// moves to the front (with several frames the last one comes first).
std::vector<int> OrderElementNodes(const std::vector<std::wstring>& ids);

}  // namespace templates
