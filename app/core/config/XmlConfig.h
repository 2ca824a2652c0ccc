// The XML configuration reader: loads one XML file into an MSXML 6.0 document
// and answers XPath queries with plain copies of the nodes.  One instance holds
// settings.xml; panel templates and server messages use their own.
//
// The reader also keeps the scratch state of the settings-tree walk: the
// current category, target, panel entry and enhancer, and the texts last read
// for them (ReadCategory, ReadTarget, ReadEcpEntry, ReadEnhancer).
//
// An instance belongs to the thread that created it: construct and delete it
// on the same thread.  Other threads ask TemplateVersion() instead.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "fx/ComApartment.h"
#include "fx/Handle.h"

struct IXMLDOMDocument2;
struct IXMLDOMNode;

struct XmlAttribute {
    std::wstring value;
    std::wstring name;
};

// One node copied out of the document.  Empty (no text) when nothing matched.
struct XmlNode {
    std::wstring xml;
    std::wstring text;
    std::wstring name;
    std::vector<XmlAttribute> attributes;
};

class XmlConfig {
public:
    explicit XmlConfig(const wchar_t* filePath);
    ~XmlConfig();
    XmlConfig(const XmlConfig&) = delete;
    XmlConfig& operator=(const XmlConfig&) = delete;

    // False when the document object could not be made or the file did not load.
    bool IsLoaded() const { return loaded_; }
    // "Did not load the xml file because: " + reason, or empty.
    const std::wstring& LoadDiagnostic() const { return diagnostic_; }

    void SetSource(const wchar_t* source) { source_ = source ? source : L""; }
    const std::wstring& Source() const { return source_; }

    XmlNode SelectNode(const std::wstring& path);
    std::vector<XmlNode> SelectNodes(const std::wstring& path);
    const std::vector<XmlNode>& LastNodeList() const { return lastNodes_; }
    std::wstring GetText(const std::wstring& path);
    // Leading decimal digits of the first match's text (0 when none) into
    // value, true; false and value untouched when the text is empty.
    bool GetInt(const std::wstring& path, int& value);
    std::wstring GetUserValue(const std::wstring& key);
    const std::wstring& LastUserValue() const { return lastUserValue_; }

    // The version of window template `name` in the settings document last
    // loaded with LoadLists; empty when absent.  Safe on any thread, at any
    // time, also while a reload replaces the reader.
    static std::wstring GetTemplateVersion(const std::wstring& name);

    // Fills the category, template and enhancer lists and sets the walk to
    // its start; 0 when there is at least one category, else -1.  A document
    // with categories also replaces the template-version table.
    int LoadLists();
    // The category list is copied out of the document when first asked;
    // CategoryCount() needs no copy.
    const std::vector<XmlNode>& Categories() const;
    size_t CategoryCount() const { return categoryNodes_.size(); }
    const std::vector<XmlNode>& Templates() const { return templates_; }
    const std::vector<XmlNode>& Enhancers() const { return enhancers_; }

    void CategoryPath(std::wstring& path) const;
    void TargetPath(std::wstring& path) const;
    void EcpPath(std::wstring& path) const;
    int CountTargets();
    int CountEcps();

    // The settings-tree walk (positions are 1-based).
    void ReadCategory(int c);
    void ReadTarget(int t);
    void ReadEcpEntry(int e);
    void ReadEnhancer(int i);

    int CategoryIndex() const { return categoryIndex_; }
    int TargetIndex() const { return targetIndex_; }
    int EcpIndex() const { return ecpIndex_; }
    int TargetCount() const { return targetCount_; }
    int EcpCount() const { return ecpCount_; }
    int EnhancerIndex() const { return enhancerIndex_; }
    int EcpWidth() const { return ecpWidth_; }
    int EcpHeight() const { return ecpHeight_; }
    bool EnhancerActive() const { return enhancerActive_ != 0; }

    std::wstring GetCategoryActive() const { return catActive_; }
    std::wstring GetCategoryDivider() const { return catDivider_; }
    std::wstring GetCategoryInMenu() const { return catInMenu_; }
    std::wstring GetCategoryName() const { return catName_; }
    std::wstring GetCategoryIcon() const { return catIcon_; }
    std::wstring GetCategoryVersion() const { return catVersion_; }
    std::wstring GetCategoryId() const { return catId_; }
    std::wstring GetTargetText() const { return targetText_; }
    std::wstring GetEcpIcon() const { return ecpIcon_; }
    std::wstring GetEcpVersion() const { return ecpVersion_; }
    std::wstring GetEcpLocation() const { return ecpLocation_; }
    std::wstring GetEcpActive() const { return ecpActive_; }
    std::wstring GetEcpActionWhitespace() const { return ecpActionWhitespace_; }
    std::wstring GetEcpResizable() const { return ecpResizable_; }
    std::wstring GetEcpShowSearch() const { return ecpShowSearch_; }
    std::wstring GetEcpMediaMode() const { return ecpMediaMode_; }
    std::wstring GetEcpDockable() const { return ecpDockable_; }
    std::wstring GetEcpShareable() const { return ecpShareable_; }
    std::wstring GetEcpDetachable() const { return ecpDetachable_; }
    std::wstring GetEcpId() const { return ecpId_; }
    std::wstring GetEcpGuessText() const { return ecpGuessText_; }
    std::wstring GetEcpName() const { return ecpName_; }
    std::wstring GetEcpParent() const { return ecpParent_; }
    std::wstring GetEcpSearchable() const { return ecpSearchable_; }
    std::wstring GetEcpAction() const { return ecpAction_; }
    std::wstring GetEcpSkin() const { return ecpSkin_; }
    std::wstring GetEnhancerId() const { return enhancerId_; }
    std::wstring GetEcpShowAds() const { return ecpShowAds_; }
    std::wstring GetEcpInMenu() const { return ecpInMenu_; }

private:
    // Runs one query; false (and a log line) when the engine rejects the path.
    bool QuerySingle(const std::wstring& path, fx::ComPtr<IXMLDOMNode>& node);
    void CopyTemplateVersions();

