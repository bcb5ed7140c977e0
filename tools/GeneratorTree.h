// Brevane - the patch generator's check-box tree of source voices.
//
// "Files" ("Root") holds one node per open voice list (its full path), each list node
// the voices selected in that list, at most ten across all lists. Below a voice node
// ("BRASS   1  (Alg 5)") stand "Operator" with "Operator  1".."Operator  6", each with
// its six groups, and "Non-Operator" with the seven groups that belong to no operator.
// Ticking a node ticks what lies below it (the non-operator groups are left out when
// the tick comes from the voice or above); a parent is ticked when all its children
// are, and unticking a node unticks its parents.
//
// Each voice node knows its list, its record (bookmark) and its 43 group nodes, so a
// voice is found again after its list was sorted or thinned out, and leaves the tree
// when it leaves its list or its list's selection. Keys follow the program's pattern
// ("L0001: 12:", "L0001: 12:op 3:grp 3: 5") for whoever looks at them.
#pragma once

#include "tools/clsPatchGenerator.h"

#include <QTreeWidget>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace banklib {
class VoiceListView;
}

namespace tools {

class GeneratorTree final : public QTreeWidget {
    Q_OBJECT
public:
    enum class NodeKind : int { Root, List, Voice, OperatorBranch, NonOperatorBranch, Operator, Group };

    // Roles of the items' data: the key (QString) and the kind (int).
    static constexpr int kKeyRole = Qt::UserRole + 1;
    static constexpr int kKindRole = Qt::UserRole + 2;
    static constexpr const char* kBaseMark = " BASE";

    struct VoiceNode {
        QTreeWidgetItem* item = nullptr;
        std::string listKey;
        platform::Bookmark bookmark = platform::kNoBookmark;
        std::int32_t voiceNumber = 0;
        int algorithm = 1;  // 1..32, as the voice model loads it
        QString text;       // without the base mark
        bool base = false;
        std::array<QTreeWidgetItem*, kGroupCount> groups{};  // groups[g - 1]: position g
    };

    explicit GeneratorTree(QWidget* parent = nullptr);
    ~GeneratorTree() override;

    // ---- lists (the registry's side)
    // The node of a newly registered list, under "Root" (made first when missing).
    void addList(const std::string& listID, const std::string& fileName);
    // Takes a list's node and its voices away; the last list takes "Root" with it.
    void removeList(const std::string& listID);
    [[nodiscard]] QTreeWidgetItem* rootNode() const { return m_root; }
    [[nodiscard]] QTreeWidgetItem* listNode(const std::string& listID) const;

    // Brings the list's voice nodes in line with its selection: voices no longer selected
    // (or no longer in the list) go, selected ones come while fewer than ten are shown.
    // Costs the list's source voices and its selected voices, never a walk of the list.
    void UpdateGeneratorSources(banklib::VoiceListView& list);

    // ---- the voice nodes
    // In tree order: the first source is the base voice.
    [[nodiscard]] std::vector<VoiceNode*> voiceNodes() const;
    // SourceVoiceCount: voice nodes in the tree.
    [[nodiscard]] int SourceVoiceCount() const { return static_cast<int>(m_voices.size()); }
    [[nodiscard]] VoiceNode* voiceNode(const QTreeWidgetItem* item) const;
    // A voice is a source when its node or a node below it is ticked.
    [[nodiscard]] bool isSource(const VoiceNode& voice) const;
    // Shows or hides the base mark " BASE" after the node's text.
    void setBaseMark(VoiceNode& voice, bool base);
    // The sources as the generator reads them: voice, list, record and group ticks, read
    // from the lists now. A source whose record cannot be read is left out.
    [[nodiscard]] std::vector<GeneratorSource> snapshot() const;

    // ---- ticks
    [[nodiscard]] static bool isChecked(const QTreeWidgetItem* item);
    // Some node below item is ticked (CheckVoiceDataNodes); false without children.
    [[nodiscard]] static bool anyChildChecked(const QTreeWidgetItem* item);
    [[nodiscard]] static NodeKind kindOf(const QTreeWidgetItem* item);
    [[nodiscard]] static std::string keyOf(const QTreeWidgetItem* item);
    // A non-operator node: "Non-Operator" and its seven groups.
    [[nodiscard]] static bool IsNonOperatorNode(const QTreeWidgetItem* item);
    // The voice key of a node of a voice's parameter subtree ("L0001: 12:"), "True" for
    // any other node.
    [[nodiscard]] static std::string VoiceKeyOfNode(const QTreeWidgetItem* item);
    // Ticks or unticks a node as the user's click does, with what follows from it.
    void setNodeChecked(QTreeWidgetItem* item, bool checked);
    // Gives the parents the node's state: up to the first parent with an unticked child
    // when ticking, all the way to "Root" when unticking.
    void CheckSiblings(QTreeWidgetItem* item, bool checked);

    // The item found by key ("Root", "L0001", "L0001: 12:op 3:", ...), nullptr if none.
    [[nodiscard]] QTreeWidgetItem* findKey(const std::string& key) const;

signals:
    // The user ticked or unticked a node (the ticks around it are done).
    void nodeChecked(QTreeWidgetItem* item);
    // The voice nodes or their ticks changed by the lists (the window then refreshes).
    void sourcesChanged();

private:
    void onItemChanged(QTreeWidgetItem* item, int column);
    void TreeView1_NodeCheck(QTreeWidgetItem* item);
    void SetChildrenChecked(QTreeWidgetItem* item, bool checked, bool leaveOutNonOperator);
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& text, const std::string& key, NodeKind kind);
    void setChecked(QTreeWidgetItem* item, bool checked);
    VoiceNode& addVoiceNode(QTreeWidgetItem* listItem, banklib::VoiceListView& list, std::int32_t voice,
                            platform::Bookmark bookmark);
    void AddGeneratorTreeNodes(VoiceNode& voice);
    void removeVoiceNode(VoiceNode* voice);
    void setVoiceKey(VoiceNode& voice, std::int32_t number);
    [[nodiscard]] VoiceNode* voiceNodeOf(const std::string& listKey, platform::Bookmark bookmark) const;

    QTreeWidgetItem* m_root = nullptr;
    std::vector<std::unique_ptr<VoiceNode>> m_voices;
    int m_updating = 0;
};

}  // namespace tools
