#include "app/core/graphics/HtmlRenderer.h"

#include <gtest/gtest.h>

#include <string>

namespace render {
namespace {

// An IUnknown that counts its references.
class CountedUnknown : public IUnknown {
public:
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

class RecordingPart : public HtmlRenderPart {
public:
    RecordingPart(std::string& log, char name) : log_(log), name_(name) {}
    void Measure(Render_Info& info) override { Note('m', info); }
    void Render(Render_Info& info) override { Note('r', info); }

private:
    void Note(char op, Render_Info& info) {
        log_ += op;
        log_ += name_;
        if (info.Interface() == nullptr) log_ += '0';
    }
    std::string& log_;
    char name_;
};

TEST(Render_Info, HoldsOneReferenceUntilItGoes) {
    CountedUnknown unknown;
    {
        Render_Info info(&unknown);
        EXPECT_EQ(unknown.refs, 2u);
        EXPECT_EQ(info.Interface(), &unknown);
    }
    EXPECT_EQ(unknown.refs, 1u);
    {
        Render_Info info;
        EXPECT_EQ(info.Interface(), nullptr);
        info.SetInterface(&unknown);
        info.SetInterface(&unknown);
        EXPECT_EQ(unknown.refs, 2u);
        info.SetInterface(nullptr);
        EXPECT_EQ(unknown.refs, 1u);
    }
    EXPECT_EQ(unknown.refs, 1u);
}

TEST(HTML_Renderer, PassesEachOperationToEveryPartInOrder) {
    std::string log;
    RecordingPart a(log, 'a'), b(log, 'b'), c(log, 'c');
    HTML_Renderer inner;
    inner.AddTail(&b);
    inner.AddTail(&c);
    HTML_Renderer renderer;
    renderer.AddTail(&a);
    renderer.AddTail(&inner);
    CountedUnknown unknown;
    Render_Info info(&unknown);

    renderer.Measure(info);
    renderer.Render(info);
    EXPECT_EQ(log, "mambmcrarbrc");

    Render_Info empty;
    log.clear();
    renderer.Render(empty);
    EXPECT_EQ(log, "ra0rb0rc0");

    renderer.RemoveAll();
    EXPECT_EQ(renderer.GetCount(), 0u);
    log.clear();
    renderer.Measure(info);
    EXPECT_EQ(log, "");
}

}  // namespace
}  // namespace render