    // The nodes the walk's current category, target and entry paths select,
    // kept while the indices stay.  When a level selects exactly one node,
    // the paths below it are asked relative to that node: the same nodes as
    // the whole path, without scanning the whole document for each.
    struct WalkLevel {
        bool valid = false;
        int c = 0, t = 0, e = 0;
        std::vector<fx::ComPtr<IXMLDOMNode>> nodes;
    };
    const WalkLevel& CategoryLevel();
    const WalkLevel& TargetLevel();
    const WalkLevel& EntryLevel();
    // A level's own children of one name, asked once: when they are all the
    // level has below it of that name (flat), the n-th of them is what the
    // path's [n] step selects, without a query for each n.
    struct OwnChildren {
        bool known = false, flat = false;
        int c = 0, t = 0;  // the target they belong to (entries)
        size_t below = 0;  // elements of the name below the level
        std::vector<fx::ComPtr<IXMLDOMNode>> nodes;
        // Entries: the texts of every entry, read at the first entry asked.
        bool textsRead = false, textsOk = false;
        std::vector<std::wstring> texts;  // entry by entry, the entry children in order
    };
    const OwnChildren& FlatCategories();
    OwnChildren& FlatEntries(IXMLDOMNode* target);
    void ReadFlatEntries(IXMLDOMNode* target, OwnChildren& entries);
    // The texts of entry e of the current target when the target is flat
    // (empty beyond its entries), true; false when it is not.
    bool FlatEntryTexts(int e, std::wstring* texts);
    // Texts of level path + "//" + children[i], each the first match in
    // document order (empty when none), into texts[0..count).  A level of
    // one node answers in one query: a walk of its elements (cheap for a
    // small node, a panel entry), or the first match of each child (for a
    // node with much below it, a category).
    enum class Reading { kWalk, kFirstOfEach };
    void TextsBelow(const WalkLevel& level, const std::wstring& levelPath, const wchar_t* const* children,
                    size_t count, std::wstring* texts, Reading reading);
    int CountBelow(const WalkLevel& level, const std::wstring& levelPath, const wchar_t* child);
    // A count of the panel tree held at its limit (logged once per load).
    static void LogCut(const wchar_t* what, size_t count, int kept);
    static int Held(int count, int limit, const wchar_t* what, bool& logged);

    // Member order follows the reader's record layout.
    fx::ComApartment com_{COINIT_APARTMENTTHREADED};  // before the document: it outlives it
    fx::ComPtr<IXMLDOMDocument2> document_;
    std::vector<XmlNode> lastNodes_;
    std::wstring source_;
    int categoryIndex_ = 0;
    int targetIndex_ = 0;
    int ecpIndex_ = 0;
    int targetCount_ = 0;
    int ecpCount_ = 0;
    int enhancerIndex_ = 0;
    int ecpWidth_ = 0;
    int ecpHeight_ = 0;
    BYTE enhancerActive_ = 0;
    std::wstring catDivider_, catActive_, catInMenu_, catName_, catIcon_, catVersion_, catId_;
    std::wstring ecpLocation_, ecpIcon_, ecpVersion_, ecpActive_, ecpActionWhitespace_, ecpShowAds_,
        ecpInMenu_, ecpShowSearch_, ecpMediaMode_, ecpDockable_, ecpResizable_, ecpShareable_,
        ecpDetachable_, ecpId_, ecpGuessText_, ecpName_, ecpParent_, ecpSearchable_, ecpSkin_,
        ecpAction_;
    std::wstring enhancerId_;
    std::wstring targetText_;
    std::wstring lastUserValue_;
    mutable std::vector<XmlNode> categories_;
    std::vector<XmlNode> templates_;
    std::vector<XmlNode> enhancers_;

    // Beside the record: the walk's node cache and the load outcome.
    WalkLevel categoryLevel_, targetLevel_, entryLevel_;
    OwnChildren flatCategories_, flatEntries_;
    std::vector<fx::ComPtr<IXMLDOMNode>> categoryNodes_;  // the category list's nodes
    mutable bool categoriesCopied_ = false;
    // The levels of descendant paths asked (GetText), by path: how many nodes
    // they select (-1: not known) and the first.
    struct Level {
        long count = 0;
        fx::ComPtr<IXMLDOMNode> first;
    };
    std::map<std::wstring, Level> levelNodes_;
    bool userValuesRead_ = false;
    std::map<std::wstring, std::wstring> userValues_;  // the user values by key, read at the first asked
    bool loaded_ = false;
    std::wstring diagnostic_;
    bool targetsCutLogged_ = false, entriesCutLogged_ = false;  // the panel tree's cuts of this load
};
