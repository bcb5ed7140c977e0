// Brevane - a spin box that takes a number typed beyond its range as the nearest limit.
#include "shell/ClampingSpinBox.h"

#include <algorithm>

namespace shell {

std::optional<qlonglong> ClampingSpinBox::typedNumber(const QString& text) const
{
    QStringView number(text);
    if (!prefix().isEmpty() && number.startsWith(prefix()))
        number = number.sliced(prefix().size());
    if (!suffix().isEmpty() && number.endsWith(suffix()))
        number.chop(suffix().size());
    number = number.trimmed();
    bool ok = false;
    const qlonglong value = locale().toLongLong(number, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QValidator::State ClampingSpinBox::validate(QString& text, int& pos) const
{
    const QValidator::State state = QSpinBox::validate(text, pos);
    // A number beyond the range may still be typed on; fixup() brings it within.
    if (state == QValidator::Invalid && typedNumber(text))
        return QValidator::Intermediate;
    return state;
}

void ClampingSpinBox::fixup(QString& input) const
{
    if (const std::optional<qlonglong> value = typedNumber(input)) {
        const auto within = static_cast<int>(std::clamp<qlonglong>(*value, minimum(), maximum()));
        input = prefix() + textFromValue(within) + suffix();
        return;
    }
    QSpinBox::fixup(input);
}

}  // namespace shell
