// Brevane - the patch generator's check-box tree of source voices.
#include "tools/GeneratorTree.h"

#include "banklib/AppState.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceData.h"
#include "platform/Latin1.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <QFile>
#include <QHeaderView>

#include <algorithm>
#include <variant>

namespace tools {
namespace {

using platform::Str;

constexpr const char* kRootKey = "Root";
constexpr std::array<const char*, kOperatorGroupCount> kOperatorGroupNames = {
    "EG Rate", "EG Level", "EG Level Scaling", "Output Level", "Sensitivity", "Oscillator"};
// GroupNames 11..17, the groups of positions 37..43.
constexpr std::array<const char*, kGroupCount - kFirstNonOperatorGroup + 1> kNonOperatorGroupNames = {
    "Algorithm", "Pitch EG Rate", "Pitch EG Level", "LFO", "Feedback", "Oscillator Key Sync", "Transpose"};
constexpr int kFirstNonOperatorName = 11;

QString qs(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

// The programme's own changes of ticks and texts are no clicks of the user.
class UpdatingGuard {
public:
    explicit UpdatingGuard(int& depth) : m_depth(depth) { ++m_depth; }
    ~UpdatingGuard() { --m_depth; }
    UpdatingGuard(const UpdatingGuard&) = delete;
    UpdatingGuard& operator=(const UpdatingGuard&) = delete;

private:
    int& m_depth;
};

}  // namespace

GeneratorTree::GeneratorTree(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("TreeView1"));
    setColumnCount(1);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemChanged, this, &GeneratorTree::onItemChanged);
}

GeneratorTree::~GeneratorTree()
{
    // The items go with the widget; nothing may answer their changes any more.
    m_updating = 1;
    m_voices.clear();
}

// ---------------------------------------------------------------- node helpers

bool GeneratorTree::isChecked(const QTreeWidgetItem* item) { return item->checkState(0) == Qt::Checked; }

GeneratorTree::NodeKind GeneratorTree::kindOf(const QTreeWidgetItem* item)
{
    return static_cast<NodeKind>(item->data(0, kKindRole).toInt());
}

std::string GeneratorTree::keyOf(const QTreeWidgetItem* item)
{
    return item->data(0, kKeyRole).toString().toLatin1().toStdString();
}

bool GeneratorTree::IsNonOperatorNode(const QTreeWidgetItem* item)
{
    if (kindOf(item) == NodeKind::NonOperatorBranch)
        return true;
    return kindOf(item) == NodeKind::Group && item->parent() != nullptr &&
           kindOf(item->parent()) == NodeKind::NonOperatorBranch;
}

std::string GeneratorTree::VoiceKeyOfNode(const QTreeWidgetItem* item)
{
    const std::string key = keyOf(item);
    if (std::count(key.begin(), key.end(), ':') < 3)
        return "True";
    const std::size_t first = key.find(':');
    return key.substr(0, key.find(':', first + 1) + 1);
}

void GeneratorTree::setChecked(QTreeWidgetItem* item, bool checked)
{
    const Qt::CheckState state = checked ? Qt::Checked : Qt::Unchecked;
    if (item->checkState(0) != state)
        item->setCheckState(0, state);
}

QTreeWidgetItem* GeneratorTree::addNode(QTreeWidgetItem* parent, const QString& text, const std::string& key,
                                        NodeKind kind)
{
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setData(0, kKeyRole, qs(key));
    item->setData(0, kKindRole, static_cast<int>(kind));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    return item;
}

QTreeWidgetItem* GeneratorTree::findKey(const std::string& key) const
{
    const QString wanted = qs(key);
    for (QTreeWidgetItemIterator it(const_cast<GeneratorTree*>(this)); *it != nullptr; ++it)
        if ((*it)->data(0, kKeyRole).toString() == wanted)
            return *it;
    return nullptr;
}

bool GeneratorTree::anyChildChecked(const QTreeWidgetItem* item)
{
    for (int i = 0; i < item->childCount(); ++i)
        if (isChecked(item->child(i)) || anyChildChecked(item->child(i)))
            return true;
    return false;
}

// ---------------------------------------------------------------- lists

