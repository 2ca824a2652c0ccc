#include "app/panels/templates/ElementStyle.h"

namespace templates {
namespace {

// A padding: relative to the element's own current size, plus the parent's
// padding of the same side.
double ReadPadding(const std::wstring& text, double ownSize, double parentPadding, TemplateSize size,
                   int* mode) {
  const TemplateLength length = ReadLength(text, ownSize, size);
  *mode = length.mode;
  return length.value + parentPadding;
}

}  // namespace

void ReadElementStyle(const TemplateLookup& read, const std::wstring& path, const StyleReadContext& context,
                      LayoutNode& node, ElementStyle& style) {
  const std::wstring stylePath = path + L"/style/";
  auto readStyle = [&](const wchar_t* name) { return read(stylePath + name); };
  const LayoutNode empty;
  const LayoutNode& parent = context.parent != nullptr ? *context.parent : empty;

  style.id = ReadElementId(context.fixedId, context.fixedId.empty() ? read(path + L"/id") : std::wstring());
  style.roles = ClassifyElementId(style.id);

  if (context.firstBuild) {
    style.background = ReadBackground(readStyle(L"backgroundImage"), readStyle(L"backgroundPosition"),
                                      readStyle(L"backgroundRepeat"));
    if (!style.background.image.empty()) {
      style.disabledImage = read(path + L"/disabledImage");
      style.mouseoverImage = read(path + L"/mouseoverImage");
      style.mouseoffImage = read(path + L"/mouseoffImage");
    }
  }
  style.colour = ReadColour(readStyle(L"backgroundColor"));
  node.display = ReadDisplay(readStyle(L"display"));
  node.position = ReadPosition(readStyle(L"position"));
  node.verticalAlign = ReadVerticalAlign(readStyle(L"verticalAlign"));
  if (context.firstBuild) style.hasText = !readStyle(L"fontFamily").empty();
  node.textCentred = ReadTextCentred(readStyle(L"textAlign"));
  if (!style.hasText && !readStyle(L"whiteSpace").empty()) style.noWrap = true;

  // Paddings come before the element's own width and height, so a percentage
  // is taken of the size the element had so far.
  node.paddingTop = ReadPadding(readStyle(L"paddingTop"), node.height, parent.paddingTop, context.size,
                                &style.paddingTopMode);
  node.paddingBottom = ReadPadding(readStyle(L"paddingBottom"), node.height, parent.paddingBottom,
                                   context.size, &style.paddingBottomMode);
  node.paddingLeft = ReadPadding(readStyle(L"paddingLeft"), node.width, parent.paddingLeft, context.size,
                                 &style.paddingLeftMode);
  node.paddingRight = ReadPadding(readStyle(L"paddingRight"), node.width, parent.paddingRight, context.size,
                                  &style.paddingRightMode);

  const TemplateLength width = ReadLength(readStyle(L"width"), parent.width, context.size);
  style.widthMode = width.mode;
  node.width = CorrectWidthForId(style.roles, width.value, context.searchPanel, node.paddingLeft,
                                 node.paddingRight);
  const TemplateLength height = ReadLength(readStyle(L"height"), parent.height, context.size);
  style.heightMode = height.mode;
  node.height = height.value;

  const std::wstring left = readStyle(L"left");
  const std::wstring right = readStyle(L"right");
  if (!left.empty()) {
    node.horizontalAnchor = kAnchorStart;
    node.horizontalOffset = ReadNumber(left, context.size).integer;
  } else if (!right.empty()) {
    node.horizontalAnchor = kAnchorEnd;
    node.horizontalOffset = ReadNumber(right, context.size).integer;
    if (style.roles.submit) node.horizontalOffset = CorrectSubmitRightOffset(node.horizontalOffset);
  } else {
    node.horizontalAnchor = parent.horizontalAnchor;
    node.horizontalOffset = parent.horizontalOffset;
  }

  const std::wstring top = readStyle(L"top");
  const std::wstring bottom = readStyle(L"bottom");
  if (!top.empty()) {
    node.verticalAnchor = kAnchorStart;
    node.verticalOffset = ReadNumber(top, context.size).integer;
  } else if (!bottom.empty()) {
    node.verticalAnchor = kAnchorEnd;
    node.verticalOffset = ReadNumber(bottom, context.size).integer;
  } else {
    node.verticalAnchor = parent.verticalAnchor;
    node.verticalOffset = parent.verticalOffset;
  }
  if (style.roles.submit) node.verticalOffset = CorrectSubmitVerticalOffset(node.verticalOffset);
}

}  // namespace templates
