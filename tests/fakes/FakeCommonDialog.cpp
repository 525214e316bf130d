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

std::optional<QString> FakeCommonDialog::askOpenPath() {
    const Answer a = next(Open);
    if (const auto* path = std::get_if<QString>(&a))
        return *path;
    return std::nullopt;
}

std::optional<QString> FakeCommonDialog::askSavePath() {
    const Answer a = next(Save);
    if (const auto* path = std::get_if<QString>(&a))
        return *path;
    return std::nullopt;
}

std::optional<std::int32_t> FakeCommonDialog::askColor() {
    const Answer a = next(Colour);
    if (const auto* value = std::get_if<std::int32_t>(&a))
        return *value;
    return std::nullopt;
}

std::optional<FontChoice> FakeCommonDialog::askFont() {
    const Answer a = next(Font);
    if (const auto* choice = std::get_if<FontChoice>(&a))
        return *choice;
    return std::nullopt;
}

bool FakeCommonDialog::askPrinter() {
    const Answer a = next(Printer);
    return std::holds_alternative<bool>(a) && std::get<bool>(a);
}