void GeneratorTree::addList(const std::string& listID, const std::string& fileName)
{
    UpdatingGuard guard(m_updating);
    if (m_root == nullptr) {
        m_root = addNode(nullptr, QStringLiteral("Files"), kRootKey, NodeKind::Root);
        m_root->setExpanded(true);
    }
    if (listNode(listID) != nullptr)
        return;
    QTreeWidgetItem* node = addNode(m_root, QFile::decodeName(fileName.c_str()), listID, NodeKind::List);
    node->setExpanded(true);
}

QTreeWidgetItem* GeneratorTree::listNode(const std::string& listID) const
{
    if (m_root == nullptr)
        return nullptr;
    const QString wanted = qs(listID);
    for (int i = 0; i < m_root->childCount(); ++i)
        if (m_root->child(i)->data(0, kKeyRole).toString() == wanted)
            return m_root->child(i);
    return nullptr;
}

void GeneratorTree::removeList(const std::string& listID)
{
    UpdatingGuard guard(m_updating);
    // Its voices go with it: no count or node is left naming a list that is closed.
    std::erase_if(m_voices, [&](const std::unique_ptr<VoiceNode>& v) { return v->listKey == listID; });
    delete listNode(listID);
    if (m_root != nullptr && m_root->childCount() == 0) {
        delete m_root;
        m_root = nullptr;
    }
    emit sourcesChanged();
}

// ---------------------------------------------------------------- voice nodes

GeneratorTree::VoiceNode* GeneratorTree::voiceNode(const QTreeWidgetItem* item) const
{
    for (const auto& v : m_voices)
        if (v->item == item)
            return v.get();
    return nullptr;
}

GeneratorTree::VoiceNode* GeneratorTree::voiceNodeOf(const std::string& listKey, platform::Bookmark bookmark) const
{
    for (const auto& v : m_voices)
        if (v->bookmark == bookmark && v->listKey == listKey)
            return v.get();
    return nullptr;
}

std::vector<GeneratorTree::VoiceNode*> GeneratorTree::voiceNodes() const
{
    std::vector<VoiceNode*> out;
    out.reserve(m_voices.size());
    if (m_root == nullptr)
        return out;
    for (int l = 0; l < m_root->childCount(); ++l) {
        const QTreeWidgetItem* list = m_root->child(l);
        for (int v = 0; v < list->childCount(); ++v)
            if (VoiceNode* node = voiceNode(list->child(v)))
                out.push_back(node);
    }
    return out;
}

bool GeneratorTree::isSource(const VoiceNode& voice) const
{
    return isChecked(voice.item) || anyChildChecked(voice.item);
}

void GeneratorTree::setBaseMark(VoiceNode& voice, bool base)
{
    if (voice.base == base)
        return;
    UpdatingGuard guard(m_updating);
    voice.base = base;
    voice.item->setText(0, base ? voice.text + QString::fromLatin1(kBaseMark) : voice.text);
}

void GeneratorTree::setVoiceKey(VoiceNode& voice, std::int32_t number)
{
    // The keys of the 51 nodes below start with the voice key too.
    const std::string oldKey = keyOf(voice.item);
    const std::string newKey = voice.listKey + ":" + Str(number) + ":";
    voice.voiceNumber = number;
    const auto rekey = [&](auto&& self, QTreeWidgetItem* item) -> void {
        item->setData(0, kKeyRole, qs(newKey + keyOf(item).substr(oldKey.size())));
        for (int i = 0; i < item->childCount(); ++i)
            self(self, item->child(i));
    };
    rekey(rekey, voice.item);
}

