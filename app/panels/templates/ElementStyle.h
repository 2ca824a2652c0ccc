// Reading one element's id and style from its window template, in the order
// the builder reads them, into the element's layout values and the style the
// element's drawing takes.  The template is asked through a lookup (path ->
// inner text, empty when missing), so this runs without the XML reader.
#pragma once

#include "app/panels/templates/ElementLayout.h"
#include "app/panels/templates/TemplateValues.h"

#include <cstdint>
#include <functional>
#include <string>

namespace templates {

using TemplateLookup = std::function<std::wstring(const std::wstring& path)>;

struct StyleReadContext {
  TemplateSize size;                // replaces {pq_width} and {pq_height}
  bool firstBuild = true;           // pictures and text are read on the first build only
  bool searchPanel = false;         // the panel shows the search record
  const LayoutNode* parent = nullptr;  // none for the window itself
  std::wstring fixedId;             // an element type's own id (P/id is then not read)
};

struct ElementStyle {
  std::wstring id;
  ElementIdRoles roles;
  Background background;         // first build only
  std::wstring disabledImage;    // read only with a background image
  std::wstring mouseoverImage;
  std::wstring mouseoffImage;
  uint32_t colour = kColourWhite;
  bool hasText = false;          // fontFamily given (first build only)
  bool noWrap = false;           // whiteSpace given without fontFamily
  int paddingTopMode = kLengthPixels;
  int paddingBottomMode = kLengthPixels;
  int paddingLeftMode = kLengthPixels;
  int paddingRightMode = kLengthPixels;
  int widthMode = kLengthPixels;
  int heightMode = kLengthPixels;
};

// Reads the element at path into node (layout values) and style.
void ReadElementStyle(const TemplateLookup& read, const std::wstring& path, const StyleReadContext& context,
                      LayoutNode& node, ElementStyle& style);

}  // namespace templates
