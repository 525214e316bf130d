#include "fakes/FakeCommonDialog.h"

#include <QtTest>

FakeCommonDialog::Answer FakeCommonDialog::next(Kind kind) {
    calls << Call{kind, title, filter, flags, color, font};
    if (whileOpen) {
        auto hook = std::move(whileOpen);
        whileOpen = nullptr;
        hook();
    }
    if (answers.isEmpty()) {
        qWarning("FakeCommonDialog: no answer queued; cancelling");
        return Cancel{};
    }
    return answers.takeFirst();
}

namespace {
template <class T> std::optional<T> given(const FakeCommonDialog::Answer& a) {
    if (const auto* value = std::get_if<T>(&a))
        return *value;
    return std::nullopt;
}
} // namespace

std::optional<QString> FakeCommonDialog::askOpenPath() {
    return given<QString>(next(Open));
}
std::optional<QString> FakeCommonDialog::askSavePath() {
    return given<QString>(next(Save));
}
std::optional<std::int32_t> FakeCommonDialog::askColor() {
    return given<std::int32_t>(next(Colour));
}
std::optional<FontChoice> FakeCommonDialog::askFont() {
    return given<FontChoice>(next(Font));
}
bool FakeCommonDialog::askPrinter() {
    return given<bool>(next(Printer)).value_or(false);
}