GeneratorTree::VoiceNode& GeneratorTree::addVoiceNode(QTreeWidgetItem* listItem, banklib::VoiceListView& list,
                                                      std::int32_t voice, platform::Bookmark bookmark)
{
    const platform::Recordset& rs = list.rsmfimage();
    std::string name;
    if (const auto* text = std::get_if<std::string>(&rs.valueAt(bookmark, banklib::VoiceListField::Names)))
        name = *text;
    UnpackedVoiceBytes bytes{};
    (void)ReadSourceVoice(rs, bookmark, bytes);
    // An algorithm byte past the last algorithm loads as the last one.
    const int algorithm =
        std::min<int>(bytes[banklib::Unpacked::kAlgorithm],
                      banklib::clsVoiceData::ParameterMaximum(banklib::Unpacked::kAlgorithm)) +
        1;

    auto node = std::make_unique<VoiceNode>();
    node->listKey = list.ListID();
    node->bookmark = bookmark;
    node->voiceNumber = voice;
    node->algorithm = algorithm;
    node->text = platform::fromBytes(name) + qs(" (Alg" + Str(algorithm) + ")");
    const std::string key = node->listKey + ":" + Str(voice) + ":";
    node->item = addNode(listItem, node->text, key, NodeKind::Voice);
    VoiceNode& added = *node;
    m_voices.push_back(std::move(node));
    AddGeneratorTreeNodes(added);
    return added;
}

void GeneratorTree::AddGeneratorTreeNodes(VoiceNode& voice)
{
    const std::string v = keyOf(voice.item);
    QTreeWidgetItem* operators = addNode(voice.item, QStringLiteral("Operator"), v + "op", NodeKind::OperatorBranch);
    QTreeWidgetItem* others =
        addNode(voice.item, QStringLiteral("Non-Operator"), v + "nonop" + ":", NodeKind::NonOperatorBranch);
    std::array<QTreeWidgetItem*, banklib::kOperatorCount> op{};
    for (int n = 1; n <= 6; ++n)
        op[static_cast<std::size_t>(n - 1)] =
            addNode(operators, qs("Operator " + Str(n)), v + "op" + Str(n) + ":", NodeKind::Operator);
    for (int n = 1; n <= 6; ++n)
        for (int g = 1; g <= kOperatorGroupCount; ++g)
            voice.groups[static_cast<std::size_t>((n - 1) * kOperatorGroupCount + g - 1)] =
                addNode(op[static_cast<std::size_t>(n - 1)], QString::fromLatin1(kOperatorGroupNames[g - 1]),
                        v + "op" + Str(n) + ":" + "grp" + Str(n) + ":" + Str(g), NodeKind::Group);
    for (std::size_t i = 0; i < kNonOperatorGroupNames.size(); ++i) {
        const int g = kFirstNonOperatorName + static_cast<int>(i);
        voice.groups[static_cast<std::size_t>(kFirstNonOperatorGroup - 1) + i] =
            addNode(others, QString::fromLatin1(kNonOperatorGroupNames[i]), v + "nonop" + ":" + "grp" + Str(g),
                    NodeKind::Group);
    }
}

void GeneratorTree::removeVoiceNode(VoiceNode* voice)
{
    delete voice->item;
    std::erase_if(m_voices, [voice](const std::unique_ptr<VoiceNode>& v) { return v.get() == voice; });
}

void GeneratorTree::UpdateGeneratorSources(banklib::VoiceListView& list)
{
    QTreeWidgetItem* listItem = listNode(list.ListID());
    if (listItem == nullptr)
        return;
    UpdatingGuard guard(m_updating);
    platform::Recordset& rs = list.rsmfimage();
    const banklib::SelectionTracker& tracker = list.selectionTracker();
    const auto selected = [&](std::int32_t voice) {
        return voice >= 1 && static_cast<std::size_t>(voice) < tracker.tr.size() &&
               tracker.tr[static_cast<std::size_t>(voice)];
    };

    // Voices of this list that left its selection, or the list, leave the tree.
    bool ticked = false;
    std::vector<VoiceNode*> gone;
    for (const auto& v : m_voices) {
        if (v->listKey != list.ListID())
            continue;
        const std::int32_t at = rs.contains(v->bookmark) ? rs.positionOf(v->bookmark) : 0;
        if (!selected(at)) {
            gone.push_back(v.get());
            continue;
        }
        if (at != v->voiceNumber)
            setVoiceKey(*v, at);
        ticked = ticked || isChecked(v->item);
    }
    for (VoiceNode* v : gone)
        removeVoiceNode(v);
    if (!ticked)
        setChecked(listItem, false);
    CheckSiblings(listItem, isChecked(listItem));

    // Selected voices join while there is room, in list order.
    const std::int32_t total = tracker.TotalSelections;
    const auto add = [&](std::int32_t voice) {
        if (voice > rs.recordCount())
            return;
        const int position = rs.absolutePosition();
        rs.setAbsolutePosition(voice);
        const platform::Bookmark bookmark = rs.bookmark();
        if (position >= 1)
            rs.setAbsolutePosition(position);
        else
            rs.moveFirst();
        if (bookmark != platform::kNoBookmark && voiceNodeOf(list.ListID(), bookmark) == nullptr)
            (void)addVoiceNode(listItem, list, voice, bookmark);
    };
    if (SourceVoiceCount() < kMaxSourceVoices && total > 0) {
        const std::int32_t current = list.CurrentVoice();
        if (total == 1 && selected(current)) {
            add(current);
        } else {
            std::int32_t found = 0;
            const auto last = static_cast<std::int32_t>(tracker.tr.size()) - 1;
            for (std::int32_t v = 1; v <= last && found < total && SourceVoiceCount() < kMaxSourceVoices; ++v) {
                if (!tracker.tr[static_cast<std::size_t>(v)])
                    continue;
                ++found;
                add(v);
            }
        }
    }
    emit sourcesChanged();
    platform::SetBusyCursor(false);
}

