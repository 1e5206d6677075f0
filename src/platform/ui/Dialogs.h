#pragma once
#include <QString>

#include <functional>
#include <optional>

class QWidget;

// The program's modal questions: the folder (or application) picker and the confirmation of a
// destructive action. Each is asynchronous: the dialog opens modal to its window and the answer
// comes through `done` once the user has answered (never before the call returns when a real
// dialog is shown). Tests replace the answers through the handlers below, so no test ever waits
// on a real dialog.
namespace Dialogs {

enum class PickKind {
    Folder, // any folder
    Application, // an application bundle (a folder named "….app")
};

struct PickRequest {
    QString title; // the window title (may be empty)
    QString message; // a line above the list (may be empty)
    QString acceptLabel; // the accept button, e.g. "Scan", "Add", "Choose"
    QString startPath; // the folder the picker opens in; the home folder when empty
    PickKind kind = PickKind::Folder;
};

struct ConfirmRequest {
    QString title; // the question, in bold
    QString message; // the informative text under it (plain text)
    QString confirmLabel; // e.g. "Move to Trash"
    QString cancelLabel; // "Cancel" when empty
    bool destructive = true; // the confirm button is drawn as destructive; Return still cancels
};

// Shows the picker; `done` receives the chosen absolute path, or no value when cancelled.
void pick(QWidget* parent, const PickRequest& request, const std::function<void(std::optional<QString>)>& done);

// Asks; `done` receives true when the user confirmed.
void confirm(QWidget* parent, const ConfirmRequest& request, const std::function<void(bool)>& done);

// For tests: answer every request with the handler instead of a dialog (the handler runs inside
// the call; its result goes to `done` at once). An empty handler restores the real dialogs.
using PickHandler = std::function<std::optional<QString>(const PickRequest&)>;
using ConfirmHandler = std::function<bool(const ConfirmRequest&)>;
void setPickHandlerForTesting(PickHandler handler);
void setConfirmHandlerForTesting(ConfirmHandler handler);

} // namespace Dialogs
