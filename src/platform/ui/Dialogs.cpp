#include "platform/ui/Dialogs.h"

#include "platform/Paths.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <utility>

namespace Dialogs {

namespace {
PickHandler& pickHandler()
{
    static PickHandler h;
    return h;
}
ConfirmHandler& confirmHandler()
{
    static ConfirmHandler h;
    return h;
}

// The file dialog's own views accept a folder named "….app" only in application mode.
bool acceptable(const PickRequest& request, const QString& path)
{
    if (path.isEmpty())
        return false;
    if (request.kind == PickKind::Application) {
        QString p = path;
        while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
            p.chop(1);
        return p.endsWith(QLatin1String(".app"));
    }
    return true;
}
} // namespace

void setPickHandlerForTesting(PickHandler handler) { pickHandler() = std::move(handler); }
void setConfirmHandlerForTesting(ConfirmHandler handler) { confirmHandler() = std::move(handler); }

void pick(QWidget* parent, const PickRequest& request, const std::function<void(std::optional<QString>)>& done)
{
    if (pickHandler()) {
        std::optional<QString> answer = pickHandler()(request);
        if (answer && !acceptable(request, *answer))
            answer.reset();
        done(answer);
        return;
    }
    auto* dialog = new QFileDialog(parent, request.title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    // A start that names no folder (a root that does not exist yet) opens at home, not wherever
    // the process happens to run.
    dialog->setDirectory(QFileInfo(request.startPath).isDir() ? request.startPath : Paths::home());
    if (!request.acceptLabel.isEmpty())
        dialog->setLabelText(QFileDialog::Accept, request.acceptLabel);
    if (request.kind == PickKind::Application)
        dialog->setNameFilter(QCoreApplication::translate("Dialogs", "Applications (*.app)"));
    // The answer goes out once, whichever way the dialog ends.
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, request, done, answered](int result) {
        if (std::exchange(*answered, true))
            return;
        std::optional<QString> answer;
        const QStringList files = dialog->selectedFiles();
        if (result == QDialog::Accepted && !files.isEmpty() && acceptable(request, files.first()))
            answer = files.first();
        done(answer);
    });
    dialog->open();
}

void confirm(QWidget* parent, const ConfirmRequest& request, const std::function<void(bool)>& done)
{
    if (confirmHandler()) {
        done(confirmHandler()(request));
        return;
    }
    auto* box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->setIcon(request.destructive ? QMessageBox::Warning : QMessageBox::Question);
    box->setTextFormat(Qt::PlainText);
    box->setText(request.title);
    box->setInformativeText(request.message);
    // Names and paths are shown as they are, never as rich text.
    for (QLabel* label : box->findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    QPushButton* ok = box->addButton(request.confirmLabel, QMessageBox::DestructiveRole);
    QPushButton* cancel = box->addButton(
        request.cancelLabel.isEmpty() ? QCoreApplication::translate("Dialogs", "Cancel") : request.cancelLabel,
        QMessageBox::RejectRole);
    // A destructive action is never the answer to a stray Return.
    box->setDefaultButton(request.destructive ? cancel : ok);
    box->setEscapeButton(cancel);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(box, &QMessageBox::finished, box, [box, ok, done, answered](int) {
        if (std::exchange(*answered, true))
            return;
        done(box->clickedButton() == ok);
    });
    box->open();
}

} // namespace Dialogs