std::vector<GeneratorSource> GeneratorTree::snapshot() const
{
    std::vector<GeneratorSource> sources;
    banklib::VoiceListRegistry& registry = banklib::appState().colVoiceLists();
    for (VoiceNode* v : voiceNodes()) {
        if (!isSource(*v))
            continue;
        banklib::VoiceListView* list = registry.Item(v->listKey);
        if (list == nullptr)
            continue;
        GeneratorSource source;
        source.listKey = v->listKey;
        source.bookmark = v->bookmark;
        if (!ReadSourceVoice(list->rsmfimage(), v->bookmark, source.voice))
            continue;
        for (std::size_t g = 0; g < v->groups.size(); ++g)
            source.groups[g] = isChecked(v->groups[g]);
        sources.push_back(std::move(source));
    }
    return sources;
}

// ---------------------------------------------------------------- ticks

void GeneratorTree::onItemChanged(QTreeWidgetItem* item, int column)
{
    if (m_updating > 0 || column != 0)
        return;
    TreeView1_NodeCheck(item);
}

void GeneratorTree::setNodeChecked(QTreeWidgetItem* item, bool checked)
{
    {
        UpdatingGuard guard(m_updating);
        setChecked(item, checked);
    }
    TreeView1_NodeCheck(item);
}

void GeneratorTree::TreeView1_NodeCheck(QTreeWidgetItem* item)
{
    const bool checked = isChecked(item);
    {
        UpdatingGuard guard(m_updating);
        // Ticked from the voice or above, the groups outside the operators stay as they are
        // unticked: a tick there means "breed the operators".
        const bool leaveOut = checked && VoiceKeyOfNode(item) == "True";
        platform::SetBusyCursor(true);
        SetChildrenChecked(item, checked, leaveOut);
        platform::SetBusyCursor(false);
        if (kindOf(item) != NodeKind::Root)
            CheckSiblings(item, checked);
    }
    emit nodeChecked(item);
}

void GeneratorTree::SetChildrenChecked(QTreeWidgetItem* item, bool checked, bool leaveOutNonOperator)
{
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        setChecked(child, checked && !(leaveOutNonOperator && IsNonOperatorNode(child)));
        SetChildrenChecked(child, checked, leaveOutNonOperator);
    }
}

void GeneratorTree::CheckSiblings(QTreeWidgetItem* item, bool checked)
{
    UpdatingGuard guard(m_updating);
    QTreeWidgetItem* node = item;
    while (node != nullptr && node->parent() != nullptr) {
        QTreeWidgetItem* parent = node->parent();
        if (checked)
            for (int i = 0; i < parent->childCount(); ++i)
                if (!isChecked(parent->child(i)))
                    return;
        setChecked(parent, checked);
        if (kindOf(parent) == NodeKind::Root)
            return;
        node = parent;
    }
}

}  // namespace tools
