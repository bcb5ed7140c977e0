// Brevane - a spin box that takes a number typed beyond its range as the nearest limit.
#pragma once

#include <QSpinBox>

#include <optional>

namespace shell {

// A QSpinBox refuses the key that takes the number typed past its range, which leaves the
// digits typed before it: 400 typed into 20..300 stays 40. This one lets any whole number
// be typed and, when it is taken (Enter, or the focus leaving), sets the nearest limit of
// the range in place of a number beyond it. Anything else typed is refused as before.
class ClampingSpinBox final : public QSpinBox {
public:
    explicit ClampingSpinBox(QWidget* parent = nullptr) : QSpinBox(parent) {}

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& input) const override;

private:
    // The whole number the text holds, its prefix and suffix aside.
    [[nodiscard]] std::optional<qlonglong> typedNumber(const QString& text) const;
};

}  // namespace shell
