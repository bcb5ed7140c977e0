// Brevane - the model behind one of the editor's parameter grids.
//
// Two columns over the voice's VoiceData rows of the grid: the short title and either the
// raw value (EG grids) or the display text. The second column takes typing; what is
// typed goes to the editor's rules (ParameterEdits::typeValue) and is the edit's one
// write: a refused text changes nothing and the cell shows its old value again.
#pragma once

#include "platform/RecordsetModel.h"

#include <functional>
#include <string_view>
#include <vector>

namespace editor {

class ParameterGridModel final : public platform::RecordsetModel {
    Q_OBJECT
public:
    using TypedHandler = std::function<bool(int row, std::string_view text)>;

    explicit ParameterGridModel(QObject* parent = nullptr);

    // Shows the rows (0-based VoiceData positions) of voiceData, in that order, with the
    // raw value or the display text in the second column.
    void bind(const platform::Recordset& voiceData, const std::vector<int>& rows, bool rawValue);
    void setTypedHandler(TypedHandler handler) { m_typed = std::move(handler); }
    // The VoiceData row shown on a grid row, or -1; the grid row of a VoiceData row, or -1.
    [[nodiscard]] int voiceRowAt(int gridRow) const;
    [[nodiscard]] int gridRowOf(int voiceRow) const;
    // Tells the grid that values and texts have changed (keeps its current cell).
    void refreshValues();

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    std::vector<int> m_rows;
    TypedHandler m_typed;
};

}  // namespace editor
