// The rendering pair the debug window carries and the menu's painting passes
// on: a list of rendering parts that forwards its two operations to every
// part in order, and the record of one COM interface the parts render with.
// Neither draws anything of its own.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <vector>

#include "fx/ComPtr.h"

namespace render {

// The record handed to every rendering part: one COM interface, held with a
// reference and released with the record.
class Render_Info {
public:
    Render_Info() = default;
    // Takes a reference on the interface (null: none).
    explicit Render_Info(IUnknown* unknown) : m_Interface(unknown) {}
    Render_Info(const Render_Info&) = delete;
    Render_Info& operator=(const Render_Info&) = delete;

    IUnknown* Interface() const { return m_Interface.get(); }
    void SetInterface(IUnknown* unknown) { m_Interface = fx::ComPtr<IUnknown>(unknown); }

private:
    fx::ComPtr<IUnknown> m_Interface;
};

// One part of a rendering.
class HtmlRenderPart {
public:
    virtual ~HtmlRenderPart() = default;
    virtual void Measure(Render_Info& info) = 0;
    virtual void Render(Render_Info& info) = 0;
};

// A list of parts (not owned): each operation runs the same operation on
// every part, in list order, with the same record.  Being a part itself, a
// list can hold another list.
class HTML_Renderer : public HtmlRenderPart {
public:
    HTML_Renderer() = default;
    HTML_Renderer(const HTML_Renderer&) = delete;
    HTML_Renderer& operator=(const HTML_Renderer&) = delete;

    void AddTail(HtmlRenderPart* part) { m_Parts.push_back(part); }
    void RemoveAll() { m_Parts.clear(); }
    size_t GetCount() const { return m_Parts.size(); }

    void Measure(Render_Info& info) override;
    void Render(Render_Info& info) override;

private:
    std::vector<HtmlRenderPart*> m_Parts;
};

}  // namespace render
